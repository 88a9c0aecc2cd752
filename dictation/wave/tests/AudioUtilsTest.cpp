// MPEG frame headers, the built MP3 header, format look-up and whole-file conversion to the
// dictation format, checked by sox as the independent reader.
#include "dictation/wave/AudioUtils.h"
#include "dictation/wave/TdeAudioConvertor.h"
#include "platform/audio/tests/AudioTestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orva::audio::test;

namespace {

const QByteArray kMp3Header = QByteArray::fromHex("fffb9000");       // MPEG-1 L3 128k 44100 stereo
const QByteArray kMp3HeaderPadded = QByteArray::fromHex("fffb9200"); // the same, padded

// Frames of `header`, each filled to its length, then `tail` bytes.
QByteArray frames(const QByteArray &header, int count, int length) {
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += header + QByteArray(length - 4, '\0');
    return out;
}

TdeWaveFormat dictationFormat() {
    TdeWaveFormat format;
    EXPECT_TRUE(FindAcmFormat("GSM 6.10", "22.050 kHz, Mono", format));
    return format;
}

TEST(Mpeg, FrameHeaders) {
    struct Case {
        const char *hex;
        bool valid;
        int version, layer, rate, bitRate, channels, padding, length;
    };
    const Case cases[] = {
        {"fffb9000", true, 1, 3, 44100, 128, 2, 0, 417}, {"fffb9200", true, 1, 3, 44100, 128, 2, 1, 418},
        {"fff340c0", true, 2, 3, 22050, 32, 1, 0, 104},  {"fffb94c0", true, 1, 3, 48000, 128, 1, 0, 384},
        {"fffd9000", true, 1, 2, 44100, 160, 2, 0, 522}, {"ffff9000", true, 1, 1, 44100, 288, 2, 0, 78 * 4},
        {"ffe34000", true, 3, 3, 11025, 32, 2, 0, 208},  {"fff5b000", true, 2, 2, 22050, 112, 2, 0, 731},
        {"fffb0000", false, 0, 0, 0, 0, 0, 0, 0}, // free format
        {"fffbf000", false, 0, 0, 0, 0, 0, 0, 0}, // bit-rate index 15
        {"fffb9c00", false, 0, 0, 0, 0, 0, 0, 0}, // sample-rate index 3
        {"fff99000", false, 0, 0, 0, 0, 0, 0, 0}, // layer 0
        {"ffeb9000", false, 0, 0, 0, 0, 0, 0, 0}, // version 01
        {"fefb9000", false, 0, 0, 0, 0, 0, 0, 0}, // no sync
    };
    for (const Case &c : cases) {
        const QByteArray bytes = QByteArray::fromHex(c.hex);
        const MpegFrameHeader h =
            ParseMpegFrameHeader(reinterpret_cast<const unsigned char *>(bytes.constData()));
        EXPECT_EQ(h.Valid, c.valid) << c.hex;
        if (!c.valid)
            continue;
        EXPECT_EQ(h.Version, c.version) << c.hex;
        EXPECT_EQ(h.Layer, c.layer) << c.hex;
        EXPECT_EQ(h.SampleRate, c.rate) << c.hex;
        EXPECT_EQ(h.BitRate, c.bitRate) << c.hex;
        EXPECT_EQ(h.Channels, c.channels) << c.hex;
        EXPECT_EQ(h.Padding, c.padding) << c.hex;
        EXPECT_EQ(MpegFrameLength(h.Layer, h.SampleRate, h.BitRate, h.Padding), c.length) << c.hex;
    }
    EXPECT_EQ(MpegFrameLength(3, 0, 128, 0), 0);
}

TEST(Mpeg, FindStartAndHeader) {
    QTemporaryDir dir;
    // 1000 bytes: two 417-byte frames and the header of a third.
    const QByteArray file = frames(kMp3Header, 2, 417) + kMp3Header + QByteArray(1000 - 838, '\0');
    ASSERT_EQ(file.size(), 1000);
    const QString mp3 = dir.filePath("a.mp3");
    ASSERT_TRUE(writeFile(mp3, file));
    EXPECT_EQ(FindMpegStart(mp3), 0);
    EXPECT_TRUE(IsMpegFile(mp3));
    EXPECT_EQ(BuildMpegWaveHeader(mp3).toHex(),
              QByteArray("524946461a04000057415645666d74201e0000005500020044ac0000"
                         "803e0000200000000c0001000200000"
                         "0a800010071056461"
                         "7461e8030000"));

    // An ID3v2 tag of 300 bytes before the frames: found after it; the header still covers the file.
    QByteArray tag =
        QByteArray("ID3\x03\x00\x00", 6) + QByteArray::fromHex("00000222") + QByteArray(290, 'T');
    tag[300 - 1] = char(0xFF); // a false sync inside the tag is not looked at
    const QString tagged = dir.filePath("tagged.mp3");
    ASSERT_TRUE(writeFile(tagged, tag + frames(kMp3HeaderPadded, 4, 418)));
    EXPECT_EQ(FindMpegStart(tagged), 300);
    const QByteArray header = BuildMpegWaveHeader(tagged);
    ASSERT_EQ(header.size(), 58);
    EXPECT_EQ(qFromLittleEndian<quint32>(header.constData() + 54), quint32(300 + 4 * 418));

    struct Miss {
        const char *name;
        QByteArray bytes;
    };
    const Miss misses[] = {
        {"lone header", kMp3Header + QByteArray(2000, '\0')},
        {"second frame invalid",
         kMp3Header + QByteArray(413, '\0') + QByteArray::fromHex("fffbf000") + QByteArray(900, '\0')},
        {"third frame invalid where the file has room",
         frames(kMp3Header, 2, 417) + QByteArray::fromHex("00fb9000") + QByteArray(500, '\0')},
        {"noise", QByteArray(5000, '\x37')},
        {"tag claiming more than the file", QByteArray("ID3\x03\x00\x00\x7f\x7f\x7f\x7f", 10)},
        {"empty", QByteArray()},
    };
    for (const Miss &m : misses) {
        const QString path = dir.filePath("miss.mp3");
        ASSERT_TRUE(writeFile(path, m.bytes));
        EXPECT_EQ(FindMpegStart(path), -1) << m.name;
        EXPECT_TRUE(BuildMpegWaveHeader(path).isEmpty()) << m.name;
    }
    // Two frames that end the file are enough.
    ASSERT_TRUE(writeFile(dir.filePath("two.mp3"), frames(kMp3Header, 2, 417)));
    EXPECT_EQ(FindMpegStart(dir.filePath("two.mp3")), 0);
    // Only the first 64 KiB are searched.
    ASSERT_TRUE(writeFile(dir.filePath("late.mp3"), QByteArray(70000, '\0') + frames(kMp3Header, 3, 417)));
    EXPECT_EQ(FindMpegStart(dir.filePath("late.mp3")), -1);
}

TEST(FormatLookup, NamesCompareWithoutBlanksOrCase) {
    TdeWaveFormat f;
    EXPECT_TRUE(FindAcmFormat("gsm6.10", "22.050khz,mono", f));
    EXPECT_EQ(f.Bytes().toHex(), QByteArray("31000100225600007e11000041000000020040"
                                            "01"));
    EXPECT_TRUE(FindAcmFormat("GSM 6.10", "8.000 kHz, Mono", f));
    EXPECT_EQ(f.SamplesPerSec(), 8000u);
    EXPECT_FALSE(FindAcmFormat("GSM 6.10", "22.050 kHz, Stereo", f));
    EXPECT_EQ(f.FormatTag(), 0);
    EXPECT_TRUE(FindAcmFormat("PCM", "44.100 kHz, 16 Bit, Stereo", f));
    EXPECT_EQ(f.BlockAlign(), 4);
    EXPECT_EQ(FormatTagName(0x31), "GSM 6.10");
}

TEST(ReadWaveFileFormat, WaveMpegAndNeither) {
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("a.wav"), pcmWave(sine(100, 440), 22050, 1)));
    ASSERT_TRUE(writeFile(dir.filePath("b.mp3"), frames(kMp3Header, 3, 417)));
    ASSERT_TRUE(writeFile(dir.filePath("c.txt"), "just text"));
    TdeWaveFormat f;
    bool isMpeg = true;
    EXPECT_TRUE(ReadWaveFileFormat(dir.filePath("a.wav"), f, isMpeg));
    EXPECT_FALSE(isMpeg);
    EXPECT_EQ(f.FormatTag(), 1);
    EXPECT_EQ(f.SamplesPerSec(), 22050u);
    EXPECT_TRUE(ReadWaveFileFormat(dir.filePath("b.mp3"), f, isMpeg));
    EXPECT_TRUE(isMpeg);
    EXPECT_EQ(f.FormatTag(), 0x55);
    EXPECT_EQ(f.Channels(), 2);
    EXPECT_FALSE(ReadWaveFileFormat(dir.filePath("c.txt"), f, isMpeg));
    EXPECT_EQ(f.FormatTag(), 0);
    EXPECT_FALSE(CanReadWaveFormat(dir.filePath("missing.wav")));
}

