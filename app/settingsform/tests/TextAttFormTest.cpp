// The settings form's pages, writing and failures, against a stand-in main window.
#include "app/settingsform/TTextAttForm.h"
#include "common/SetupFile.h"
#include "common/testing/RecordingMessages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {
// A child widget of the form by its object name.
template <typename T> T *widget(QObject *form, const char *name) {
    T *found = form->findChild<T *>(QLatin1String(name));
    Q_ASSERT(found);
    return found;
}
} // namespace

namespace {

class FakeHost : public TextAttHost {
public:
    QString file;
    int reads = 0;
    QString SetupFileName() const override { return file; }
    void ChangeSetupFile(const QString &f) override { file = f; }
    bool ReadSetupFile() override {
        ++reads;
        return true;
    }
    SetupDocument::Colours ColourTexts() const override {
        return {TVtVT100EmulatorEx::ColorTableText(TVtVT100EmulatorEx::DefaultColors()),
                TVtVT100EmulatorEx::ColorTableText(TVtVT100EmulatorEx::DefaultColors()),
                TVtVT100EmulatorEx::ColorTableText(TVtVT100EmulatorEx::BoldDefaults())};
    }
    QFont font{QStringLiteral("DejaVu Sans Mono"), 12};
    QFont TerminalFont() const override { return font; }
    void ApplyTerminalFont(const QFont &) override {}
    QString HostCaption() const override { return QStringLiteral("lab1"); }
    void SetCaption(const QString &) override {}
};

const QByteArray kSetup = "host name = lab1:2023\r\n"
                          "login conversation = see \"login:\" answer \"orva\"\r\n"
                          "keysetquery = \"whoareu\"\r\nkeysetreply = \"orvavt\"\r\n"
                          "scroll lines = 500\r\nenable PC beep = yes\r\n"
                          "KEYMAP_EX-Ctrl+F5 = {hot}\r\nKEYMAP_EX-F6 = abc\r\n"
                          "source directory = /srv/images/\r\nalternate source = /srv/alt/\r\n"
                          "printer available = no\r\nhalt on server fail = no\r\n"
                          "captureset = 2,1,18:\"REQUEST:\"\r\n"
                          "pathmap = a => b\r\nscandirectory = /var/scan/\r\n";

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TextAttFormTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    FakeHost m_host;
    RecordingMessages m_messages;
    QString setupPath() const { return m_dir.filePath(QStringLiteral("orva.inf")); }

private slots:
    void init() {
        QFile f(setupPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(kSetup);
        f.close();
        m_host.file = setupPath();
        m_host.reads = 0;
        m_messages = RecordingMessages();
    }

    void saveAsGivesTheSameSettings() {
        TTextAttForm form(m_host, m_messages);
        form.ReadSetup();
        const QString copy = m_dir.filePath(QStringLiteral("copy.inf"));
        m_messages.chosenFiles = {copy};
        form.SaveAsClick();
        const TOrvaSettings before = SetupFile::Parse(kSetup, QStringLiteral("/p/"));
        const TOrvaSettings after = SetupFile::Parse(readAll(copy), QStringLiteral("/p/"));
        QCOMPARE(after.HostName, before.HostName);
        QCOMPARE(after.HostPort, before.HostPort);
        QCOMPARE(after.LoginConversation, before.LoginConversation);
        QCOMPARE(after.KeyMapLines, before.KeyMapLines);
        QCOMPARE(after.ImageSources, before.ImageSources);
        QCOMPARE(after.CaptureSets, before.CaptureSets);
        QCOMPARE(after.PrinterAvailable, before.PrinterAvailable);
        QCOMPARE(after.HaltOnServerFail, before.HaltOnServerFail);
        QCOMPARE(after.PathMap, before.PathMap);
        QCOMPARE(after.ScanDirectory, before.ScanDirectory);
        QVERIFY(readAll(copy).endsWith("pathmap = a => b\r\nscandirectory = /var/scan/\r\n"));
    }

    void fontPageSaysWhichFaceStandsInForAMissingFont() {
        const struct {
            const char *family;
            const char *label;
        } cases[] = {
            {"DejaVu Sans Mono", "DejaVu Sans Mono, 12"},
            {"OrvaVT Courier New", "OrvaVT Courier New, 12 (not installed: shown in DejaVu Sans Mono)"}};
        for (const auto &c : cases) {
            m_host.font = QFont(QString::fromLatin1(c.family), 12);
            TTextAttForm form(m_host, m_messages);
            form.ReadSetup();
            QCOMPARE(form.findChild<QLabel *>(QStringLiteral("FontLabel"))->text(),
                     QString::fromLatin1(c.label));
        }
        m_host.font = QFont(QStringLiteral("DejaVu Sans Mono"), 12);
    }

    void okWithNothingChangedWritesNothing() {
        TTextAttForm form(m_host, m_messages);
        form.ReadSetup();
        QVERIFY(!form.Changed());
        widget<QCheckBox>(&form, "ImagePrinterCheck")->click();
        QVERIFY(form.Changed());
        form.ReadSetup();
        form.okbuttonClick();
        QCOMPARE(readAll(setupPath()), kSetup);
    }

    void eachPageWritesItsLine_data() {
        QTest::addColumn<int>("edit");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("host") << 0 << QByteArray("Host Name =lab2:23\r\n");
        QTest::newRow("logon off") << 1
                                   << QByteArray("+login conversation = see \"login:\" answer \"orva\"\r\n");
        QTest::newRow("scroll lines off") << 2 << QByteArray("+Scroll Lines =500\r\n");
        QTest::newRow("graphics font") << 3 << QByteArray("Graphics Font Resource = 1\r\n");
        QTest::newRow("key disabled") << 4 << QByteArray("+KEYMAP_EX-F6 = abc\r\n");
        QTest::newRow("image printing") << 5 << QByteArray("printeravailable = yes\r\n");
        QTest::newRow("capture set") << 6 << QByteArray("Capture Set = 3,4,5:\"LAB\"\r\n");
        QTest::newRow("alternate off") << 7 << QByteArray("+alternate source = /srv/alt/\r\n");
        QTest::newRow("results folder") << 8 << QByteArray("RTFResult directory = /w/\r\n");
        QTest::newRow("show warnings") << 9 << QByteArray("Show Warnings = no\r\n");
    }

    void eachPageWritesItsLine() {
        QFETCH(int, edit);
        QFETCH(QByteArray, line);
        TTextAttForm form(m_host, m_messages);
        form.ReadSetup();
        switch (edit) {
        case 0:
            widget<QComboBox>(&form, "HostNameCombo")->setEditText(QStringLiteral("lab2:23"));
            break;
        case 1:
            widget<QCheckBox>(&form, "LogonConvCheck")->click();
            break;
        case 2:
            form.markField(widget<QLineEdit>(&form, "ScrollLinesEdit"));
            form.FieldDisableClick();
            break;
        case 3:
            widget<QRadioButton>(&form, "rbCustomFont")->click();
            break;
        case 4:
            widget<QListWidget>(&form, "KeyListBox")->setCurrentRow(1);
            widget<QCheckBox>(&form, "KeyDisabledCheck")->click();
            QCOMPARE(widget<QListWidget>(&form, "KeyListBox")->item(1)->text(),
                     QStringLiteral("F6 (Disabled)"));
            break;
        case 5:
            widget<QCheckBox>(&form, "ImagePrinterCheck")->click();
            break;
        case 6:
            widget<QLineEdit>(&form, "CaptureSetRowEdit")->setText(QStringLiteral("3"));
            widget<QLineEdit>(&form, "CaptureSetColumnEdit")->setText(QStringLiteral("4"));
            widget<QLineEdit>(&form, "CaptureSetCountEdit")->setText(QStringLiteral("5"));
            widget<QLineEdit>(&form, "ConfirmTextEdit")->setText(QStringLiteral("LAB"));
            form.AddCaptureSetClick();
            break;
        case 7:
            // Switched off while the field still names it: the write does not switch it on again.
            widget<QComboBox>(&form, "AlternateSourcecombo")->setEditText(QStringLiteral("/srv/alt/"));
            form.AlternateSourcecomboClick();
            form.UpdateinlistDisabled1Click();
            break;
        case 8:
            widget<QLineEdit>(&form, "ResultsFolderEdit")->setText(QStringLiteral("/w/"));
            break;
        case 9:
            widget<QCheckBox>(&form, "ShowWarningsCheck")->click();
            break;
        }
        QVERIFY(form.Changed());
        form.ApplybuttonClick();
        QCOMPARE(m_host.reads, 1);
        QVERIFY(!widget<QPushButton>(&form, "Applybutton")->isEnabled());
        const QByteArray written = readAll(setupPath());
        QVERIFY2(written.contains(line), written.constData());
    }

    void failedWriteKeepsTheOldFile_data() {
        QTest::addColumn<bool>("diskFull");
        QTest::newRow("read-only folder") << false;
        QTest::newRow("disk full") << true;
    }

    void failedWriteKeepsTheOldFile() {
        QFETCH(bool, diskFull);
        if (!diskFull && geteuid() == 0) {
            QSKIP("a read-only folder does not stop the superuser");
        }
        TTextAttForm form(m_host, m_messages);
        form.ReadSetup();
        widget<QCheckBox>(&form, "ShowWarningsCheck")->click();
        rlimit saved{};
        if (diskFull) {
            // A file-size limit makes the write fail the way a full disk does.
            std::signal(SIGXFSZ, SIG_IGN);
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit tiny = saved;
            tiny.rlim_cur = 64;
            setrlimit(RLIMIT_FSIZE, &tiny);
        } else {
            QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        }
        form.ApplybuttonClick();
        if (diskFull) {
            setrlimit(RLIMIT_FSIZE, &saved);
        } else {
            QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        QCOMPARE(readAll(setupPath()), kSetup);
        QCOMPARE(m_messages.shown,
                 QStringList{QStringLiteral(
                     "Setup File Save Failed.|Failed to write new Setup file.\r\nChanges will be lost!")});
        QCOMPARE(m_host.reads, 0);
        QVERIFY(form.Changed());
    }

    void oldKeyMapsUpgradeOnYes() {
        QFile f(setupPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("+KEYMAP-C+F5 = {hot}\r\n");
        f.close();
        m_messages.replies = {UserMessages::Answer::Yes};
        TTextAttForm form(m_host, m_messages);
        form.ReadSetup();
        QCOMPARE(m_messages.asked.size(), 1);
        QVERIFY(form.Changed());
        QCOMPARE(form.Document().KeyMapLines, QList<QByteArray>{"+KEYMAP_EX-Ctrl+F5={hot}"});
    }
};

QTEST_MAIN(TextAttFormTest)
#include "TextAttFormTest.moc"
