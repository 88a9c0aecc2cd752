// Audio tasks from the sample host through the main window and the dictation window: a recording
// made from a private sound server is transmitted and checked by the host; a BEL in reply ends the
// upload, keeps the audio and shows the task again; a refused Transmit and a close send one ESC.
#include "app/TOrvaMainForm.h"
#include "app/tests/SampleHostSession.h"
#include "dictation/audioform/TwpAudioForm.h"
#include "dictation/playback/WaveDevice.h"
#include "dictation/playback/tests/SoundServer.h"
#include "editor/report/HostUpload.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

QJsonObject task(const QByteArray &body) {
    return {{"report", QString::fromLatin1(body)}, {"split", QJsonArray{7, 30}}};
}

QByteArray emptyRecording() {
    QTemporaryDir dir;
    WriteEmptyGsmWave(dir.filePath("t.wav"));
    return readFile(dir.filePath("t.wav"));
}

TwpAudioForm *openedWindow(Session &s) {
    if (!s.connect() ||
        !QTest::qWaitFor([&] { return s.form->AudioForm() && s.form->AudioForm()->isVisible(); }, 20000))
        return nullptr;
    return s.form->AudioForm();
}

} // namespace

class DictationIntegrationTest : public QObject {
    Q_OBJECT
private slots:
    // The sample host's menu: choice B opens a playback task, which closes unsent with one ESC;
    // choice A a recording task.
    void menuTasksOpenTheWindow() {
        Session s;
        QVERIFY(s.connect());
        QTRY_VERIFY_WITH_TIMEOUT(s.screenShows("Choice:"), 20000);
        s.link()->Send("B\r");
        QTRY_VERIFY_WITH_TIMEOUT(s.form->AudioForm() && s.form->AudioForm()->isVisible(), 20000);
        TwpAudioForm *w = s.form->AudioForm();
        QCOMPARE(w->AudioTaskKind(), QByteArray("PLAYBACK"));
        QVERIFY(w->findChild<QPushButton *>("btnPlay")->isEnabled());
        w->ActionQuit();
        QTRY_VERIFY_WITH_TIMEOUT(s.screenShows("closed: nothing filed"), 20000);

        s.link()->Send("A\r");
        QTRY_VERIFY_WITH_TIMEOUT(w->isVisible() && w->AudioTaskKind() == "RECORD", 20000);
        QCOMPARE(w->findChild<QLineEdit *>("LabReferenceEdit")->text(), QString("26/00125"));
        QVERIFY(w->findChild<QPushButton *>("btnRecord")->isEnabled());
        QVERIFY2(!w->findChild<QPushButton *>("TransmitButton")->isEnabled(), "nothing recorded yet");
        w->close();
        QTRY_VERIFY_WITH_TIMEOUT(s.screenShows("26/00125 RECORD closed"), 20000);
    }

    void recordingIsTransmittedAndFiled() {
        SoundServer server;
        if (server.server().isEmpty())
            QSKIP(qPrintable(server.why()));
        // Qt's sound backend connects to the server named here on first use.
        qputenv("PULSE_SERVER", server.server().toLocal8Bit());
        Session s(script({report("dictation-record.txt"), {{"receive_upload", QString()}}}));
        TwpAudioForm *w = openedWindow(s);
        QVERIFY(w);
        QCOMPARE(w->AudioTaskKind(), QByteArray("RECORD"));
        w->ActionRecord();
        QTRY_VERIFY_WITH_TIMEOUT(w->Player() && w->Player()->Position() >= 1500, 20000);
        w->ActionStop();
        const QString audio = w->AudioFileName();
        QVERIFY(readFile(audio).startsWith("RIFF"));
        w->TransmitButtonClick();
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(s.events("upload").size(), 1, 20000);
        QVERIFY(s.events("upload").first().value("ok").toBool());
        QTRY_VERIFY(!s.form->SendQueue().ResultTransferActive());
        QCOMPARE(readFile(s.dir.filePath("upload-1.txt.bin")), readFile(audio));
        const QByteArray text = readFile(s.dir.filePath("upload-1.txt"));
        QVERIFY(text.startsWith("KX_AUDIOTEXT\r26/00125 LVBX\rSG;Dr S Green;101\rHistology\r"));
        QVERIFY(text.contains("GSM 6.10, 22.050 kHz, Mono\r"));
        QVERIFY2(s.messages->shown.isEmpty(), qPrintable(s.messages->shown.join('\n')));
        qunsetenv("PULSE_SERVER");
    }

    // The host answers the first upload with BEL: the terminal is not left dead, the task comes back
    // with its audio, and the second Transmit is filed.
    void belBringsTheTaskBack() {
        const QByteArray body =
            "KX_AUDIOONLY~1^KX_AUDIOTASK~RECORD^KX_REQCODE~R1^KX_PROCCODE~P1"
            "^KX_AUTHORLIST~*Dr S Green:SG:101:Histology^KX_AUDIOFILE~host.wav^KX_AUDIODATA~" +
            emptyRecording().toBase64();
        Session s(script({task(body),
                          {{"receive_upload", QString()}, {"reply", "bel"}},
                          {{"sleep", 0.5}}, // the screen in a block of its own, after the BEL
                          {{"send", "SCREEN AFTER BEL"}},
                          {{"receive_upload", QString()}}}));
        TwpAudioForm *w = openedWindow(s);
        QVERIFY(w);
        const QString audio = w->AudioFileName();
        QCOMPARE(QFileInfo(audio).fileName(), QString("host.wav"));
        w->TransmitButtonClick();
        QTRY_VERIFY_WITH_TIMEOUT(!s.messages->shown.filter("Transfer failure. Please Re-save").isEmpty(),
                                 20000);
        QVERIFY(w->isVisible());
        QVERIFY(w->TaskOpen());
        QVERIFY(!s.form->SendQueue().ResultTransferActive());
        QVERIFY(QFile::exists(audio));
        QTRY_VERIFY_WITH_TIMEOUT(s.screenShows("SCREEN AFTER BEL"), 20000);
        w->TransmitButtonClick();
        QTRY_COMPARE_WITH_TIMEOUT(s.events("upload").size(), 2, 20000);
        QVERIFY(s.events("upload").at(1).value("ok").toBool());
        QCOMPARE(readFile(s.dir.filePath("upload-2.txt.bin")), readFile(audio));
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 5000);
    }

    // Transmit stops at the empty lab reference; closing the window then sends exactly one ESC.
    void refusedTransmitThenCloseSendsOneEscape() {
        Session s(
            script({task("KX_AUDIOONLY~1^KX_AUDIOTASK~IMPORT"), {{"expect", "\\e"}}, {{"expect", "END"}}}));
        TwpAudioForm *w = openedWindow(s);
        QVERIFY(w);
        QVERIFY(w->findChild<QLineEdit *>("LabReferenceEdit")->text().isEmpty());
        w->TransmitButtonClick();
        QVERIFY(w->isVisible());
        w->close();
        w->close();
        s.link()->Send("END");
        QTRY_COMPARE_WITH_TIMEOUT(s.events("expect").size(), 2, 20000);
        QVERIFY(s.events("expect").at(0).value("found").toBool());
        QCOMPARE(s.events("expect").at(1).value("skipped").toString(), QString()); // nothing after the ESC
    }
};

QTEST_MAIN(DictationIntegrationTest)
#include "DictationIntegrationTest.moc"
