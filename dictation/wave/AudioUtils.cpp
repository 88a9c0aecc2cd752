#include "dictation/wave/AudioUtils.h"

#include "dictation/wave/AudioErrors.h"
#include "dictation/wave/TdeAudioConvertor.h"
#include "dictation/wave/TdeCodec.h"
#include "dictation/wave/TdeRIFFAudioReader.h"
#include "dictation/wave/TdeRIFFAudioWriter.h"
#include "platform/audio/AudioFormat.h"
#include "platform/files/PrivateFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <QtEndian>

#include <cmath>

namespace {

constexpr qint64 kMpegScanBytes = 64 * 1024;
// The longest frame: MPEG-1 layer II at 384 kbit/s and 32 kHz, padded (and layer I below that).
constexpr qint64 kMaxFrameBytes = 1729;

// Bit rates in kbit/s by row (MPEG-1 layers I, II, III; MPEG-2 layer I; MPEG-2 layers II and III)
// and index 1..14.
constexpr int kBitRates[5][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
};
constexpr int kSampleRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

QByteArray le16(quint16 v) {
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray le32(quint32 v) {
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

// Size of an ID3v2 tag at the start of `head` (header, body and footer), else 0.
qint64 id3v2Size(const QByteArray &head) {
    if (head.size() < 10 || !head.startsWith("ID3"))
        return 0;
    const auto *b = reinterpret_cast<const unsigned char *>(head.constData());
    if ((b[6] | b[7] | b[8] | b[9]) & 0x80)
        return 0;
    const qint64 body = qint64(b[6]) << 21 | qint64(b[7]) << 14 | qint64(b[8]) << 7 | b[9];
    return 10 + body + ((b[5] & 0x10) ? 10 : 0);
}

MpegFrameHeader headerAt(const QByteArray &bytes, qint64 at) {
    if (at < 0 || at + 4 > bytes.size())
        return {};
    return ParseMpegFrameHeader(reinterpret_cast<const unsigned char *>(bytes.constData() + at));
}

qint64 frameLength(const MpegFrameHeader &h) {
    return MpegFrameLength(h.Layer, h.SampleRate, h.BitRate, h.Padding);
}

// Whether a frame that starts at `at` (relative to `bytes`, which begins at file offset `base`)
// is followed by valid frames: the next always, the one after when the file has room for it.
bool followedByFrames(const QByteArray &bytes, qint64 at, qint64 base, qint64 fileSize) {
    qint64 next = at;
    for (int frame = 0; frame < 2; ++frame) {
        const MpegFrameHeader h = headerAt(bytes, next);
        const qint64 length = frameLength(h);
        if (length < 4)
            return false;
        next += length;
        if (base + next + 4 > fileSize)
            return frame > 0;
        if (!headerAt(bytes, next).Valid)
            return false;
    }
    return true;
}

} // namespace

MpegFrameHeader ParseMpegFrameHeader(const unsigned char *b) {
    MpegFrameHeader h;
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0)
        return h;
    const int versionBits = (b[1] >> 3) & 3;
    const int layerBits = (b[1] >> 1) & 3;
    const int rateIndex = b[2] >> 4;
    const int srIndex = (b[2] >> 2) & 3;
    if (versionBits == 1 || layerBits == 0 || rateIndex == 0 || rateIndex == 15 || srIndex == 3)
        return h;
    h.Version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 3;
    h.Layer = 4 - layerBits;
    h.SampleRate = kSampleRates[h.Version - 1][srIndex];
    const int row = h.Version == 1 ? h.Layer - 1 : (h.Layer == 1 ? 3 : 4);
    h.BitRate = kBitRates[row][rateIndex];
    h.Padding = (b[2] >> 1) & 1;
    h.Channels = (b[3] >> 6) == 3 ? 1 : 2;
    h.Valid = true;
    return h;
}

int MpegFrameLength(int layer, int sampleRate, int bitRate, int padding) {
    if (sampleRate <= 0 || bitRate <= 0)
        return 0;
    if (layer == 1)
        return (12000 * bitRate / sampleRate + padding) * 4;
    // MPEG-2 and 2.5 (rates below 32 kHz) carry half the samples in a layer III frame.
    const int factor = (layer == 3 && sampleRate < 32000) ? 72000 : 144000;
    return int(qint64(factor) * bitRate / sampleRate) + padding;
}

qint64 FindMpegStart(QIODevice &file) {
    const qint64 fileSize = file.size();
    if (!file.seek(0))
        return -1;
    qint64 base = id3v2Size(file.peek(10));
    if (base >= fileSize)
        base = 0;
    if (!file.seek(base))
        return -1;
    // Enough for the scan window and the frames that must follow its last offset.
    const QByteArray bytes = file.read(kMpegScanBytes + 3 * kMaxFrameBytes);
    const qint64 scanEnd = std::min<qint64>(kMpegScanBytes, bytes.size() - 4);
    for (qint64 at = 0; at <= scanEnd; ++at) {
        if (static_cast<unsigned char>(bytes[at]) != 0xFF || !headerAt(bytes, at).Valid)
            continue;
        if (followedByFrames(bytes, at, base, fileSize))
            return base + at;
    }
    return -1;
}

qint64 FindMpegStart(const QString &file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return FindMpegStart(f);
}

bool GetMpegInfo(const QString &file, int &sampleRate, int &bitRate, int &channels) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const qint64 start = FindMpegStart(f);
    if (start < 0 || !f.seek(start))
        return false;
    const QByteArray head = f.read(4);
    const MpegFrameHeader h = headerAt(head, 0);
    if (!h.Valid)
        return false;
    sampleRate = h.SampleRate;
    bitRate = h.BitRate;
    channels = h.Channels;
    return true;
}

