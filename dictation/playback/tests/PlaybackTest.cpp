// The player on stand-in sound devices: word alignment and position reports, the recording
// template, overwrite, cut and save at block precision, and the end-of-play rules.
#include "common/FileWait.h"
#include "common/testing/DeadShareWatch.h"
#include "common/testing/HungFile.h"
#include "common/testing/RecordingMessages.h"
#include "dictation/playback/TPlayback.h"
#include "dictation/playback/tests/FakeAudioDevices.h"
#include "platform/audio/GsmCodec.h"
#include "platform/audio/tests/AudioTestSupport.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace orva::audio;
using namespace orva::audio::test;

namespace {

struct Report {
    int start, length;
    bool operator==(const Report &) const = default;
};

void PrintTo(const Report &r, std::ostream *os) {
    *os << "(" << r.start << "," << r.length << ")";
}

class PlaybackTest : public ::testing::Test {
protected:
    PlaybackTest() : player(nullptr, &devices) {
        player.SetPositionCallback([this](PlaybackControl *sender, int start, int length) {
            EXPECT_EQ(sender, &player);
            reports.push_back({start, length});
        });
    }
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

    // A GSM file of `seconds` of speech-like audio; its blocks.
    QByteArray writeGsm(const QString &file, double seconds) {
        GsmBlockEncoder encoder;
        QByteArray blocks;
        const std::vector<std::int16_t> pcm = speechLike(std::size_t(seconds * kGsmRate));
        encoder.push(pcm.data(), pcm.size(), blocks);
        encoder.flush(blocks);
        EXPECT_TRUE(writeFile(file, waveFile(GsmFormat(kGsmRate).toBytes(), blocks)));
        return blocks;
    }