TEST(TdeAudioConvertor, ActivationRules) {
    TdeAudioConvertor c;
    c.SetFormatOut(dictationFormat());
    c.SetActive(true);
    QString error;
    EXPECT_FALSE(c.SetActive(true, &error));
    EXPECT_EQ(error, "Cannot perform this action while active.");
    EXPECT_FALSE(c.SetRequestRealTime(true));
    c.SetActive(false);
    QByteArray nothing;
    QBuffer buffer(&nothing);
    EXPECT_FALSE(c.ConvertStream(buffer, &error));
    EXPECT_EQ(error, "Cannot perform this action while not active.");
    TdeWaveFormat unknown;
    unknown.SetFormatTag(0x1234);
    c.SetFormatIn(unknown);
    EXPECT_FALSE(c.SetActive(true, &error));
    EXPECT_EQ(error, "Conversion not possible.");
}

struct Conversion {
    QByteArray file;
    QList<int> stages;
    QList<int> percents;
};

Conversion convert(const QString &source, const QString &target, bool cancelHalfway = false,
                   QString *error = nullptr) {
    Conversion c;
    const bool done = ConvertAudioFile(
        source, target, dictationFormat(),
        [&](int stage, int percent) {
            c.stages << stage;
            c.percents << percent;
            return !(cancelHalfway && stage == 1);
        },
        error);
    EXPECT_EQ(done, !error || error->isEmpty()) << source.toStdString();
    c.file = readFile(target);
    return c;
}

