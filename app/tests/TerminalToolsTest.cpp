// The main window's terminal tools: the capture button, paste and dropped text, the smart mouse, the
// screen print on a PDF printer, and an export and import of a host item through the sample host's
// command prompt.
#include "app/ConnectionController.h"
#include "app/ScreenPrint.h"
#include "app/TOrvaMainForm.h"
#include "app/TerminalClipboard.h"
#include "app/export/ItemTransfer.h"
#include "app/tests/FormChildren.h"
#include "app/tests/TestMainForm.h"
#include "common/testing/FakeHostLink.h"
#include "common/testing/RecordingMessages.h"
#include "terminal/widget/TVtTerminalEx.h"
#include "testsupport/SampleHost.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <csignal>
#include <sys/resource.h>

class TerminalToolsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    using Made = TestMainForm;
    Made make(HostLink *link, FakeHostLink *fake, const QByteArray &setup = "scroll lines = 500") {
        Made m = makeTestMainForm(m_dir.path(), setup, fake, link);
        if (!m.form->FormCreate()) {
            qFatal("form not created");
        }
        return m;
    }
    Made make() {
        auto *link = new FakeHostLink(LinkState::Connected);
        return make(link, link);
    }
    static QToolButton *captureButton(const Made &m) {
        return child<QToolButton>(m.form.get(), "FileCapturebutton");
    }
    static QByteArray readAll(const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("config"));
        QDir(m_dir.path()).mkpath("work");
    }

    void pasteConvertsAsTheWindowsClipboardHeldIt_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("plain") << QStringLiteral("LIST F") << QByteArray("LIST F");
        QTest::newRow("linux lines") << QStringLiteral("a\nb\n") << QByteArray("a\r\nb\r\n");
        QTest::newRow("windows lines") << QStringLiteral("a\r\nb") << QByteArray("a\r\nb");
        QTest::newRow("lone cr") << QStringLiteral("a\rb") << QByteArray("a\r\nb");
        QTest::newRow("empty lines") << QStringLiteral("\n\r\n\r") << QByteArray("\r\n\r\n\r\n");
        QTest::newRow("windows-1252") << QStringLiteral(u"caf\u00e9 \u20ac5 \u2013")
                                      << QByteArray("caf\xe9 \x80"
                                                    "5 \x96");
        QTest::newRow("unmapped") << QStringLiteral(u"\u4e2d x") << QByteArray("? x");
        QTest::newRow("controls kept") << QStringLiteral("\x1b[A\t") << QByteArray("\x1b[A\t");
    }
    void pasteConvertsAsTheWindowsClipboardHeldIt() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(TerminalClipboard::PasteBytes(text), bytes);
    }

    void copiedTextLosesOnlyItsFinalLineEnd_data() {
        QTest::addColumn<QString>("copied");
        QTest::addColumn<QString>("clipboard");
        QTest::newRow("one row") << QStringLiteral("abc\r\n") << QStringLiteral("abc");
        QTest::newRow("two rows") << QStringLiteral("r1\r\nr2\r\n") << QStringLiteral("r1\r\nr2");
        QTest::newRow("no line end") << QStringLiteral("abc") << QStringLiteral("abc");
        QTest::newRow("lone lf kept") << QStringLiteral("abc\n") << QStringLiteral("abc\n");
    }
    void copiedTextLosesOnlyItsFinalLineEnd() {
        QFETCH(QString, copied);
        QFETCH(QString, clipboard);
        QCOMPARE(TerminalClipboard::CopiedText(copied), clipboard);
    }

    void pasteAndDropSendTheSameBytes() {
        Made m = make();
        QGuiApplication::clipboard()->setText(QStringLiteral(u"12\n\u00a34"));
        child<QAction>(m.form.get(), "Paste1")->trigger();
        QCOMPARE(m.link->sent, QByteArray("12\r\n\xa3"
                                          "4"));
        m.link->sent.clear();
        auto *terminal = child<TVtTerminalEx>(m.form.get(), "VtTerminal1");
        emit terminal->textDropped(QStringLiteral(u"12\n\u00a34"));
        QCOMPARE(m.link->sent, QByteArray("12\r\n\xa3"
                                          "4"));
    }

    void copyIsOnlyOfferedWithASelection() {
        Made m = make();
        auto *copy = child<QAction>(m.form.get(), "Copy1");
        auto *menu = child<QMenu>(m.form.get(), "VTPopup");
        QMetaObject::invokeMethod(menu, "aboutToShow");
        QVERIFY(!copy->isEnabled());
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        copy->trigger(); // nothing selected: the clipboard stays as it was
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
        QVERIFY(m.link->sent.isEmpty());
    }

    void smartMouseSendsTheDigitsThenEnter_data() {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QByteArray>("digits");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("enters");
        QTest::newRow("digits") << true << QByteArray("12") << QByteArray("12\r") << 1;
        QTest::newRow("blank cell") << true << QByteArray() << QByteArray("\r") << 1;
        QTest::newRow("not connected") << false << QByteArray("12") << QByteArray() << 0;
    }
    void smartMouseSendsTheDigitsThenEnter() {
        QFETCH(bool, connected);
        QFETCH(QByteArray, digits);
        QFETCH(QByteArray, sent);
        QFETCH(int, enters);
        Made m = make();
        m.link->setState(connected ? LinkState::Connected : LinkState::Closed);
        m.link->sent.clear();
        QList<QPair<int, int>> keys;
        m.form->setKeyDownPath([&keys](int &key, int shift) { keys.append({key, shift}); });
        m.form->VtTerminal1SmartMouseClick(int(Qt::LeftButton), 0, digits);
        QCOMPARE(m.link->sent, sent);
        QCOMPARE(keys.size(), enters);
        if (enters) {
            QCOMPARE(keys.first(), (QPair<int, int>{0x0D, 0}));
        }
    }

    // The button shows the capture; a file that cannot be written stops it, pops the button up and
    // says so once.
    void captureButtonFollowsTheCapture() {
        Made m = make();
        const QString path = m_dir.filePath(QStringLiteral("session.txt"));
        m.messages->chosenFiles = {path};
        captureButton(m)->click();
        QVERIFY(captureButton(m)->isChecked());
        QCOMPARE(QFileInfo(path).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
        m.link->deliver(QByteArray("A\0B\x07"
                                   "C\xff\r\n",
                                   8));
        QTRY_COMPARE_WITH_TIMEOUT(readAll(path), QByteArray("ABC\xff\r\n"), 5000);
        // Asked before stopping; No keeps it running.
        m.messages->replies = {UserMessages::Answer::No};
        captureButton(m)->click();
        QVERIFY(captureButton(m)->isChecked());
        m.messages->replies = {UserMessages::Answer::Yes};
        captureButton(m)->click();
        QVERIFY(!captureButton(m)->isChecked());
        QCOMPARE(m.messages->asked.size(), 2);

        // A file that may not grow past a few bytes fails the write of the next block.
        const QString small = m_dir.filePath(QStringLiteral("small.txt"));
        m.messages->chosenFiles = {small};
        captureButton(m)->click();
        QVERIFY(captureButton(m)->isChecked());
        const qsizetype before = m.messages->boxes.size();
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old;
        limit.rlim_cur = 4;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
        m.link->deliver("more than four bytes");
        QTRY_VERIFY_WITH_TIMEOUT(!captureButton(m)->isChecked(), 5000);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldSignal);
        QTRY_COMPARE_WITH_TIMEOUT(m.messages->boxes.size(), before + 1, 5000);
        QVERIFY(m.messages->boxes.last().text.contains(small));
        m.link->deliver("more");
        QTest::qWait(0);
        QCOMPARE(m.messages->boxes.size(), before + 1);
    }

    void screenPrintPutsEveryRowOnThePage() {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty()) {
            QSKIP("pdftotext not installed");
        }
        Made m = make();
        QByteArray screen = "\x1b[H\x1b[2J";
        for (int row = 1; row <= 24; ++row) {
            screen += "\x1b[" + QByteArray::number(row) + ";1H" + "ROW" +
                      QByteArray::number(row).rightJustified(2, '0') + " caf\xe9";
        }
        m.link->deliver(screen);
        auto *terminal = child<TVtTerminalEx>(m.form.get(), "VtTerminal1");
        QTRY_COMPARE_WITH_TIMEOUT(terminal->GetRowText(24).left(5), QByteArray("ROW24"), 5000);
        const QString pdf = m_dir.filePath(QStringLiteral("screen.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QVERIFY(m.form->PrintScreenText(printer));
        QProcess text;
        text.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        const QString out = QString::fromUtf8(text.readAllStandardOutput());
        QStringList rows;
        for (const QString &line : out.split(QLatin1Char('\n'))) {
            if (!line.trimmed().isEmpty()) {
                rows.append(line.trimmed());
            }
        }
        QCOMPARE(rows.size(), 24);
        for (int row = 1; row <= 24; ++row) {
            QCOMPARE(rows[row - 1], QStringLiteral(u"ROW%1 caf\u00e9").arg(row, 2, 10, QLatin1Char('0')));
        }
    }

    // A row wider than 80 columns ends at the right margin.
    void screenPrintClipsWideRows() {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty()) {
            QSKIP("pdftotext not installed");
        }
        const QString pdf = m_dir.filePath(QStringLiteral("wide.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        const QByteArray wide = QByteArray(80, 'A') + QByteArray(52, 'B');
        QVERIFY(ScreenPrint::PrintRows(printer, QFont(QStringLiteral("Lucida Console")), {wide, "second"}));
        QProcess text;
        text.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        const QList<QByteArray> lines = text.readAllStandardOutput().split('\n');
        QVERIFY(lines.size() >= 2);
        QCOMPARE(lines[0].trimmed(), QByteArray(80, 'A'));
        QCOMPARE(lines[1].trimmed(), QByteArray("second"));
    }

    // Export a Windows file into a new item of the sample host, then import it back with line ends:
    // the same lines return, at the path as typed.
    void exportThenImportThroughTheHost() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        SampleHost host;
        QVERIFY2(host.start({"--once"}), qPrintable(host.error()));

        Made m = make(nullptr, nullptr, "host name = " + host.address());
        child<ConnectionController>(m.form.get(), "ConnectionController")->Timer1Timer();
        auto *terminal = child<TVtTerminalEx>(m.form.get(), "VtTerminal1");
        const auto screenHas = [terminal](const QByteArray &text) {
            for (int row = 1; row <= terminal->Rows(); ++row) {
                if (terminal->GetRowText(row).contains(text)) {
                    return true;
                }
            }
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(screenHas("login:"), 15000);
        emit terminal->typed("orva\r");
        QTRY_VERIFY_WITH_TIMEOUT(screenHas("Choice:"), 10000);
        emit terminal->typed("8\r");
        QTRY_VERIFY_WITH_TIMEOUT(screenHas("Commands:"), 10000);

        const QString source = dir.filePath(QStringLiteral("report.txt"));
        const QByteArray lines = "A\r\n\r\nx\xfdy\xfcz\r\n";
        {
            QFile f(source);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.write(lines) == lines.size());
        }
        child<QToolButton>(m.form.get(), "ToolButton5")->click();
        auto *form = m.form->findChild<QDialog *>(QStringLiteral("ExportForm"));
        QVERIFY(form);
        child<QLineEdit>(form, "WinFile")->setText(source);
        child<QLineEdit>(form, "d3File")->setText(QStringLiteral("REPORTS"));
        child<QLineEdit>(form, "d3Item")->setText(QStringLiteral("NEW1"));
        child<QPushButton>(form, "ExportButton")->click();
        QTRY_VERIFY_WITH_TIMEOUT(
            m.messages->shown.contains(QStringLiteral("Export Data.|Transfer Complete!")), 15000);

        const QString target = dir.filePath(QStringLiteral("back.txt"));
        child<QToolButton>(m.form.get(), "ToolButton6")->click();
        QVERIFY(child<QCheckBox>(form, "linendingscheck")->isChecked());
        child<QLineEdit>(form, "WinFile")->setText(target);
        child<QPushButton>(form, "ExportButton")->click();
        QTRY_VERIFY_WITH_TIMEOUT(m.messages->shown.contains(QStringLiteral("Import File|Transfer Complete")),
                                 15000);
        QCOMPARE(readAll(target), lines);
        // The host wrote the path as typed here.
        QTRY_COMPARE_WITH_TIMEOUT(host.events(QStringLiteral("imported")).size(), 1, 5000);
        QCOMPARE(host.events(QStringLiteral("imported")).first().value(QStringLiteral("path")).toString(),
                 target);

        // The host's refusal is shown with its own words.
        child<QLineEdit>(form, "d3Item")->setText(QStringLiteral("NOSUCH"));
        child<QPushButton>(form, "ExportButton")->click();
        QTRY_VERIFY_WITH_TIMEOUT(
            m.messages->shown.contains(QStringLiteral("Import File|Item NOSUCH not on file REPORTS")), 15000);

        // The link drops in the middle of an export: the transfer ends and says so.
        child<QToolButton>(m.form.get(), "ToolButton5")->click();
        child<QLineEdit>(form, "WinFile")->setText(source);
        child<QLineEdit>(form, "d3Item")->setText(QStringLiteral("NEW2"));
        child<QPushButton>(form, "ExportButton")->click();
        auto *transfer = form->findChild<ItemTransfer *>(QStringLiteral("ItemTransfer"));
        QVERIFY(transfer && transfer->Active());
        host.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!transfer->Active(), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(
            !m.messages->shown
                 .filter(QStringLiteral("The link to the host was lost; the transfer was stopped."))
                 .isEmpty(),
            5000);
        m.form->CloseSpeedClick();
    }
};

QTEST_MAIN(TerminalToolsTest)
#include "TerminalToolsTest.moc"