    QTemporaryDir dir;
    FakeAudioDevices devices;
    TPlayback player;
    std::vector<Report> reports;
};

std::vector<std::int16_t> decode(const QByteArray &blocks) {
    GsmBlockDecoder decoder;
    std::vector<std::int16_t> pcm(std::size_t(blocks.size() / kGsmBlockBytes) * kGsmBlockSamples);
    for (qsizetype b = 0; b < blocks.size() / kGsmBlockBytes; ++b)
        decoder.decodeBlock(reinterpret_cast<const std::uint8_t *>(blocks.constData()) + b * kGsmBlockBytes,
                            pcm.data() + b * kGsmBlockSamples);
    return pcm;
}

TEST_F(PlaybackTest, AlignmentOfUnchangedText) {
    player.SetRecognisedText("Hello \\0\\500]World\\500\\900");
    EXPECT_EQ(player.RecognisedText(), "HELLO WORLD");
    player.SetCurrentText("Hello World");
    const std::vector<TPlayback::AlignedEntry> &a = player.Aligned();
    ASSERT_EQ(a.size(), 4u);
    const int expected[4][3] = {{0, 0, 0}, {0, 0, 6}, {500, 6, 11}, {900, 11, 11}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(a[i].Time, expected[i][0]) << i;
        EXPECT_EQ(a[i].Start, expected[i][1]) << i;
        EXPECT_EQ(a[i].End, expected[i][2]) << i;
    }
    EXPECT_EQ(player.TimeOfTextPos(7), 500);
    EXPECT_EQ(player.TimeOfTextPos(0), 0);
    EXPECT_EQ(player.TimeOfTextPos(11), -1);
    player.ReportWordAtTime(100);
    player.ReportWordAtTime(600);
    player.ReportWordAtTime(1000);
    EXPECT_EQ(reports, (std::vector<Report>{{0, 6}, {6, 6}, {11, 0}}));
    EXPECT_EQ(player.WordAtTime(-5), -1);
}

TEST_F(PlaybackTest, InsertedAndDeletedWordsKeepTheFollowingTimes) {
    player.SetRecognisedText("Hello \\0\\500]World\\500\\900");
    player.SetCurrentText("Hello there World");
    const std::vector<TPlayback::AlignedEntry> &a = player.Aligned();
    ASSERT_EQ(a.size(), 4u);
    EXPECT_EQ(std::make_tuple(a[1].Time, a[1].Start, a[1].End), std::make_tuple(0, 0, 11));
    EXPECT_EQ(std::make_tuple(a[2].Time, a[2].Start, a[2].End), std::make_tuple(500, 12, 17));
    EXPECT_EQ(std::make_tuple(a[3].Time, a[3].Start, a[3].End), std::make_tuple(900, 17, 17));
    EXPECT_EQ(player.TimeOfTextPos(13), 500);

    player.SetRecognisedText("Hello \\0\\500]big \\500\\800]World\\800\\1200");
    player.SetCurrentText("Hello World");
    EXPECT_EQ(player.TimeOfTextPos(8), 800);
    // Upper-casing keeps positions: "ß" stays one character.
    player.SetRecognisedText(QString::fromUtf8("Straße \\0\\500]World\\500\\900"));
    player.SetCurrentText(QString::fromUtf8("straße world"));
    EXPECT_EQ(player.TimeOfTextPos(8), 500);
}

TEST_F(PlaybackTest, RecordingTemplate) {
    EXPECT_EQ(EmptyGsmWave().toHex(),
              QByteArray("524946463400000057415645666d74201400000031000100225600007e11000041"
                         "00000002004001666163740400000000000000646174610000000000"
                         "0000")
                  .left(120));
    EXPECT_EQ(EmptyGsmWave().size(), 60);
    player.CreateRecordingFile(path("rec.wav"));
    EXPECT_EQ(readFile(path("rec.wav")), EmptyGsmWave());
    EXPECT_EQ(QFileInfo(path("rec.wav")).permissions() & 0x0077, 0);
    EXPECT_EQ(player.FileName(), path("rec.wav"));
    EXPECT_EQ(player.Mode(), PlaybackControl::Stopped);
    EXPECT_EQ(player.Length(), 0);
    EXPECT_EQ(reports.back(), (Report{0, 0}));
}

// A recording's name is easy to guess: a link planted there is replaced, and the file it points
// at is left alone, when the recording is made and when it is saved.
TEST_F(PlaybackTest, RecordingDoesNotFollowALink) {
    ASSERT_TRUE(writeFile(path("victim"), "precious"));
    ASSERT_TRUE(QFile::link(path("victim"), path("rec.wav")));
    player.CreateRecordingFile(path("rec.wav"));
    EXPECT_FALSE(QFileInfo(path("rec.wav")).isSymLink());
    EXPECT_EQ(readFile(path("rec.wav")), EmptyGsmWave());
    ASSERT_TRUE(QFile::remove(path("rec.wav")));
    ASSERT_TRUE(QFile::link(path("victim"), path("rec.wav")));
    player.Record(0, -1);
    devices.input->feed(sine(2205, 300));
    player.Pause();
    player.SaveRecording();
    EXPECT_FALSE(QFileInfo(path("rec.wav")).isSymLink());
    EXPECT_EQ(readFile(path("victim")), "precious");
}

TEST_F(PlaybackTest, RecordOverKeepsEveryOtherBlock) {
    const QByteArray before = writeGsm(path("a.wav"), 5.0);
    player.OpenFile(path("a.wav"));
    const int length = player.Length();
    EXPECT_NEAR(length, 5000, 15);
    player.Record(2000, -1);
    EXPECT_EQ(player.Mode(), PlaybackControl::Recording);
    ASSERT_TRUE(devices.input);
    devices.input->feed(sine(22050, 440));
    EXPECT_NEAR(player.Position(), 3000, 30); // whole blocks
    player.Pause();
    EXPECT_EQ(player.Mode(), PlaybackControl::Stopped);
    EXPECT_EQ(player.Length(), length);

    const QByteArray after = player.Device().blocks();
    ASSERT_EQ(after.size(), before.size());
    const int first = 2000 * 22050 / 1000 / 320; // 137
    const int count = (22050 + 319) / 320;       // 69, the last padded
    EXPECT_EQ(first, 137);
    EXPECT_EQ(after.left(first * 65), before.left(first * 65));
    EXPECT_NE(after.mid(first * 65, 65), before.mid(first * 65, 65));
    EXPECT_EQ(after.mid((first + count) * 65), before.mid((first + count) * 65));
    const std::vector<std::int16_t> pcmBefore = decode(before);
    const std::vector<std::int16_t> pcmAfter = decode(after);
    EXPECT_TRUE(std::equal(pcmBefore.begin(), pcmBefore.begin() + first * 320, pcmAfter.begin()));
    EXPECT_GT(toneShare(pcmAfter.data() + (first + 10) * 320, 8000, 440), 0.7);
    // The recording was saved when it stopped.
    EXPECT_EQ(chunk(readFile(path("a.wav")), "data"), after);
}

TEST_F(PlaybackTest, SaveWritesFactAndSizes) {
    player.CreateRecordingFile(path("rec.wav"));
    player.Record(0, -1);
    devices.input->feed(sine(22050, 300));
    player.Pause();
    player.SaveRecording();
    const QByteArray file = readFile(path("rec.wav"));
    const int blocks = 69;
    EXPECT_EQ(player.Device().blockCount(), blocks);
    EXPECT_EQ(file.left(40).mid(12), EmptyGsmWave().left(40).mid(12));
    EXPECT_EQ(chunk(file, "fact"), le32(blocks * 320));
    EXPECT_EQ(chunk(file, "data").size(), blocks * 65);
    EXPECT_EQ(file.size(), 60 + blocks * 65 + 1); // odd data: a pad byte
    EXPECT_EQ(qFromLittleEndian<quint32>(file.constData() + 4), quint32(file.size() - 8));
    if (!soxProgram("soxi").isEmpty()) {
        EXPECT_EQ(runSox({"-s", path("rec.wav")}, "soxi").trimmed(), QByteArray::number(blocks * 320));
        EXPECT_EQ(runSox({"-e", path("rec.wav")}, "soxi").trimmed(), "GSM");
    }
}

TEST_F(PlaybackTest, RecordToAPositionStopsThere) {
    writeGsm(path("a.wav"), 3.0);
    player.OpenFile(path("a.wav"));
    player.Record(500, 1000);
    devices.input->feed(sine(22050, 440));
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.Mode() == PlaybackControl::Stopped; }, 5000));
    EXPECT_EQ(player.Position(), WaveDevice::msOfBlocks(WaveDevice::blockAtMs(1000)));
}

