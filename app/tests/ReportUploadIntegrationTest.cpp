// Reports from the sample host through the main window. The menu's "3. Reports" opens the editor on
// the sample template folder, F10 returns the edited report and the host checks every number of the
// upload and files its text (compared with a golden file). ESC abandons with a single ESC; the host's
// refusals and a dropped link bring the last saved copy back; an audio task's audio is kept and its
// upload checked by the host. With ORVA_SCREENSHOT set (run under Xvfb) the editor is saved there.
#include "app/ConnectionController.h"
#include "app/TOrvaMainForm.h"
#include "app/tests/FormChildren.h"
#include "common/testing/RecordingMessages.h"
#include "dictation/audiotask/TAudioTask.h"
#include "editor/report/HostUpload.h"
#include "editor/wpform/TWPForm.h"
#include "platform/richtext/TWpTextControl.h"
#include "terminal/widget/TVtTerminalEx.h"
#include "testsupport/SampleHost.h"

#include <QFile>
#include <QFrame>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using orva::richtext::TWpDocument;

namespace {

QString source(const QString &path) {
    return qEnvironmentVariable("ORVA_SOURCE_DIR") + '/' + path;
}

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void compareGolden(const char *name, const QByteArray &actual) {
    const QString path = source(QStringLiteral("app/tests/golden/") + QLatin1String(name));
    if (qEnvironmentVariableIsSet("ORVA_REGENERATE_GOLDEN")) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(actual);
    }
    QCOMPARE(actual, readFile(path));
}

// One session against the sample host: its menu when `steps` is empty, else the script.
class Session {
public:
    explicit Session(const QJsonArray &steps = {}) {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("config"));
        QDir().mkpath(dir.filePath("uploads"));
        QStringList mode{"--upload-dir", dir.filePath("uploads")};
        if (!steps.isEmpty()) {
            // Each upload the script receives is stored as upload-N.txt in the session's folder.
            QJsonArray named;
            int uploads = 0;
            for (const QJsonValue &v : steps) {
                QJsonObject step = v.toObject();
                if (step.contains("receive_upload"))
                    step["receive_upload"] = dir.filePath(QStringLiteral("upload-%1.txt").arg(++uploads));
                named.append(step);
            }
            QFile script(dir.filePath("script.json"));
            if (script.open(QIODevice::WriteOnly))
                script.write(QJsonDocument(named).toJson());
            mode = QStringList{"--script", script.fileName(), "--once"};
        }
        if (!host.start(mode))
            qWarning("sample host: %s", qPrintable(host.error()));
        QFile setup(dir.filePath("orva.inf"));
        setup.open(QIODevice::WriteOnly);
        setup.write("host name = " + host.address() +
                    "\r\nlogin conversation = see \"login:\" answer \"labuser\"" +
                    "\r\ntemplatedirectory = " + source("tools/samplehost/templates").toUtf8() +
                    "\r\nrtfabbreviationdirectory = " + source("tools/samplehost/abbreviations").toUtf8() +
                    "\r\nrtfresultdirectory = " + dir.filePath("work").toUtf8() + "\r\n");
        setup.close();
        auto recording = std::make_unique<RecordingMessages>();
        messages = recording.get();
        form = std::make_unique<TOrvaMainForm>(QStringList{"orva", setup.fileName()}, nullptr,
                                               std::move(recording));
    }
    ~Session() {
        form.reset();
        host.stop();
    }

    TWPForm *editor() const { return form->findChild<TWPForm *>(); }
    HostLink *link() const { return child<HostLink>(form.get(), "Telnet1"); }
    bool connect() {
        if (!form->FormCreate())
            return false;
        child<ConnectionController>(form.get(), "ConnectionController")->Timer1Timer();
        return true;
    }
    // Connects and waits for the editor to show a report.
    TWPForm *openEditor() {
        if (!connect() || !QTest::qWaitFor([&] { return editor() && editor()->isVisible(); }, 20000))
            return nullptr;
        return editor();
    }
    QList<QJsonObject> events(const QString &kind) {
        QList<QJsonObject> out;
        for (const QByteArray &line : readFile(host.logPath()).split('\n')) {
            const QJsonObject e = QJsonDocument::fromJson(line).object();
            if (e.value("event").toString() == kind)
                out.append(e);
        }
        return out;
    }
    bool screenShows(const QByteArray &text) {
        auto *terminal = child<TVtTerminalEx>(form.get(), "VtTerminal1");
        for (int row = 1; row <= terminal->Rows(); ++row)
            if (terminal->GetRowText(row).contains(text))
                return true;
        return false;
    }

    QTemporaryDir dir;
    SampleHost host;
    RecordingMessages *messages = nullptr;
    std::unique_ptr<TOrvaMainForm> form;
};

