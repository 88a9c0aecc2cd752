// Host print data through the main window to a private CUPS scheduler: the printer-controller bytes
// arrive as the host sent them, in blocks cut anywhere, and a job that cannot print is reported once.
#include "app/TOrvaMainForm.h"
#include "app/tests/TestMainForm.h"
#include "common/testing/FakeHostLink.h"
#include "common/testing/RecordingMessages.h"
#include "platform/print/tests/PrivateCupsd.h"
#include "terminal/widget/TVtTerminalEx.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrintDialog>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

class RawPrintIntegrationTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<PrivateCupsd> m_cups;
    QTemporaryDir m_dir;

    TestMainForm make(const QByteArray &printer) {
        TestMainForm m = makeTestMainForm(m_dir.path(), "printer name = \"" + printer + "\"",
                                          new FakeHostLink(LinkState::Connected));
        if (!m.form->FormCreate()) {
            qFatal("form not created");
        }
        return m;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("config"));
        QDir(m_dir.path()).mkpath("work");
        m_cups = std::make_unique<PrivateCupsd>();
        if (!m_cups->problem().isEmpty()) {
            ORVA_QSKIP_UNLESS_REQUIRED(qPrintable(m_cups->problem()));
        }
        qputenv("CUPS_SERVER", m_cups->server());
        qputenv("HOME", m_dir.path().toUtf8());
    }

    void hostPrintDataArrivesByteForByte() {
        TestMainForm m = make("orvatest");
        const QByteArray data("report\x1b(0\x00\xff\xff\x1b[1mend\r\n\x0c", 20);
        const QByteArray stream = "screen \x1b[5i" + data + "\x1b[4i after";
        // Cut inside the start and the end sequences, and between 0xFF bytes.
        const QList<qsizetype> cuts = {9, 12, 16, 18, 29, 31};
        qsizetype from = 0;
        for (qsizetype cut : cuts) {
            m.link->deliver(stream.mid(from, cut - from));
            from = cut;
        }
        m.link->deliver(stream.mid(from));
        QVERIFY2(
            QTest::qWaitFor([this] { return m_cups->finishedConnections() >= 1; }, PrivateCupsd::kWaitMs),
            qPrintable(m_cups->errorLog()));
        QCOMPARE(m_cups->received(), data);
        QVERIFY(m.messages->boxes.isEmpty());
        auto *terminal = m.form->findChild<TVtTerminalEx *>(QStringLiteral("VtTerminal1"));
        QTRY_COMPARE(terminal->GetRowText(1).trimmed(), QByteArray("screen  after"));
    }

    void jobThatCannotPrintIsReportedOnce() {
        TestMainForm m = make("nosuchqueue");
        m.link->deliver("\x1b[5iline one\r\n");
        m.link->deliver("line two\r\n\x1b[4i");
        QTRY_COMPARE_WITH_TIMEOUT(m.messages->boxes.size(), 1, PrivateCupsd::kWaitMs);
        QVERIFY(m.messages->boxes.first().text.contains(QStringLiteral("could not be printed")));
        QTest::qWait(200);
        QCOMPARE(m.messages->boxes.size(), 1);
    }

    // With a print server that answers, the screen print's lookup leads to the print dialog, and
    // cancelling it prints nothing and says nothing.
    void screenPrintOffersThePrintDialogWhenTheServerAnswers() {
        TestMainForm m = make("orvatest");
        m.form->show();
        bool dialogShown = false;
        QTimer dialogWatch;
        connect(&dialogWatch, &QTimer::timeout, [&] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (auto *d = qobject_cast<QPrintDialog *>(w); d && d->isVisible()) {
                    dialogShown = true;
                    d->reject();
                }
            }
        });
        dialogWatch.start(20);
        m.form->findChild<QToolButton *>(QStringLiteral("PrintTextButton"))->click();
        QTRY_VERIFY_WITH_TIMEOUT(dialogShown, PrivateCupsd::kWaitMs);
        QTRY_COMPARE(QApplication::overrideCursor(), nullptr);
        QTest::qWait(100);
        QVERIFY(m.messages->boxes.isEmpty());
    }

    void cleanupTestCase() { m_cups.reset(); }
};

QTEST_MAIN(RawPrintIntegrationTest)
#include "RawPrintIntegrationTest.moc"
