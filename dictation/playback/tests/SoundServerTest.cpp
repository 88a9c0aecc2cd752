// The player on a real sound server: a private PulseAudio daemon with a null sink and a 440 Hz sine
// source, started here and stopped by its process id. Recording must give GSM blocks that decode
// to the tone; playing must run to the end of the file by itself.
#include "dictation/playback/tests/SoundServer.h"
#include "dictation/playback/TPlayback.h"
#include "platform/audio/GsmCodec.h"
#include "platform/audio/tests/AudioTestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace orva::audio;
using namespace orva::audio::test;

namespace {

SoundServer *g_server = nullptr;

// One server for the program, started when its cases run (not when they are only listed).
class SoundServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        m_server = std::make_unique<SoundServer>();
        // Qt's sound backend connects to the server named here on first use.
        if (!m_server->server().isEmpty())
            qputenv("PULSE_SERVER", m_server->server().toLocal8Bit());
        g_server = m_server.get();
    }
    void TearDown() override {
        g_server = nullptr;
        m_server.reset();
    }

private:
    std::unique_ptr<SoundServer> m_server;
};
[[maybe_unused]] auto *const environment = ::testing::AddGlobalTestEnvironment(new SoundServerEnvironment);

class SoundServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (g_server->server().isEmpty())
            GTEST_SKIP() << g_server->why().toStdString();
    }
    QTemporaryDir dir;
};

TEST_F(SoundServerTest, RecordsTheSineSourceAndPlaysItBack) {
    TPlayback player;
    const QString file = dir.filePath("rec.wav");
    player.CreateRecordingFile(file);
    player.Record(0, -1);
    ASSERT_EQ(player.Mode(), PlaybackControl::Recording);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.Position() >= 1500; }, 20000)) << player.Position();
    player.Pause();
    player.SaveRecording();

    const QByteArray blocks = chunk(readFile(file), "data");
    ASSERT_GE(blocks.size() / kGsmBlockBytes, 100);
    GsmBlockDecoder decoder;
    std::vector<std::int16_t> pcm(std::size_t(blocks.size() / kGsmBlockBytes) * kGsmBlockSamples);
    for (qsizetype b = 0; b < blocks.size() / kGsmBlockBytes; ++b)
        decoder.decodeBlock(reinterpret_cast<const std::uint8_t *>(blocks.constData()) + b * kGsmBlockBytes,
                            pcm.data() + b * kGsmBlockSamples);
    // Past the first half second (the stream starting), the tone fills the recording.
    EXPECT_GT(toneShare(pcm.data() + 11025, 11025, 440), 0.6);
    EXPECT_LT(toneShare(pcm.data() + 11025, 11025, 1000), 0.05);

    player.Play(0, -1);
    ASSERT_EQ(player.Mode(), PlaybackControl::Playing);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.Mode() == PlaybackControl::Stopped; }, 30000));
    // The next tick after playing to the end goes back to 0.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player.TimerActive(); }, 5000));
    EXPECT_EQ(player.Position(), 0);
}

} // namespace