QJsonArray script(std::initializer_list<QJsonObject> steps) {
    QJsonArray a{QJsonObject{{"sleep", 0.2}}};
    for (const QJsonObject &s : steps)
        a.append(s);
    return a;
}

QJsonObject report(const char *file = "biopsy.txt") {
    return {{"report_file", file}, {"split", QJsonArray{5, 40}}};
}

// Types at the end of the document, as the user would.
void type(TWPForm *editor, const QString &text) {
    editor->ResultBox->setSelStart(editor->ResultBox->Text().size());
    editor->ResultBox->setSelText(text);
}

void press(TWPForm *editor, Qt::Key key) {
    QTest::keyClick(editor->ResultBox->editor(), key);
}

QString mainText(TWPForm *editor) {
    return TWpDocument::plainText(editor->ResultBox->document().main());
}

} // namespace

class ReportUploadIntegrationTest : public QObject {
    Q_OBJECT
private slots:
    // The README's demo: menu choice 3, an edit with two abbreviations (one from the host's list,
    // one asked of the host), F10, and the host's "filed" text on the screen.
    void menuReportIsEditedAndFiled() {
        Session s;
        QVERIFY(s.connect());
        QTRY_VERIFY_WITH_TIMEOUT(s.screenShows("Choice:"), 20000);
        s.link()->Send("3\r");
        QTRY_VERIFY_WITH_TIMEOUT(s.editor() && s.editor()->isVisible(), 20000);
        TWPForm *editor = s.editor();
        QCOMPARE(editor->PATIENTStatic->text().left(15), QStringLiteral("Mr Brown, David"));
        QVERIFY(editor->ResultBox->document().header()->toPlainText().contains("ORVA SAMPLE LABORATORY"));
        QCOMPARE(editor->AbbreviationList.value(0), QByteArray("NAD=No abnormality detected."));
        // The template leaves the caret after "Macroscopy: ".
        QCOMPARE(mainText(editor).left(editor->ResultBox->SelStart()), QStringLiteral("Macroscopy: "));
        editor->ResultBox->setSelText("An ellipse of skin, 12 mm. mets");
        press(editor, Qt::Key_F2);
        editor->ResultBox->setSelText(" or scc");
        press(editor, Qt::Key_F2);
        QTRY_VERIFY(!s.events("lookup").isEmpty());
        QVERIFY2(
            mainText(editor).startsWith(
                "Macroscopy: An ellipse of skin, 12 mm. metastatic carcinoma or squamous cell carcinoma"),
            qPrintable(mainText(editor)));

        const QString screenshot = qEnvironmentVariable("ORVA_SCREENSHOT");
        if (!screenshot.isEmpty()) {
            // Without a window manager nothing maximises the window: give it a screen's worth.
            editor->setGeometry(0, 0, 1024, 700);
            QTest::qWait(500); // let the X server map and paint the window
            QVERIFY(editor->grab().save(screenshot));
        }

        press(editor, Qt::Key_F10);
        QVERIFY(!editor->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(s.screenShows("[221] 'REPORT 26/00124*SKBX' filed."), 20000);
        QCOMPARE(s.events("upload").size(), 1);
        QVERIFY(s.events("upload").first().value("ok").toBool());
        compareGolden("biopsy_upload.txt", readFile(s.dir.filePath("uploads/upload-1.txt")));
        QVERIFY(readFile(s.dir.filePath("uploads/upload-1.txt.bin")).startsWith("{\\rtf1"));
        QVERIFY(child<QFrame>(s.form.get(), "TransferPanel")->isHidden());
        QVERIFY(s.messages->shown.filter("Transfer failure").isEmpty());
    }

    void escapeSendsOneEscape() {
        Session s(script({report(), {{"expect", "\\e"}}, {{"expect", "END"}}}));
        TWPForm *editor = s.openEditor();
        QVERIFY(editor);
        type(editor, "Edited");
        s.messages->replies = {UserMessages::Answer::Yes};
        press(editor, Qt::Key_Escape);
        QCOMPARE(s.messages->asked, QStringList{"Not Saved!|Do you want to abandon changes?"});
        QVERIFY(!editor->isVisible());
        s.link()->Send("END");
        QTRY_COMPARE_WITH_TIMEOUT(s.events("expect").size(), 2, 20000);
        QVERIFY(s.events("expect").at(0).value("found").toBool());
        QCOMPARE(s.events("expect").at(1).value("skipped").toString(), QString()); // nothing after the ESC
    }

    // NAK, BEL and a dropped link: the last saved copy comes back, the user is told, and a second
    // F10 files it.
    void refusedUploadComesBack() {
        for (const char *reply : {"nak", "bel", "close"}) {
            QJsonObject failing{{"receive_upload", QString()}};
            if (QByteArray(reply) == "close")
                failing["close_after_header"] = true;
            else
                failing["reply"] = reply;
            Session s(script({report(), failing, {{"receive_upload", QString()}}}));
            TWPForm *editor = s.openEditor();
            QVERIFY(editor);
            type(editor, "Edited");
            press(editor, Qt::Key_F10);
            QTRY_VERIFY_WITH_TIMEOUT(editor->isVisible(), 20000);
            QVERIFY2(editor->ReportChanged, reply);
            QVERIFY(mainText(editor).contains("Edited"));
            QVERIFY(editor->ResultBox->document().header()->toPlainText().contains("ORVA SAMPLE LABORATORY"));
            QVERIFY(QFile::exists(editor->LastReportFileName));
            QVERIFY(QFile::exists(editor->RecoveryFilePath()));
            QVERIFY(!s.form->SendQueue().ResultTransferActive());
            QTRY_VERIFY_WITH_TIMEOUT(
                !s.messages->shown.filter(QByteArray(reply) == "close" ? "was lost" : "Transfer failure")
                     .isEmpty(),
                5000);
            if (QByteArray(reply) == "close")
                continue;
            press(editor, Qt::Key_F10);
            QTRY_COMPARE_WITH_TIMEOUT(s.events("upload").size(), 2, 20000);
            QVERIFY(s.events("upload").at(1).value("ok").toBool());
            QTRY_VERIFY(!s.form->SendQueue().ResultTransferActive());
        }
    }

    void audioTaskIsKeptAndUploaded() {
        Session s(
            script({report("dictation.txt"), {{"send", "TASK SENT"}}, {{"receive_upload", QString()}}}));
        QVERIFY(s.connect());
        // The screen text after the task shows that the task has gone through the pipeline.
        QTRY_VERIFY_WITH_TIMEOUT(s.screenShows("TASK SENT"), 20000);
        // The task as the host sent it (the dictation window that opens it comes later).
        TAudioTask task(s.dir.filePath("work"), *s.messages);
        for (const QByteArray &line : readFile(source("tools/samplehost/reports/dictation.txt")).split('\n'))
            task.TaskText += line.trimmed();
        QVERIFY(task.ReadAudioTask());
        const TAudioFileRef audio = task.AudioFile();
        QVERIFY(audio.writable());
        QVERIFY(readFile(audio.path).startsWith("RIFF"));
        task.AudioReportRecord.SetValue("AUTHOR", "SG;Dr S Green;101");
        task.AudioReportRecord.SetValue("CONTEXT", "Histology");
        QVERIFY(task.TransmitAudio(s.form->SendQueue(), audio.path));
        QTRY_VERIFY_WITH_TIMEOUT(!s.form->SendQueue().ResultTransferActive(), 20000);
        QCOMPARE(s.events("upload").size(), 1);
        QVERIFY(s.events("upload").first().value("ok").toBool());
        QCOMPARE(readFile(s.dir.filePath("upload-1.txt")), task.UploadText());
        QCOMPARE(readFile(s.dir.filePath("upload-1.txt.bin")), readFile(audio.path));
        QVERIFY(s.messages->shown.filter("Audio").isEmpty());
    }
};

QTEST_MAIN(ReportUploadIntegrationTest)
#include "ReportUploadIntegrationTest.moc"
