// The codec layer against sox as the independent reference: our GSM 6.10 blocks are sox's blocks
// and our decoding is sox's decoding; every WAVE sub-format sox writes decodes to the right
// length; damaged data gives an error instead of a crash.
#include "platform/audio/AudioCodecs.h"
#include "platform/audio/GsmCodec.h"
#include "platform/audio/PcmConverter.h"
#include "platform/audio/tests/AudioTestSupport.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orva::audio;
using namespace orva::audio::test;

namespace {

QByteArray encodeAll(const std::vector<std::int16_t> &pcm) {
    GsmBlockEncoder encoder;
    QByteArray blocks;
    encoder.push(pcm.data(), pcm.size(), blocks);
    encoder.flush(blocks);
    return blocks;
}

std::vector<std::int16_t> decodeAll(const QByteArray &blocks) {
    GsmBlockDecoder decoder;
    std::vector<std::int16_t> pcm(std::size_t(blocks.size() / kGsmBlockBytes) * kGsmBlockSamples);
    for (qsizetype b = 0; b < blocks.size() / kGsmBlockBytes; ++b)
        decoder.decodeBlock(reinterpret_cast<const std::uint8_t *>(blocks.constData()) + b * kGsmBlockBytes,
                            pcm.data() + b * kGsmBlockSamples);
    return pcm;
}

// All frames of a decoder.
std::vector<std::int16_t> readAll(PcmDecoder &decoder) {
    std::vector<std::int16_t> out;
    std::vector<std::int16_t> buffer(4096 * std::size_t(decoder.channels()));
    for (;;) {
        const qint64 n = decoder.read(buffer.data(), 4096);
        if (n <= 0)
            break;
        out.insert(out.end(), buffer.begin(), buffer.begin() + n * decoder.channels());
    }
    return out;
}

TEST(GsmCodec, BlocksAreSoxBlocksAndDecodeLikeSox) {
    if (soxProgram().isEmpty())
        GTEST_SKIP() << "sox not installed";
    QTemporaryDir dir;
    const std::vector<std::int16_t> pcm = speechLike(320 * 200);
    ASSERT_TRUE(writeFile(dir.filePath("in.raw"), pcmBytes(pcm)));
    ASSERT_FALSE(runSox({"-D", "-t", "raw", "-r", "22050", "-b", "16", "-e", "signed-integer", "-c", "1",
                         dir.filePath("in.raw"), "-t", "wav", "-e", "gsm-full-rate", dir.filePath("sox.wav")})
                     .isNull());
    const QByteArray ours = encodeAll(pcm);
    ASSERT_EQ(ours.size(), 200 * kGsmBlockBytes);
    // sox pads its data to its own idea of the length; the blocks we both wrote must be equal.
    const QByteArray theirs = chunk(readFile(dir.filePath("sox.wav")), "data");
    ASSERT_GE(theirs.size(), ours.size());
    for (int b = 0; b < 200; ++b)
        ASSERT_EQ(ours.mid(b * kGsmBlockBytes, kGsmBlockBytes),
                  theirs.mid(b * kGsmBlockBytes, kGsmBlockBytes))
            << "block " << b;

    ASSERT_TRUE(writeFile(dir.filePath("ours.wav"), waveFile(GsmFormat(kGsmRate).toBytes(), ours)));
    const QByteArray soxDecoded = runSox(
        {dir.filePath("ours.wav"), "-t", "raw", "-e", "signed-integer", "-b", "16", dir.filePath("dec.raw")});
    ASSERT_FALSE(soxDecoded.isNull());
    EXPECT_EQ(samplesOf(readFile(dir.filePath("dec.raw"))), decodeAll(ours));
}

TEST(GsmCodec, RoundTripKeepsATone) {
    const std::vector<std::int16_t> tone = sine(320 * 50, 440);
    const std::vector<std::int16_t> back = decodeAll(encodeAll(tone));
    ASSERT_EQ(back.size(), tone.size());
    EXPECT_GT(toneShare(back.data() + 3200, 8000, 440), 0.8);
    EXPECT_LT(toneShare(back.data() + 3200, 8000, 1000), 0.05);
}

TEST(GsmCodec, PartialBlockIsPaddedOnFlush) {
    GsmBlockEncoder encoder;
    QByteArray blocks;
    const std::vector<std::int16_t> pcm = sine(500, 300);
    encoder.push(pcm.data(), 100, blocks);
    encoder.push(pcm.data() + 100, 400, blocks);
    EXPECT_EQ(blocks.size(), kGsmBlockBytes);
    EXPECT_EQ(encoder.pendingSamples(), 180u);
    encoder.flush(blocks);
    EXPECT_EQ(blocks.size(), 2 * kGsmBlockBytes);
    encoder.flush(blocks);
    EXPECT_EQ(blocks.size(), 2 * kGsmBlockBytes);
}

TEST(PcmConverter, LengthsAndFlush) {
    struct Case {
        int inRate, inChannels, outRate, outChannels;
        std::size_t frames;
    };
    for (const Case c :
         {Case{44100, 2, 22050, 1, 88200}, Case{48000, 1, 22050, 1, 48000}, Case{8000, 1, 22050, 1, 8000},
          Case{22050, 2, 22050, 1, 22050}, Case{22050, 1, 44100, 2, 22050}}) {
        PcmConverter converter(c.inRate, c.inChannels, c.outRate, c.outChannels);
        ASSERT_TRUE(converter.ok());
        const std::vector<std::int16_t> in = sine(c.frames, 440, c.inRate, c.inChannels);
        std::vector<std::int16_t> out;
        // In uneven pieces, the last one with the end flag.
        std::size_t at = 0;
        for (std::size_t piece : {std::size_t(1000), std::size_t(3333), c.frames}) {
            const std::size_t n = std::min(piece, c.frames - at);
            converter.process(in.data() + at * c.inChannels, n, at + n == c.frames, out);
            at += n;
        }
        const double expected = double(c.frames) * c.outRate / c.inRate * c.outChannels;
        EXPECT_NEAR(double(out.size()), expected, 2.0 * c.outChannels) << c.inRate << "->" << c.outRate;
        std::vector<std::int16_t> first;
        for (std::size_t i = 0; i < out.size(); i += c.outChannels)
            first.push_back(out[i]);
        EXPECT_GT(toneShare(first.data() + first.size() / 4, 4000, 440, c.outRate), 0.8);
    }
}

TEST(PcmConverter, DownmixAverages) {
    PcmConverter converter(22050, 2, 22050, 1);
    const std::int16_t in[] = {1000, 3000, -2000, 2000, 32767, 32767};
    std::vector<std::int16_t> out;
    converter.process(in, 3, true, out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_NEAR(out[0], 2000, 1);
    EXPECT_NEAR(out[1], 0, 1);
    EXPECT_GE(out[2], 32766);
}

struct SubFormat {
    const char *name;
    QStringList soxArgs; // output options
    int tolerance;       // how far the decoded tone may stray (0: exact)
};

TEST(Decoder, EveryWaveSubFormatSoxWrites) {
    if (soxProgram().isEmpty())
        GTEST_SKIP() << "sox not installed";
    QTemporaryDir dir;
    const std::vector<std::int16_t> tone = sine(22050, 440, 22050, 2);
    ASSERT_TRUE(writeFile(dir.filePath("in.wav"), pcmWave(tone, 22050, 2)));
    const SubFormat formats[] = {
        {"pcm16", {"-e", "signed-integer", "-b", "16"}, 0},
        {"pcm8", {"-e", "unsigned-integer", "-b", "8"}, 1},
        {"pcm24", {"-e", "signed-integer", "-b", "24"}, 0},
        {"float", {"-e", "floating-point", "-b", "32"}, 1}, // scaled to its peak
        {"alaw", {"-e", "a-law"}, 1},
        {"ulaw", {"-e", "u-law"}, 1},
        {"ima", {"-e", "ima-adpcm"}, 1},
        {"ms", {"-e", "ms-adpcm"}, 1},
    };
    for (const SubFormat &f : formats) {
        const QString out = dir.filePath(QString::fromLatin1(f.name) + ".wav");
        ASSERT_FALSE(
            runSox(QStringList{"-D", dir.filePath("in.wav")} + f.soxArgs + QStringList{out}).isNull())
            << f.name;
        const QByteArray file = readFile(out);
        const WaveFormatFields format = WaveFormatFields::fromBytes(chunk(file, "fmt "));
        QByteArray data = chunk(file, "data");
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        int result = -1;
        QString error;
        const auto decoder = OpenDecoder(format, &buffer, &result, &error);
        ASSERT_TRUE(decoder) << f.name << ": " << error.toStdString();
        EXPECT_EQ(result, kOk);
        EXPECT_EQ(decoder->rate(), 22050) << f.name;
        EXPECT_EQ(decoder->channels(), 2) << f.name;
        const std::vector<std::int16_t> pcm = readAll(*decoder);
        EXPECT_NEAR(double(pcm.size()), double(tone.size()), 2 * 1024) << f.name;
        if (f.tolerance == 0) {
            EXPECT_TRUE(std::equal(pcm.begin(), pcm.begin() + 2000, tone.begin(), [](int a, int b) {
                return std::abs(a - b) <= 1;
            })) << f.name;
        }
        std::vector<std::int16_t> left;
        for (std::size_t i = 0; i + 1 < pcm.size(); i += 2)
            left.push_back(pcm[i]);
        EXPECT_GT(toneShare(left.data() + 2000, 8000, 440), 0.8) << f.name;
    }
}

TEST(Decoder, MpegThroughLibmpg123) {
    if (soxProgram().isEmpty())
        GTEST_SKIP() << "sox not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("in.wav"), pcmWave(sine(44100, 440, 44100, 1), 44100, 1)));
    if (runSox({dir.filePath("in.wav"), dir.filePath("in.mp3")}).isNull())
        GTEST_SKIP() << "this sox cannot write MP3";
    QFile mp3(dir.filePath("in.mp3"));
    ASSERT_TRUE(mp3.open(QIODevice::ReadOnly));
    WaveFormatFields format;
    format.tag = kTagMpegLayer3;
    format.channels = 1;
    format.rate = 44100;
    int result = -1;
    QString error;
    const auto decoder = OpenDecoder(format, &mp3, &result, &error);
    ASSERT_TRUE(decoder) << error.toStdString();
    EXPECT_EQ(decoder->rate(), 44100);
    EXPECT_EQ(decoder->channels(), 1);
    const std::vector<std::int16_t> pcm = readAll(*decoder);
    EXPECT_NEAR(double(pcm.size()), 44100.0, 4000.0);
    EXPECT_GT(toneShare(pcm.data() + 10000, 8000, 440, 44100), 0.8);
}

TEST(Decoder, DamagedDataIsAnErrorNotACrash) {
    struct Case {
        const char *name;
        WaveFormatFields format;
        QByteArray data;
        bool opens;
    };
    WaveFormatFields ima;
    ima.tag = kTagImaAdpcm;
    ima.channels = 1;
    ima.rate = 22050;
    ima.bytesPerSecond = 11100;
    ima.blockAlign = 0; // no block size: libsndfile refuses it
    ima.bits = 4;
    ima.extra = QByteArray("\xf9\x01", 2);
    WaveFormatFields zeroRate = PcmFormat(22050, 1, 16);
    zeroRate.rate = 0;
    WaveFormatFields mp3;
    mp3.tag = kTagMpegLayer3;
    mp3.channels = 2;
    mp3.rate = 44100;
    const Case cases[] = {
        {"adpcm without block size", ima, QByteArray(1000, '\x55'), false},
        {"zero rate", zeroRate, QByteArray(100, '\0'), false},
        {"mpeg of noise", mp3, QByteArray(5000, '\x33'), false},
        {"truncated gsm", GsmFormat(22050), QByteArray(100, '\x11'), true},
        {"odd pcm byte", PcmFormat(22050, 1, 16), QByteArray(3, '\x01'), true},
    };
    for (const Case &c : cases) {
        QByteArray data = c.data;
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        int result = 0;
        QString error;
        const auto decoder = OpenDecoder(c.format, &buffer, &result, &error);
        EXPECT_EQ(bool(decoder), c.opens) << c.name;
        if (!decoder) {
            EXPECT_NE(result, kOk) << c.name;
            continue;
        }
        readAll(*decoder);
    }
}

TEST(AudioFormat, TablesAndTests) {
    EXPECT_EQ(GsmFormat(22050).toBytes().toHex(), QByteArray("31000100225600007e11000041000000020040"
                                                             "01"));
    EXPECT_EQ(FormatTagName(kTagGsm610), "GSM 6.10");
    EXPECT_EQ(FormatTagName(0x1234), "");
    EXPECT_TRUE(CanEncode(GsmFormat(22050)));
    EXPECT_FALSE(CanEncode(PcmFormat(22050, 1, 24)));
    EXPECT_TRUE(CanDecode(PcmFormat(22050, 1, 24)));
    WaveFormatFields extensible = PcmFormat(48000, 2, 24);
    extensible.tag = kTagExtensible;
    extensible.extra = QByteArray::fromHex("1800030000000100000000001000800000aa00389b71");
    EXPECT_EQ(extensible.effectiveTag(), kTagPcm);
    EXPECT_TRUE(CanDecode(extensible));
    extensible.extra[20] = 0;
    EXPECT_FALSE(CanDecode(extensible));
    bool found = false;
    for (const InstalledDriver &d : InstalledDrivers())
        for (const InstalledFormat &f : d.formats)
            found |= f.description == "22.050 kHz, Mono" && f.format == GsmFormat(22050).toBytes();
    EXPECT_TRUE(found);
}

} // namespace