TEST(ConvertAudioFile, PcmStereoToGsm) {
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("in.wav"), pcmWave(sine(88200, 440, 44100, 2), 44100, 2)));
    const QString out = dir.filePath("out.wav");
    const Conversion c = convert(dir.filePath("in.wav"), out);
    ASSERT_GE(c.file.size(), 48);
    EXPECT_EQ(c.file.left(40).mid(8).toHex(),
              QByteArray("57415645666d74201400000031000100225600007e11000041000000020040"
                         "01"));
    EXPECT_EQ(c.file.mid(40, 4), "data");
    const qsizetype blocks = (c.file.size() - 48) / 65;
    EXPECT_EQ((c.file.size() - 48) % 65, 0);
    EXPECT_NEAR(double(blocks), 138.0, 1.0); // ceil(44100 / 320), give or take the resampler's delay
    EXPECT_EQ(qFromLittleEndian<quint32>(c.file.constData() + 4), quint32(c.file.size() - 8));
    EXPECT_EQ(qFromLittleEndian<quint32>(c.file.constData() + 44), quint32(blocks * 65));
    EXPECT_EQ(c.stages.first(), 0);
    EXPECT_EQ(c.stages.last(), 2);
    EXPECT_EQ(c.percents.last(), 100);
    EXPECT_TRUE(c.stages.contains(1));
    // Readable by its owner only (group and other bits clear).
    EXPECT_EQ(QFileInfo(out).permissions() & 0x0077, 0);
    EXPECT_TRUE(QFileInfo(out).permissions() & QFileDevice::ReadOwner);
    // Only the target is left in the folder.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);

    if (soxProgram("soxi").isEmpty())
        GTEST_SKIP() << "soxi not installed";
    EXPECT_EQ(runSox({"-e", out}, "soxi").trimmed(), "GSM");
    EXPECT_EQ(runSox({"-r", out}, "soxi").trimmed(), "22050");
    EXPECT_EQ(runSox({"-c", out}, "soxi").trimmed(), "1");
    EXPECT_EQ(runSox({"-s", out}, "soxi").trimmed(), QByteArray::number(blocks * 320));
}

