// Wave formats, error texts and the RIFF/WAVE reader and writer on in-memory streams.
#include "dictation/wave/AudioErrors.h"
#include "dictation/wave/TdeRIFFAudioReader.h"
#include "dictation/wave/TdeRIFFAudioWriter.h"
#include "dictation/wave/TdeSubStream.h"
#include "dictation/wave/TdeWaveFormat.h"
#include "platform/audio/tests/AudioTestSupport.h"

#include <QBuffer>

#include <gtest/gtest.h>

using namespace orva::audio::test;

namespace {

const QByteArray kGsmFmt = QByteArray::fromHex("3100010022560000"
                                               "7e11000041000000"
                                               "02004001");

QByteArray riff(const QByteArray &chunks, quint32 size = 0) {
    return "RIFF" + le32(size ? size : quint32(4 + chunks.size())) + "WAVE" + chunks;
}
QByteArray chunkOf(const char *id, const QByteArray &body, qint64 claimed = -1) {
    return QByteArray(id, 4) + le32(quint32(claimed < 0 ? body.size() : claimed)) + body;
}

struct Read {
    TdeWaveFormat format;
    qint64 dataStart = -1;
    qint64 dataSize = -1;
    QString error;
};

Read readWave(const QByteArray &bytes) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    Read r;
    TdeRIFFAudioReader reader(&buffer);
    if (!reader.Open(&r.error))
        return r;
    r.format = reader.Format();
    r.dataStart = reader.DataStart();
    r.dataSize = reader.TrackSize(0);
    return r;
}

TEST(TdeWaveFormat, DefaultsExtraSizeAndAssign) {
    TdeWaveFormat f;
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(f.Buffer()), 18).toHex(),
              QByteArray("01000200112b0000"
                         "22560000"
                         "0200080000"
                         "00"));
    f.SetExtraSize(494);
    EXPECT_EQ(f.ExtraSize(), 494);
    QString error;
    EXPECT_FALSE(f.SetExtraSize(495, &error)) << "495 accepted";
    EXPECT_EQ(error, "The wave format buffer is too small.");
    TdeWaveFormat adpcm;
    adpcm.SetFormatTag(0x42);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(adpcm.Buffer()) + 18, 10).toHex(),
              QByteArray("0200ce9a32f7a2aedeac"));

    // WAVE_FORMAT_EXTENSIBLE: all 40 bytes come across, channel mask and sub-format included.
    const QByteArray extensible = QByteArray::fromHex("feff0200"
                                                      "80bb0000"
                                                      "00650400"
                                                      "06001800"
                                                      "1600"
                                                      "1800030000000100000000001000800000aa00389b71");
    TdeWaveFormat e;
    e.Assign(extensible);
    EXPECT_EQ(e.Bytes(), extensible);
    EXPECT_EQ(e.Fields().effectiveTag(), 1);
    QByteArray tooBig = extensible;
    tooBig[16] = char(0xF0);
    tooBig[17] = 0x01; // 18 + 496 bytes
    EXPECT_FALSE(e.Assign(tooBig, &error)) << "overrun accepted";
    EXPECT_EQ(error, "This wave format cannot be assigned because it would cause a buffer overrun");
    TdeWaveFormat a, b;
    b.SetChannels(1);
    EXPECT_FALSE(a == b);
    b.SetChannels(2);
    EXPECT_TRUE(a == b);
}

TEST(AudioErrors, ResultTexts) {
    EXPECT_EQ(AcmResultText(513), "The conversion stream is already in use.");
    EXPECT_EQ(AcmResultText(514), "Cannot perform this action on a header that has not been prepared.");
    EXPECT_EQ(AcmResultText(99), "An unexpected error has occurred (code #99).");
    EXPECT_EQ(AcmResultMessage(2, "X"), "X\r\nBad device ID.");
    EXPECT_EQ(AcmResultMessage(12), "Device handle in use.");
}