bool IsMpegFile(const QString &file) {
    return FindMpegStart(file) >= 0;
}

QByteArray BuildMpegWaveHeader(const QString &file) {
    int rate = 0, bitRate = 0, channels = 0;
    if (!GetMpegInfo(file, rate, bitRate, channels))
        return {};
    const qint64 size = std::min<qint64>(QFileInfo(file).size(), 0xFFFFFFFFLL - 50);
    return "RIFF" + le32(quint32(size + 50)) + "WAVE" + "fmt " + le32(30) + le16(0x55) +
           le16(quint16(channels)) + le32(quint32(rate)) + le32(quint32(bitRate * 1000 / 8)) +
           le16(quint16(std::lround(channels * bitRate / 8.0))) + le16(0) + le16(12) + le16(1) + le32(2) +
           le16(168) + le16(1) + le16(1393) + "data" + le32(quint32(size));
}

QString FormatTagName(int tag) {
    return orva::audio::FormatTagName(tag);
}

bool FindAcmFormat(const QString &tagName, const QString &description, TdeWaveFormat &format) {
    const auto squeeze = [](QString s) { return s.remove(QLatin1Char(' ')).toLower(); };
    const QString wantTag = squeeze(tagName);
    const QString wantDescription = squeeze(description);
    for (const TdeCodec &codec : CodecList()) {
        for (const TdeCodecFormat &f : codec.Formats) {
            if (squeeze(FormatTagName(f.Format.FormatTag())) == wantTag &&
                squeeze(f.Description) == wantDescription) {
                format = f.Format;
                return true;
            }
        }
    }
    format.SetFormatTag(0);
    return false;
}

bool ReadWaveFileFormat(const QString &file, TdeWaveFormat &format, bool &isMpeg) {
    format.SetFormatTag(0);
    isMpeg = false;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    if (TdeRIFFAudioReader reader(&f); reader.Open()) {
        format = reader.Format();
        return true;
    }
    QByteArray header = BuildMpegWaveHeader(file);
    if (header.isEmpty())
        return false;
    QBuffer buffer(&header);
    buffer.open(QIODevice::ReadOnly);
    TdeRIFFAudioReader reader(&buffer);
    if (!reader.Open())
        return false;
    format = reader.Format();
    isMpeg = true;
    return true;
}

bool CanReadWaveFormat(const QString &file) {
    TdeWaveFormat format;
    bool isMpeg = false;
    return ReadWaveFileFormat(file, format, isMpeg);
}

namespace {

struct TWaveFormatConversion {
    WaveConversionProgress Progress;
    // True: converted audio goes straight to the target; false: through a RIFF writer.
    bool Raw = false;
};

// The header and then the whole file.
bool writeMpegAsWave(const QString &file, const QString &newFile, QString *error) {
    const QByteArray header = BuildMpegWaveHeader(file);
    QFile in(file);
    if (header.isEmpty() || !in.open(QIODevice::ReadOnly))
        return AudioFailed(error, AudioText::InvalidFileFormat);
    PrivateFile out(newFile);
    if (!out.open())
        return AudioFailed(error, AudioText::NotWritten(newFile, out.errorString()));
    out.write(header);
    while (!in.atEnd()) {
        const QByteArray piece = in.read(1 << 20);
        if (piece.isEmpty() || out.write(piece) != piece.size()) {
            out.cancel();
            return AudioFailed(error, QStringLiteral("The audio file %1 could not be copied.").arg(file));
        }
    }
    if (!out.commit())
        return AudioFailed(error, AudioText::NotWritten(newFile, out.errorString()));
    return true;
}

// `pcm` is only changed when the whole file was read.
bool readAudioFileAsPcm(const QString &file, int rate, QByteArray &pcm, QString *error) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return AudioFailed(error, AudioText::InvalidFileFormat);
    QByteArray mpeg;
    QBuffer mpegWave(&mpeg);
    QIODevice *riff = &in;
    TdeWaveFormat format;
    bool isMpeg = false;
    if (!ReadWaveFileFormat(file, format, isMpeg))
        return AudioFailed(error, AudioText::InvalidFileFormat);
    if (isMpeg) {
        // MPEG audio is read through the RIFF header that describes it, as the conversion does.
        mpeg = BuildMpegWaveHeader(file) + in.readAll();
        mpegWave.open(QIODevice::ReadOnly);
        riff = &mpegWave;
    }
    TdeRIFFAudioReader reader(riff);
    TdeWaveFormat pcmFormat;
    TdeAudioConvertor convertor;
    if (!reader.Open(error) ||
        !pcmFormat.Assign(orva::audio::PcmFormat(std::uint32_t(rate), 1, 16).toBytes(), error))
        return false;
    convertor.SetFormatIn(reader.Format());
    convertor.SetFormatOut(pcmFormat);
    if (!convertor.SetActive(true, error))
        return false;
    QByteArray samples;
    convertor.OnAudioConverted = [&samples](const char *data, qint64 size, bool &) {
        samples.append(data, size);
    };
    const std::unique_ptr<TdeSubStream> window = reader.CurrentTrackStream();
    if (!convertor.ConvertStream(*window, error))
        return false;
    pcm = samples;
    return true;
}

