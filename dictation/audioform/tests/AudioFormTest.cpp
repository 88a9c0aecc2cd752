// The dictation window with a stand-in player and send procedure: ESC once per task, the closed
// window's devices doing nothing, host audio never replaced by Record, imports only on copies, and
// player failures told to the user instead of escaping.
#include "dictation/audioform/TwpAudioForm.h"

#include "common/testing/RecordingMessages.h"
#include "dictation/hid/TUsbHidDevice.h"
#include "dictation/playback/TPlayback.h"
#include "dictation/playback/WaveDevice.h"
#include "dictation/playback/tests/FakeAudioDevices.h"
#include "dictation/playback/tests/FakePlayer.h"
#include "platform/audio/tests/AudioTestSupport.h"
#include "platform/hid/tests/FakeHidBus.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using namespace orva::audio::test;

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

// Recording names repeat every month. With the names of the next seconds all taken by earlier
// recordings, an import and a new recording each go to a name of their own and every earlier
// recording stays as it was.
TEST_F(AudioFormTest, ImportsAndRecordingsNeverReplaceAnEarlierRecording) {
    const QDateTime now = QDateTime::currentDateTime();
    QHash<QString, QByteArray> earlier;
    for (int ms = 0; ms < 4000; ++ms) {
        const QString path = dir.filePath(AudioWorkFileName(now.addMSecs(ms)));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        earlier[path] = "recording " + QByteArray::number(ms);
        f.write(earlier[path]);
    }
    const QString chosen = dir.filePath("mine.wav");
    WriteEmptyGsmWave(chosen);
    open("KX_AUDIOTASK~IMPORT");
    messages.chosenFiles = {chosen};
    QTest::mouseClick(child<QPushButton>("LoadButton"), Qt::LeftButton);
    const QString imported = form.AudioFileName();
    EXPECT_FALSE(earlier.contains(imported)) << imported.toStdString();
    QFile in(imported), original(chosen);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), original.readAll());
    form.close();

    // A RECORD task without audio records into a name no earlier recording has.
    open("KX_AUDIOTASK~RECORD^KX_REQCODE~R1");
    const QString picked = form.AudioFileName();
    EXPECT_FALSE(earlier.contains(picked));
    QTest::mouseClick(child<QPushButton>("btnRecord"), Qt::LeftButton);
    EXPECT_EQ(form.AudioFileName(), picked);
    EXPECT_TRUE(log.calls.contains("CreateRecordingFile " + QFileInfo(picked).fileName()))
        << log.calls.join(", ").toStdString();
    form.close();
    for (auto it = earlier.cbegin(); it != earlier.cend(); ++it) {
        QFile f(it.key());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << it.key().toStdString();
        ASSERT_EQ(f.readAll(), it.value()) << it.key().toStdString();
    }
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

// The window with the real player on stand-in sound devices, for audio the host sends in formats
// other than the dictation format.
class HostAudioFormTest : public ::testing::Test {
public:
    HostAudioFormTest()
        : form(
              dir.path(), messages, [this] { return std::make_unique<TPlayback>(nullptr, &devices); },
              [this] { return bus.NewBackend(); }) {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("config"));
        form.AudioHostSend.Transmit = [](TAudioTask &, const QString &) { return true; };
        form.AudioHostSend.Escape = [] {};
    }
    void open(const QByteArray &kind, const QByteArray &name, const QByteArray &audio) {
        form.OpenAudioTask("KX_AUDIOONLY~1^KX_AUDIOTASK~" + kind +
                           "^KX_REQCODE~R1^KX_PatSur~NEWPATIENT^KX_HELDBY~someone^KX_AUDIOFILE~" + name +
                           "^KX_AUDIODATA~" + audio.toBase64());
        form.show();
        QCoreApplication::processEvents();
    }
    void click(const char *name) {
        auto *button = form.findChild<QPushButton *>(QString::fromLatin1(name));
        ASSERT_TRUE(button) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // The host's audio in the formats a failed conversion leaves behind: plain PCM and an MP3.
    static QByteArray pcm44kStereo() { return pcmWave(sine(44100, 440, 44100, 2), 44100, 2); }
    QByteArray mp3() {
        const QString wav = dir.filePath("tone.wav");
        const QString mp3 = dir.filePath("tone.mp3");
        if (!writeFile(wav, pcm44kStereo()) || runSox({wav, mp3}).isNull())
            return {};
        return readFile(mp3);
    }

    QTemporaryDir dir;
    RecordingMessages messages;
    FakeAudioDevices devices;
    FakeHidBus bus;
    TwpAudioForm form;
};

