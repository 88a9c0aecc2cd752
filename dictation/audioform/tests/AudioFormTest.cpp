// The dictation window with a stand-in player and send procedure: ESC once per task, the closed
// window's devices doing nothing, host audio never replaced by Record, imports only on copies, and
// player failures told to the user instead of escaping.
#include "dictation/audioform/TwpAudioForm.h"

#include "common/testing/RecordingMessages.h"
#include "dictation/hid/TUsbHidDevice.h"
#include "dictation/playback/WaveDevice.h"
#include "dictation/playback/tests/FakePlayer.h"
#include "platform/hid/tests/FakeHidBus.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class AudioFormTest : public ::testing::Test {
public:
    AudioFormTest()
        : form(
              dir.path(), messages, [this] { return std::make_unique<FakePlayer>(log); },
              [this] { return bus.NewBackend(); }) {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("config"));
        form.AudioHostSend.Transmit = [this](TAudioTask &task, const QString &file) {
            transmits << file;
            sentText = task.UploadText();
            return acceptTransmit;
        };
        form.AudioHostSend.Escape = [this] { ++escapes; };
    }

    void open(const QByteArray &task) {
        form.OpenAudioTask("KX_AUDIOONLY~1^" + task);
        form.show();
        QCoreApplication::processEvents();
    }
    template <typename T> T *child(const char *name) {
        return form.findChild<T *>(QString::fromLatin1(name));
    }

    QTemporaryDir dir;
    RecordingMessages messages;
    FakePlayer::Log log;
    FakeHidBus bus;
    TwpAudioForm form;
    QStringList transmits;
    QByteArray sentText;
    bool acceptTransmit = true;
    int escapes = 0;
};

TEST_F(AudioFormTest, OneEscapePerTaskUnlessTransmitted) {
    struct Case {
        const char *name;
        QByteArray task;
        std::function<void(AudioFormTest &)> before;
        int escapes;
        int transmits;
    };
    const QByteArray playback = "KX_AUDIOTASK~PLAYBACK^KX_REQCODE~R1^KX_PROCCODE~P1";
    const Case cases[] = {
        {"plain close", playback, {}, 1, 0},
        {"DONTESCAPE", playback + "^KX_DONTESCAPE~1", {}, 0, 0},
        {"transmit with an empty lab reference", "KX_AUDIOTASK~RECORD",
         [](AudioFormTest &t) { t.form.TransmitButtonClick(); }, 1, 0},
        {"transmit refused by the link", "KX_AUDIOTASK~RECORD^KX_REQCODE~R1",
         [](AudioFormTest &t) {
             t.acceptTransmit = false;
             t.form.btnRecordClick();
             t.form.btnStopClick();
             t.form.TransmitButtonClick();
         },
         1, 1},
        {"transmitted", "KX_AUDIOTASK~RECORD^KX_REQCODE~R1",
         [](AudioFormTest &t) {
             t.form.btnRecordClick();
             t.form.btnStopClick();
             t.form.TransmitButtonClick();
         },
         0, 1},
        {"quit twice", playback,
         [](AudioFormTest &t) {
             t.form.ActionQuit();
             t.form.ActionQuit();
         },
         1, 0},
    };
    for (const Case &c : cases) {
        escapes = 0;
        transmits.clear();
        acceptTransmit = true;
        messages.replies = {UserMessages::Answer::Yes};
        open(c.task);
        if (c.before)
            c.before(*this);
        form.close();
        form.close();
        EXPECT_EQ(escapes, c.escapes) << c.name;
        EXPECT_EQ(transmits.size(), c.transmits) << c.name;
        EXPECT_FALSE(form.TaskOpen()) << c.name;
    }
}

TEST_F(AudioFormTest, ClosedWindowIgnoresDevicesAndPlayFrom) {
    open("KX_AUDIOTASK~RECORD^KX_REQCODE~R1");
    form.btnRecordClick();
    form.btnStopClick();
    form.close();
    log.calls.clear();
    for (const int word : {2, 4, 8, 256, 1024, 2048, 4096, 8192})
        form.Devices()->OnDictationMicButton(word);
    EXPECT_FALSE(form.PlayFrom(500));
    EXPECT_TRUE(log.calls.isEmpty()) << log.calls.join(", ").toStdString();
    EXPECT_TRUE(transmits.isEmpty());
    EXPECT_EQ(escapes, 1);
}

TEST_F(AudioFormTest, MicrophoneDrivesTheOpenWindow) {
    open("KX_AUDIOTASK~RECORD^KX_REQCODE~R1");
    form.Devices()->OnDictationMicButton(256);
    EXPECT_EQ(log.calls.first(), "CreateRecordingFile " + QFileInfo(form.AudioFileName()).fileName());
    EXPECT_EQ(log.calls.last(), "Record 0");
    form.Devices()->OnDictationMicButton(8192);
    EXPECT_TRUE(QFile::exists(form.AudioFileName()));
    messages.replies = {UserMessages::Answer::Yes}; // no author
    form.Devices()->OnDictationMicButton(8);
    EXPECT_EQ(transmits, QStringList{form.AudioFileName()});
    EXPECT_TRUE(sentText.contains("GSM 6.10, 22.050 kHz, Mono\r"));
}