TEST(TdeRIFFAudioReader, Layouts) {
    const QByteArray pcmFmt = orva::audio::PcmFormat(8000, 1, 16).toBytes().left(16);
    struct Case {
        const char *name;
        QByteArray file;
        qint64 dataStart, dataSize; // -1: refused with "Invalid file format."
    };
    const QByteArray data6("\x01\x02\x03\x04\x05\x06", 6);
    const Case cases[] = {
        {"fmt then data", riff(chunkOf("fmt ", pcmFmt) + chunkOf("data", data6)), 44, 6},
        {"data before fmt", riff(chunkOf("data", data6) + chunkOf("fmt ", pcmFmt)), 20, 6},
        {"upper-case ids", riff(chunkOf("FMT ", pcmFmt) + chunkOf("DATA", data6)), 44, 6},
        {"odd LIST chunk is padded",
         riff(chunkOf("LIST", "abc") + QByteArray(1, '\0') + chunkOf("fmt ", pcmFmt) +
              chunkOf("data", data6)),
         56, 6},
        {"empty data at the very end (recording template)",
         riff(chunkOf("fmt ", kGsmFmt) + chunkOf("fact", le32(0)) + chunkOf("data", {})), 60, 0},
        {"data longer than the file is clamped",
         riff(chunkOf("fmt ", pcmFmt) + chunkOf("data", data6, 100000)), 44, 6},
        {"streaming size 0xFFFFFFFF", riff(chunkOf("fmt ", pcmFmt) + chunkOf("data", data6, 0xFFFFFFFFLL)),
         44, 6},
        {"RIFF size 0", riff(chunkOf("fmt ", pcmFmt) + chunkOf("data", data6)).replace(4, 4, le32(0)), -1,
         -1},
        {"not WAVE", riff(chunkOf("fmt ", pcmFmt) + chunkOf("data", data6)).replace(8, 4, "AVI "), -1, -1},
        {"no fmt", riff(chunkOf("data", data6)), -1, -1},
        {"no data", riff(chunkOf("fmt ", pcmFmt)), -1, -1},
        {"fmt of 513 bytes", riff(chunkOf("fmt ", pcmFmt + QByteArray(497, '\0')) + chunkOf("data", data6)),
         -1, -1},
        {"fmt past the end", riff(chunkOf("fmt ", pcmFmt, 40)), -1, -1},
        {"zero sample rate",
         riff(chunkOf("fmt ", QByteArray(pcmFmt).replace(4, 4, le32(0))) + chunkOf("data", data6)), -1, -1},
        {"zero byte rate",
         riff(chunkOf("fmt ", QByteArray(pcmFmt).replace(8, 4, le32(0))) + chunkOf("data", data6)), -1, -1},
        {"truncated header", QByteArray("RIFF\x10\x00"), -1, -1},
        {"empty", QByteArray(), -1, -1},
    };
    for (const Case &c : cases) {
        const Read r = readWave(c.file);
        if (c.dataStart < 0) {
            EXPECT_EQ(r.error, "Invalid file format.") << c.name;
            continue;
        }
        EXPECT_TRUE(r.error.isEmpty()) << c.name << ": " << r.error.toStdString();
        EXPECT_EQ(r.dataStart, c.dataStart) << c.name;
        EXPECT_EQ(r.dataSize, c.dataSize) << c.name;
    }
    EXPECT_EQ(readWave(riff(chunkOf("fmt ", kGsmFmt) + chunkOf("data", {}))).format.Bytes(), kGsmFmt);
}

TEST(TdeSubStream, WindowReadsSeeksAndRefusesWritesPastItsEnd) {
    QByteArray bytes("0123456789");
    QBuffer parent(&bytes);
    parent.open(QIODevice::ReadWrite);
    TdeSubStream window(&parent, 4, 3);
    EXPECT_EQ(window.size(), 4);
    EXPECT_EQ(window.readAll(), "3456"); // the last byte is reachable
    EXPECT_TRUE(window.atEnd());
    ASSERT_TRUE(window.seek(1));
    EXPECT_EQ(window.read(10), "456");
    ASSERT_TRUE(window.seek(2));
    EXPECT_EQ(window.write("ab"), 2);
    EXPECT_EQ(bytes, "01234ab789");
    EXPECT_EQ(window.write("c"), -1);
    EXPECT_EQ(window.errorString(), "Write past end of sub stream.");
    EXPECT_EQ(bytes, "01234ab789");

    TdeSubStream beyond(&parent, 100, 8);
    EXPECT_EQ(beyond.size(), 2);
    TdeSubStream empty(&parent, 0, 10);
    EXPECT_EQ(empty.size(), 0);
    EXPECT_EQ(empty.readAll(), "");
}

TEST(TdeRIFFAudioWriter, HeadersAndSizes) {
    TdeWaveFormat gsm;
    gsm.Assign(kGsmFmt);
    TdeWaveFormat pcm;
    pcm.Assign(orva::audio::PcmFormat(22050, 1, 16).toBytes());
    struct Case {
        const char *name;
        TdeWaveFormat format;
        QByteArray data;
        QByteArray expected;
    };
    const QByteArray blocks(195, '\x5a');
    const Case cases[] = {
        {"GSM, 3 blocks: 48-byte header, odd size, no pad", gsm, blocks,
         QByteArray::fromHex("52494646eb00000057415645666d74201400000031000100225600007e110000410000000200400"
                             "164617461c3000000") +
             blocks},
        {"PCM: 16-byte fmt, 44-byte header", pcm, QByteArray(4, '\x01'),
         QByteArray::fromHex("524946462800000057415645666d742010000000010001002256000044ac0000020010006461746"
                             "10400000001010101")},
        {"no data leaves the stream untouched", gsm, QByteArray(), QByteArray()},
    };
    for (const Case &c : cases) {
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::ReadWrite);
        {
            TdeRIFFAudioWriter writer(&buffer);
            writer.SetFormat(c.format);
            // In two pieces: only the first writes the header.
            writer.Write(c.data.constData(), c.data.size() / 2);
            writer.Write(c.data.constData() + c.data.size() / 2, c.data.size() - c.data.size() / 2);
            writer.Finish();
        }
        EXPECT_EQ(out.toHex(), c.expected.toHex()) << c.name;
        if (!c.expected.isEmpty()) {
            EXPECT_EQ(readWave(out).dataSize, c.data.size()) << c.name;
        }
    }
}

TEST(TdeRIFFAudioWriter, FailedWriteIsAnError) {
    QByteArray bytes;
    QBuffer readOnly(&bytes);
    readOnly.open(QIODevice::ReadOnly);
    TdeWaveFormat gsm;
    gsm.Assign(kGsmFmt);
    TdeRIFFAudioWriter writer(&readOnly);
    writer.SetFormat(gsm);
    EXPECT_FALSE(writer.Write("x", 1));
}

} // namespace