TEST(ConvertAudioFile, LastChunkOfExactlyTwoSecondsIsFlushed) {
    QTemporaryDir dir;
    // 4.0 s at 22,050 Hz mono: two chunks of exactly two seconds; 275.6 blocks of audio.
    ASSERT_TRUE(writeFile(dir.filePath("in.wav"), pcmWave(speechLike(88200), 22050, 1)));
    const Conversion c = convert(dir.filePath("in.wav"), dir.filePath("out.wav"));
    EXPECT_EQ(c.file.size(), 48 + 276 * 65);
}

TEST(ConvertAudioFile, MpegGoesThroughATemporaryWave) {
    if (soxProgram().isEmpty())
        GTEST_SKIP() << "sox not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("in.wav"), pcmWave(sine(88200, 440, 44100, 1), 44100, 1)));
    if (runSox({dir.filePath("in.wav"), dir.filePath("in.mp3")}).isNull())
        GTEST_SKIP() << "this sox cannot write MP3";
    const Conversion c = convert(dir.filePath("in.mp3"), dir.filePath("out.wav"));
    const qsizetype blocks = (c.file.size() - 48) / 65;
    EXPECT_NEAR(double(blocks), 138.0, 8.0); // the encoder's delay and padding
    EXPECT_EQ(QDir(dir.path()).entryList({"*.tmp"}, QDir::Files).size(), 0);
}

TEST(ConvertAudioFile, FailuresAndCancelLeaveNoTarget) {
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("in.wav"), pcmWave(speechLike(22050 * 10), 22050, 1)));
    ASSERT_TRUE(writeFile(dir.filePath("text.wav"), "not a wave at all"));
    QByteArray zeroRate = pcmWave(sine(100, 440), 22050, 1);
    zeroRate.replace(24, 4, le32(0));
    ASSERT_TRUE(writeFile(dir.filePath("zero.wav"), zeroRate));
    QByteArray truncated = pcmWave(sine(10000, 440), 22050, 1).left(3000);
    ASSERT_TRUE(writeFile(dir.filePath("truncated.wav"), truncated));
    ASSERT_TRUE(writeFile(dir.filePath("bad.mp3"), kMp3Header + kMp3Header + QByteArray(3000, '\x01')));

    const QString out = dir.filePath("out.wav");
    struct Case {
        const char *source;
        bool cancel;
        const char *error; // empty: succeeds
    };
    const Case cases[] = {
        {"text.wav", false, "Invalid file format."},       {"zero.wav", false, "Invalid file format."},
        {"missing.wav", false, "Invalid file format."},    {"bad.mp3", false, "Invalid file format."},
        {"in.wav", true, "The conversion was cancelled."}, {"truncated.wav", false, ""},
    };
    for (const Case &c : cases) {
        QFile::remove(out);
        QString error;
        convert(dir.filePath(c.source), out, c.cancel, &error);
        EXPECT_EQ(error, QString::fromLatin1(c.error)) << c.source;
        EXPECT_EQ(QFile::exists(out), error.isEmpty()) << c.source;
        EXPECT_EQ(QDir(dir.path()).entryList({"*.tmp"}, QDir::Files).size(), 0) << c.source;
    }
}

} // namespace