TEST_F(HostAudioFormTest, AnyReadableHostAudioOpensFullyAndPlays) {
    if (soxProgram().isEmpty())
        GTEST_SKIP() << "sox not installed";
    const QByteArray mp3Audio = mp3();
    ASSERT_FALSE(mp3Audio.isEmpty()) << "sox could not write the MP3";
    const struct {
        const char *name;
        QByteArray file;
        QByteArray audio;
    } cases[] = {{"PCM 16-bit 44.1 kHz stereo", "host.wav", pcm44kStereo()}, {"MP3", "host.mp3", mp3Audio}};
    for (const auto &c : cases) {
        messages.shown.clear();
        open("PLAYBACK", c.file, c.audio);
        EXPECT_TRUE(messages.shown.filter("Quillory").isEmpty())
            << c.name << messages.shown.join('\n').toStdString();
        EXPECT_EQ(messages.shown.filter("Held by another user").size(), 1) << c.name;
        EXPECT_TRUE(form.findChild<QLabel *>("PATIENTStatic")->text().contains("NEWPATIENT")) << c.name;
        click("btnPlay");
        ASSERT_TRUE(devices.output) << c.name;
        const std::vector<std::int16_t> heard = devices.output->advance(400);
        ASSERT_GE(heard.size(), 4000u) << c.name;
        EXPECT_GT(toneShare(heard.data() + 2000, 2048, 440), 0.8) << c.name;
        form.close();
        devices.output = nullptr;
    }
}

TEST_F(HostAudioFormTest, UnreadableHostAudioIsToldAndTheTaskStillOpens) {
    open("PLAYBACK", "host.wav", "RIFF and nothing a reader knows");
    EXPECT_EQ(messages.shown.filter("Quillory").size(), 1) << messages.shown.join('\n').toStdString();
    EXPECT_EQ(messages.shown.filter("Held by another user").size(), 1);
    EXPECT_TRUE(form.findChild<QLabel *>("PATIENTStatic")->text().contains("NEWPATIENT"));
}

TEST_F(HostAudioFormTest, RecordConvertsTheHostAudioOnceAndRecordsOverTheCopy) {
    open("RECORD", "host.wav", pcm44kStereo());
    const QString hostFile = form.AudioFileName();
    click("btnRecord");
    ASSERT_TRUE(devices.input && devices.input->active()) << messages.shown.join('\n').toStdString();
    EXPECT_NE(form.AudioFileName(), hostFile);
    EXPECT_EQ(readFile(hostFile), pcm44kStereo()) << "the host's own file stays as it came";
    devices.input->feed(sine(22050, 300));
    messages.replies = {UserMessages::Answer::Yes}; // keep the rest
    click("btnStop");
    const QByteArray recorded = readFile(form.AudioFileName());
    const QByteArray format = chunk(recorded, "fmt ");
    ASSERT_GE(format.size(), 16);
    EXPECT_EQ(qFromLittleEndian<quint16>(format.constData()), 0x31) << "GSM 6.10";
    EXPECT_EQ(qFromLittleEndian<quint32>(format.constData() + 4), 22050u);
    // The recording started at the beginning of the converted second and replaced it.
    EXPECT_NEAR(chunk(recorded, "data").size() / 65 * 320, 22050, 640);
    const QString converted = form.AudioFileName();
    click("btnRecord");
    EXPECT_EQ(form.AudioFileName(), converted) << "converted once";
    EXPECT_TRUE(devices.input->active());
}

} // namespace