TEST_F(AudioFormTest, RecordKeepsTheAudioTheHostSent) {
    const QString sent = dir.filePath("sent.wav");
    WriteEmptyGsmWave(sent);
    QFile f(sent);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray audio = f.readAll();
    open("KX_AUDIOTASK~RECORD^KX_REQCODE~R1^KX_AUDIOFILE~host.wav^KX_AUDIODATA~" + audio.toBase64());
    ASSERT_EQ(QFileInfo(form.AudioFileName()).fileName(), "host.wav");
    form.btnRecordClick();
    EXPECT_EQ(log.calls, QStringList({"OpenFile host.wav", "Record 0"}));
}

TEST_F(AudioFormTest, HostPathsNeverLeaveTheWorkFolder) {
    for (const QByteArray name : {"..\\..\\x.wav", "/etc/passwd", "../x.wav"}) {
        open("KX_AUDIOTASK~RECORD^KX_REQCODE~R1^KX_AUDIOFILE~" + name);
        EXPECT_EQ(QFileInfo(form.AudioFileName()).absolutePath(), QFileInfo(dir.path()).absoluteFilePath())
            << name.constData();
        form.close();
    }
}

TEST_F(AudioFormTest, FailedImportKeepsTheTaskOffTheUsersFile) {
    open("KX_AUDIOTASK~IMPORT");
    const QString before = form.AudioFileName();
    const QString missing = dir.filePath("gone.wav");
    messages.chosenFiles = {missing};
    form.LoadButtonClick();
    EXPECT_EQ(form.AudioFileName(), before);
    EXPECT_NE(form.AudioFileName(), missing);
    EXPECT_FALSE(messages.shown.filter("could not be imported").isEmpty())
        << messages.shown.join('\n').toStdString();

    const QString chosen = dir.filePath("mine.WAV");
    WriteEmptyGsmWave(chosen);
    messages.chosenFiles = {chosen};
    form.LoadButtonClick();
    EXPECT_NE(form.AudioFileName(), chosen);
    EXPECT_EQ(QFileInfo(form.AudioFileName()).absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
    EXPECT_EQ(QFile::permissions(form.AudioFileName()) & 0x0077, 0) << "owner only";
}

TEST_F(AudioFormTest, HeldByWarnsOnceAndBlocksTheCorrection) {
    open("KX_AUDIOTASK~CORRECT^KX_REQCODE~R1^KX_RECOGNISEDTEXT~one]two^KX_HELDBY~someone");
    QCoreApplication::processEvents();
    EXPECT_EQ(messages.shown.filter("Held by another user").size(), 1);
    auto *text = child<QTextEdit>("CorrectWpText");
    EXPECT_EQ(text->toPlainText(), "one\ntwo");
    text->setPlainText("one\nthree");
    form.EnableButtons();
    auto *transmit = child<QPushButton>("TransmitButton");
    EXPECT_EQ(transmit->text(), "&Correct");
    EXPECT_FALSE(transmit->isEnabled());
}

TEST_F(AudioFormTest, CorrectionSendsTextWithCrLfAndNoAudio) {
    open("KX_AUDIOTASK~CORRECT^KX_REQCODE~R1^KX_RECOGNISEDTEXT~one]two");
    auto *text = child<QTextEdit>("CorrectWpText");
    EXPECT_FALSE(child<QPushButton>("TransmitButton")->isEnabled()) << "nothing changed yet";
    text->setPlainText("one\nthree");
    ASSERT_TRUE(child<QPushButton>("TransmitButton")->isEnabled());
    messages.replies = {UserMessages::Answer::Yes}; // no author
    form.TransmitButtonClick();
    ASSERT_EQ(transmits, QStringList{QString()});
    EXPECT_TRUE(sentText.endsWith("one\r\nthree"));
}

TEST_F(AudioFormTest, PlayerFailuresAreToldNotThrown) {
    open("KX_AUDIOTASK~RECORD^KX_REQCODE~R1");
    form.ActionPlayPause(); // no file yet: nothing to play
    form.btnRecordClick();
    form.btnStopClick();
    log.failPlay = true;
    form.Devices()->OnDictationMicButton(1024);
    EXPECT_FALSE(messages.shown.filter("no audio file is open").isEmpty());
    log.failPlay = false;
    EXPECT_TRUE(form.PlayFrom(999999));
    EXPECT_EQ(log.calls.last(), "Play 10000") << "clamped to the length";
}

TEST_F(AudioFormTest, StopInsideTheAudioAsksWhetherToKeepTheRest) {
    open("KX_AUDIOTASK~RECORD^KX_REQCODE~R1");
    log.recordedTo = 0;
    form.btnRecordClick();
    messages.replies = {UserMessages::Answer::No};
    form.btnStopClick();
    EXPECT_EQ(messages.asked.size(), 1);
    EXPECT_TRUE(messages.asked.first().startsWith("Finished Inserting Audio|There are 10 seconds after"));
    EXPECT_EQ(log.calls.last(), "DeleteRange 0");
}

} // namespace