TEST_F(PlaybackTest, DeleteTruncatesAtTheBlock) {
    const QByteArray before = writeGsm(path("a.wav"), 3.0);
    player.OpenFile(path("a.wav"));
    player.DeleteRange(1600, -1);
    const int kept = WaveDevice::blockAtMs(1600);
    EXPECT_EQ(player.Device().blocks(), before.left(kept * 65));
    EXPECT_EQ(chunk(readFile(path("a.wav")), "data"), before.left(kept * 65));
    player.DeleteRange(0, 500);
    EXPECT_EQ(player.Device().blocks(),
              before.mid(WaveDevice::blockAtMs(500) * 65, (kept - WaveDevice::blockAtMs(500)) * 65));
}

TEST_F(PlaybackTest, PlayingToTheEndGoesBackToZeroButRecordingStays) {
    writeGsm(path("a.wav"), 1.0);
    player.OpenFile(path("a.wav"));
    player.Play(player.Length(), -1); // from the length: from 0
    EXPECT_EQ(player.Mode(), PlaybackControl::Playing);
    EXPECT_EQ(player.Position(), 0);
    devices.output->advance(400);
    EXPECT_NEAR(player.Position(), 400, 1);
    devices.output->advance(1000);
    EXPECT_EQ(player.Mode(), PlaybackControl::Stopped);
    EXPECT_EQ(player.Position(), player.Length());
    player.TimerTick();
    EXPECT_EQ(player.Position(), 0);
    EXPECT_FALSE(player.TimerActive());

    player.Record(player.Length(), -1);
    devices.input->feed(sine(4410, 440));
    player.Pause();
    player.TimerTick();
    EXPECT_EQ(player.Position(), player.Length());
}

TEST_F(PlaybackTest, PositionReportsWhilePlaying) {
    writeGsm(path("a.wav"), 1.0);
    player.OpenFile(path("a.wav"));
    player.SetRecognisedText("Hello \\0\\500]World\\500\\900");
    player.SetCurrentText("Hello World");
    reports.clear();
    player.PlayFromTextPos(7, -1);
    EXPECT_EQ(player.Position(), 500);
    player.TimerTick();
    devices.output->advance(450);
    player.TimerTick();
    EXPECT_EQ(reports, (std::vector<Report>{{6, 6}, {11, 0}}));
    // A text position after the last word plays from where the player is.
    player.Pause();
    player.PlayFromTextPos(50, -1);
    EXPECT_EQ(player.Mode(), PlaybackControl::Playing);
    EXPECT_NEAR(player.Position(), 950, 1);
    player.Stop();
    EXPECT_EQ(player.Position(), 0);
    EXPECT_EQ(reports.back(), (Report{0, 0}));
}

