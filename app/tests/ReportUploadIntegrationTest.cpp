// Reports from the sample host through the main window. The menu's "3. Reports" opens the editor on
// the sample template folder, F10 returns the edited report and the host checks every number of the
// upload and files its text (compared with a golden file). ESC abandons with a single ESC; a BEL from
// the host and a dropped link bring the last saved copy back, a NAK lets the host go on.
#include "app/TOrvaMainForm.h"
#include "app/tests/FormChildren.h"
#include "app/tests/SampleHostSession.h"
#include "common/testing/RecordingMessages.h"
#include "dictation/audioform/TwpAudioForm.h"
#include "editor/report/HostUpload.h"
#include "editor/wpform/TWPForm.h"
#include "platform/richtext/TWpTextControl.h"
#include "terminal/widget/TVtTerminalEx.h"
#include "testsupport/SampleHost.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using orva::richtext::TWpDocument;

namespace {

void compareGolden(const char *name, const QByteArray &actual) {
    const QString path = source(QStringLiteral("app/tests/golden/") + QLatin1String(name));
    if (qEnvironmentVariableIsSet("ORVA_REGENERATE_GOLDEN")) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(actual);
    }
    QCOMPARE(actual, readFile(path));
}

// Types at the end of the document, as the user would.
void type(TWPForm *editor, const QString &text) {
    editor->ResultBox()->setSelStart(editor->ResultBox()->Text().size());
    editor->ResultBox()->setSelText(text);
}

void press(TWPForm *editor, Qt::Key key) {
    QTest::keyClick(editor->ResultBox()->editor(), key);
}

QString mainText(TWPForm *editor) {
    return TWpDocument::plainText(editor->ResultBox()->document().main());
}

// Menu choice 3: the host's demo report opens in the editor.
bool openMenuReport(Session &s) {
    if (!s.connect() || !QTest::qWaitFor([&] { return s.screenShows("Choice:"); }, 20000))
        return false;
    s.link()->Send("3\r");
    return QTest::qWaitFor([&] { return s.editor() && s.editor()->isVisible(); }, 20000);
}

} // namespace

class ReportUploadIntegrationTest : public QObject {
    Q_OBJECT
private slots:
    // The report's dictation list plays an entry through the host, which answers with the entry's
    // task; that window closes without ending the report, which ESC then abandons.
    void dictationListPlaysThroughTheHost() {
        Session s;
        QVERIFY(openMenuReport(s));
        TWPForm *editor = s.editor();
        UserDriver user(editor);
        auto *list = child<QListWidget>(editor, "lvAudioRecs");
        QCOMPARE(list->count(), 3);
        user.click(list->viewport(), list->visualItemRect(list->item(1)).center());
        user.click("sbPlayAudio");
        QTRY_VERIFY_WITH_TIMEOUT(s.form->AudioForm() && s.form->AudioForm()->isVisible(), 20000);
        TwpAudioForm *w = s.form->AudioForm();
        QCOMPARE(w->AudioTaskKind(), QByteArray("PLAYBACK"));
        UserDriver(w).click("exitButton");
        QTRY_VERIFY(!w->isVisible());
        UserDriver(editor).press(Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(s.screenShows("abandoned: nothing filed."), 20000);
        QCOMPARE(s.events("request").size(), 1);
    }

    // The README's demo: menu choice 3, an edit with two abbreviations (one from the host's list,
    // one asked of the host), F10, and the host's "filed" text on the screen.
    void menuReportIsEditedAndFiled() {
        Session s;
        QVERIFY(openMenuReport(s));
        TWPForm *editor = s.editor();
        QCOMPARE(editor->findChild<QLabel *>(QStringLiteral("PATIENTStatic"))->text().left(15),
                 QStringLiteral("Mr Brown, David"));
        QVERIFY(editor->ResultBox()->document().header()->toPlainText().contains("ORVA SAMPLE LABORATORY"));
        QCOMPARE(editor->AbbreviationList().value(0), QByteArray("NAD=No abnormality detected."));
        // The template leaves the caret after "Macroscopy: ".
        QCOMPARE(mainText(editor).left(editor->ResultBox()->SelStart()), QStringLiteral("Macroscopy: "));
        editor->ResultBox()->setSelText("An ellipse of skin, 12 mm. mets");
        press(editor, Qt::Key_F2);
        editor->ResultBox()->setSelText(" or scc");
        press(editor, Qt::Key_F2);
        QTRY_VERIFY(!s.events("lookup").isEmpty());
        QVERIFY2(
            mainText(editor).startsWith(
                "Macroscopy: An ellipse of skin, 12 mm. metastatic carcinoma or squamous cell carcinoma"),
            qPrintable(mainText(editor)));

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

    // A NAK abandons the upload: the host goes on with another report, which opens under its own
    // request code with its own text, and F10 returns that one, not the report the host refused.
    void nakAbandonsAndTheNextReportIsReturned() {
        Session s(script({report(),
                          {{"receive_upload", QString()}, {"reply", "nak"}},
                          report("histology.txt"),
                          {{"receive_upload", QString()}}}));
        TWPForm *editor = s.openEditor();
        QVERIFY(editor);
        QVERIFY(editor->findChild<QLabel *>(QStringLiteral("RequestStatic"))->text().startsWith("26/00124"));
        type(editor, "Edited");
        press(editor, Qt::Key_F10);
        QTRY_VERIFY_WITH_TIMEOUT(
            editor->isVisible() &&
                editor->findChild<QLabel *>(QStringLiteral("RequestStatic"))->text().startsWith("26/00123"),
            20000);
        QVERIFY2(mainText(editor).contains("Two cores"), qPrintable(mainText(editor)));
        QVERIFY(!mainText(editor).contains("Edited"));
        QVERIFY(s.messages->shown.filter("Transfer failure").isEmpty());
        press(editor, Qt::Key_F10);
        QTRY_COMPARE_WITH_TIMEOUT(s.events("upload").size(), 2, 20000);
        QVERIFY(s.events("upload").at(1).value("ok").toBool());
        const QByteArray returned = readFile(s.dir.filePath("upload-2.txt"));
        QVERIFY2(returned.contains("Two cores") && !returned.contains("Edited"), returned.constData());
        QTRY_VERIFY(!s.form->SendQueue().ResultTransferActive());
        QVERIFY(!editor->isVisible());
        QVERIFY(s.messages->shown.filter("Transfer failure").isEmpty());
    }

    // BEL and a dropped link: the last saved copy comes back, the user is told, and a second
    // F10 files it.
    void refusedUploadComesBack() {
        for (const char *reply : {"bel", "close"}) {
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
            QVERIFY2(editor->ReportChanged(), reply);
            QVERIFY(mainText(editor).contains("Edited"));
            QVERIFY(
                editor->ResultBox()->document().header()->toPlainText().contains("ORVA SAMPLE LABORATORY"));
            QVERIFY(QFile::exists(editor->LastReportFileName()));
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
};

QTEST_MAIN(ReportUploadIntegrationTest)
#include "ReportUploadIntegrationTest.moc"