bool convertWaveStream(TWaveFormatConversion &conversion, const QString &source, const QString &target,
                       const TdeWaveFormat &targetFormat, QString *error) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return AudioFailed(error, AudioText::InvalidFileFormat);
    TdeRIFFAudioReader reader(&in);
    if (!reader.Open(error))
        return false;
    PrivateFile out(target);
    if (!out.open())
        return AudioFailed(error, AudioText::NotWritten(target, out.errorString()));
    TdeRIFFAudioWriter writer(&out);
    writer.SetFormat(targetFormat);
    // Every failure from here on leaves the target as it was.
    const auto cancelled = [&out, error](const QString &why) {
        out.cancel();
        return AudioFailed(error, why);
    };

    TdeAudioConvertor convertor;
    convertor.SetFormatOut(targetFormat);
    convertor.SetFormatIn(reader.Format());
    if (QString why; !convertor.SetActive(true, &why))
        return cancelled(why);
    const std::unique_ptr<TdeSubStream> window = reader.CurrentTrackStream();
    bool userCancelled = false;
    QString writeFailure;
    convertor.OnAudioConverted = [&](const char *data, qint64 size, bool &abort) {
        if (conversion.Raw) {
            if (out.write(data, size) != size)
                writeFailure = QStringLiteral("The audio file %1 could not be written.").arg(target);
        } else {
            writer.Write(data, size, &writeFailure);
        }
        if (!writeFailure.isEmpty()) {
            abort = true;
            return;
        }
        const int percent =
            window->size() > 0 ? int(std::lround(window->pos() * 100.0 / window->size())) : 100;
        if (conversion.Progress && !conversion.Progress(1, percent)) {
            userCancelled = true;
            abort = true;
        }
    };
    if (QString why; !convertor.ConvertStream(*window, &why))
        return cancelled(why);
    if (!writeFailure.isEmpty())
        return cancelled(writeFailure);
    if (QString why; !writer.Finish(&why))
        return cancelled(why);
    if (userCancelled)
        return cancelled(AudioText::ConversionCancelled);
    if (!out.commit())
        return AudioFailed(error, AudioText::NotWritten(target, out.errorString()));
    return true;
}

bool convertAudioFile(const QString &source, const QString &target, const TdeWaveFormat &targetFormat,
                      const WaveConversionProgress &progress, QString *error) {
    TdeWaveFormat format;
    bool isMpeg = false;
    ReadWaveFileFormat(source, format, isMpeg);
    QString working = source;
    struct RemoveTemporary {
        QString path;
        ~RemoveTemporary() {
            if (!path.isEmpty())
                QFile::remove(path);
        }
    } temporary;
    if (isMpeg) {
        const QString name = QUuid::createUuid().toString(QUuid::Id128).toUpper() + QStringLiteral(".tmp");
        working = QFileInfo(target).dir().filePath(name);
        temporary.path = working;
        if (!writeMpegAsWave(source, working, error))
            return false;
    }
    TWaveFormatConversion conversion{progress, false};
    if (progress && !progress(0, 0))
        return AudioFailed(error, AudioText::ConversionCancelled);
    if (!convertWaveStream(conversion, working, target, targetFormat, error))
        return false;
    if (progress)
        progress(2, 100);
    return true;
}

// Failures of the libraries beneath (memory above all) are told as any other.
template <typename Work> bool answered(QString *error, Work &&work) {
    try {
        return work();
    } catch (const std::exception &e) {
        return AudioFailed(error, QString::fromLocal8Bit(e.what()));
    }
}

} // namespace

bool ReadAudioFileAsPcm(const QString &file, int rate, QByteArray &pcm, QString *error) {
    return answered(error, [&] { return readAudioFileAsPcm(file, rate, pcm, error); });
}

bool ConvertAudioFile(const QString &source, const QString &target, const TdeWaveFormat &targetFormat,
                      const WaveConversionProgress &progress, QString *error) {
    return answered(error, [&] { return convertAudioFile(source, target, targetFormat, progress, error); });
}