// Host audio that never reached the dictation format (PCM at another rate, an MP3 upload) plays
// as it is, at its own length.
TEST_F(PlaybackTest, OtherFormatsPlayAtTheirLength) {
    struct Case {
        const char *name;
        QString file;
    };
    std::vector<Case> cases{{"PCM 16-bit 44.1 kHz stereo", path("stereo.wav")}};
    ASSERT_TRUE(writeFile(cases[0].file, pcmWave(sine(44100, 440, 44100, 2), 44100, 2)));
    if (!soxProgram().isEmpty() && !runSox({cases[0].file, path("tone.mp3")}).isNull())
        cases.push_back({"MP3", path("tone.mp3")});
    ASSERT_EQ(cases.size(), 2u) << "sox could not write the MP3";
    for (const Case &c : cases) {
        player.OpenFile(c.file);
        // An MP3 carries the encoder's delay and padding: a few frames more.
        EXPECT_NEAR(player.Length(), 1000, 120) << c.name;
        player.Play(500, -1);
        ASSERT_TRUE(devices.output) << c.name;
        const std::vector<std::int16_t> heard = devices.output->advance(200);
        ASSERT_EQ(heard.size(), 4410u) << c.name;
        EXPECT_GT(toneShare(heard.data(), heard.size(), 440), 0.8) << c.name;
        EXPECT_NEAR(player.Position(), 700, 1) << c.name;
        devices.output->advance(2000);
        EXPECT_EQ(player.Mode(), PlaybackControl::Stopped) << c.name;
        player.OpenFile(QString());
    }
}

TEST_F(PlaybackTest, DeviceAndFileErrors) {
    QString error;
    EXPECT_FALSE(player.OpenFile(path("missing.wav")));
    EXPECT_EQ(player.FileName(), "");
    ASSERT_TRUE(writeFile(path("pcm.wav"), pcmWave(sine(1000, 440), 22050, 1)));
    player.OpenFile(path("pcm.wav"));
    EXPECT_FALSE(player.Record(0, -1, &error)) << "audio opened for playing only was recorded over";
    EXPECT_TRUE(error.contains("not in the dictation format"));
    EXPECT_FALSE(player.DeleteRange(0, -1));
    EXPECT_EQ(readFile(path("pcm.wav")), pcmWave(sine(1000, 440), 22050, 1));
    player.OpenFile(QString());
    ASSERT_TRUE(writeFile(path("junk.wav"), "RIFF"));
    EXPECT_FALSE(player.OpenFile(path("junk.wav")));
    EXPECT_FALSE(player.Play(0, -1));
    EXPECT_EQ(player.Mode(), PlaybackControl::NotReady);
}

} // namespace

// A recording on a share that does not answer: opening it gives up at the player's deadline with
// an error naming the file (the one message the user sees), the program's timers keep time meanwhile.
TEST_F(PlaybackTest, RecordingOnADeadShareIsRefusedAtTheDeadline) {
    const QString dead = path("dead.wav");
    HungFile hung(dead);
    ASSERT_TRUE(hung.made());
    hung.watch(8000);
    DeadShareWatch watch;
    player.Device().ShareWaitMs = 500;
    QElapsedTimer clock;
    clock.start();
    QString error;
    player.OpenFile(dead, &error);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_TRUE(watch.keptTurning()) << watch.ticks;
    hung.finished();
    EXPECT_FALSE(hung.blocked());
    EXPECT_TRUE(error.contains(dead) && error.contains("did not answer")) << error.toStdString();
    // The player's error is the one message: the window tells it as any other.
    EXPECT_TRUE(watch.messages.shown.isEmpty());
    EXPECT_EQ(player.Device().state(), WaveDevice::Closed);

    // A recording that answers opens as before.
    writeGsm(path("fine.wav"), 0.5);
    player.OpenFile(path("fine.wav"));
    EXPECT_GT(player.Length(), 0);
}
