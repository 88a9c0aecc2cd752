#include "dictation/playback/WaveDevice.h"

#include "common/FileWait.h"
#include "dictation/wave/AudioErrors.h"
#include "dictation/wave/AudioUtils.h"
#include "dictation/wave/TdeRIFFAudioReader.h"
#include "platform/files/PrivateFile.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>

using namespace orva::audio;

namespace {

QByteArray le32(quint32 v) {
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray gsmWave(const QByteArray &format, const QByteArray &blocks) {
    const qint64 samples = qint64(blocks.size() / kGsmBlockBytes) * kGsmBlockSamples;
    const bool pad = blocks.size() % 2 != 0;
    const quint32 riff = quint32(4 + 8 + format.size() + 8 + 4 + 8 + blocks.size() + (pad ? 1 : 0));
    QByteArray file = "RIFF" + le32(riff) + "WAVE" + "fmt " + le32(quint32(format.size())) + format + "fact" +
                      le32(4) + le32(quint32(samples)) + "data" + le32(quint32(blocks.size())) + blocks;
    if (pad)
        file.append('\0');
    return file;
}

QByteArray gsmFormatChunk() {
    return GsmFormat(kGsmRate).toBytes();
}

bool failed(QString *error, const QString &message) {
    if (error)
        *error = message;
    return false;
}

const QString kNoFileOpen = QStringLiteral("No audio file is open.");

} // namespace

QByteArray EmptyGsmWave() {
    return gsmWave(gsmFormatChunk(), {});
}

bool WriteEmptyGsmWave(const QString &name, QString *error) {
    if (QString why; !PrivateFile::save(name, EmptyGsmWave(), &why))
        return failed(error, AudioText::NotWritten(name, why));
    return true;
}

// A range of samples for the sound output: GSM blocks decoded one block at a time, or samples
// already decoded (a file opened for playing only) copied as they are.
class WaveDevice::PlaySource : public QIODevice {
public:
    PlaySource(const QByteArray &blocks, const QByteArray &decoded, qint64 fromSample, qint64 toSample)
        : m_blocks(blocks), m_decoded(decoded), m_next(fromSample), m_end(toSample) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    bool ok() const { return m_decoder.ok(); }
    bool atEnd() const override { return m_next >= m_end; }
    qint64 bytesAvailable() const override { return (m_end - m_next) * 2 + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override {
        if (m_blocks.isEmpty()) {
            const qint64 n = std::max<qint64>(0, std::min(m_end - m_next, maxSize / 2));
            std::memcpy(data, m_decoded.constData() + m_next * 2, std::size_t(n) * 2);
            m_next += n;
            return n * 2;
        }
        qint64 written = 0;
        while (written + 2 <= maxSize && m_next < m_end) {
            const qint64 block = m_next / kGsmBlockSamples;
            if (block != m_decodedBlock) {
                // Blocks are decoded in order from the first one, as a fresh stream.
                const auto *bytes = reinterpret_cast<const std::uint8_t *>(m_blocks.constData());
                m_decoder.decodeBlock(bytes + block * kGsmBlockBytes, m_pcm);
                m_decodedBlock = block;
            }
            const qint64 inBlock = m_next % kGsmBlockSamples;
            const qint64 n =
                std::min({qint64(kGsmBlockSamples) - inBlock, m_end - m_next, (maxSize - written) / 2});
            std::memcpy(data + written, m_pcm + inBlock, std::size_t(n) * 2);
            written += n * 2;
            m_next += n;
        }
        return written;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_blocks;
    QByteArray m_decoded;
    qint64 m_next;
    qint64 m_end;
    qint64 m_decodedBlock = -1;
    GsmBlockDecoder m_decoder;
    std::int16_t m_pcm[kGsmBlockSamples] = {};
};

// Encodes captured PCM into blocks and hands them to the device as they fill.
class WaveDevice::RecordSink : public QIODevice {
public:
    explicit RecordSink(WaveDevice &device) : m_device(device) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    bool ok() const { return m_encoder.ok(); }
    void flush() {
        QByteArray coded;
        m_encoder.flush(coded);
        m_device.putBlocks(coded);
    }
    std::size_t pendingSamples() const { return m_encoder.pendingSamples(); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override {
        m_odd.append(data, size);
        const qsizetype samples = m_odd.size() / 2;
        QByteArray coded;
        m_encoder.push(reinterpret_cast<const std::int16_t *>(m_odd.constData()), std::size_t(samples),
                       coded);
        m_odd.remove(0, samples * 2);
        m_device.putBlocks(coded);
        return size;
    }

private:
    WaveDevice &m_device;
    GsmBlockEncoder m_encoder;
    QByteArray m_odd;
};

WaveDevice::WaveDevice(AudioDevices &devices, QObject *parent) : QObject(parent), m_devices(devices) {}

WaveDevice::~WaveDevice() {
    if (m_output)
        m_output->stop();
    if (m_input)
        m_input->stop();
}

int WaveDevice::blockAtMs(qint64 ms) {
    return int(std::max<qint64>(ms, 0) * kGsmRate / 1000 / kGsmBlockSamples);
}

int WaveDevice::msOfBlocks(qint64 blocks) {
    return int(blocks * kGsmBlockSamples * 1000 / kGsmRate);
}

namespace {

// What opening an audio file reads: GSM blocks with their format, or samples decoded for playing
// only; or why it could not be opened.
struct OpenedFile {
    QByteArray format;
    QByteArray blocks;
    QByteArray pcm;
    bool playOnly = false;
    QString error;
};

OpenedFile readAudioFile(const QString &path) {
    OpenedFile out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out.error = QStringLiteral("The audio file %1 cannot be opened: %2").arg(path, file.errorString());
        return out;
    }
    try {
        TdeWaveFormat format;
        bool isMpeg = false;
        if (!ReadWaveFileFormat(path, format, isMpeg)) {
            out.error = QStringLiteral("The audio file %1 cannot be opened: %2")
                            .arg(path, AudioText::InvalidFileFormat);
            return out;
        }
        if (isMpeg || format.FormatTag() != kTagGsm610 || format.Channels() != 1 ||
            format.SamplesPerSec() != kGsmRate || format.BlockAlign() != kGsmBlockBytes) {
            // The host may send audio that was never converted (PCM, an MP3 upload): it is
            // played as it is; recording over it needs a converted copy first.
            if (QString why; !ReadAudioFileAsPcm(path, kDeviceRate, out.pcm, &why)) {
                out.error = QStringLiteral("The audio file %1 cannot be opened: %2").arg(path, why);
                return out;
            }
            out.pcm.truncate(out.pcm.size() / 2 * 2);
            out.playOnly = true;
            return out;
        }
        TdeRIFFAudioReader reader(&file);
        if (QString why; !reader.Open(&why)) {
            out.error = QStringLiteral("The audio file %1 cannot be opened: %2").arg(path, why);
            return out;
        }
        reader.SelectTrack(0);
        const qint64 whole = reader.TrackSize(0) / kGsmBlockBytes * kGsmBlockBytes;
        QByteArray blocks(whole, Qt::Uninitialized);
        if (reader.ReadTrack(blocks.data(), whole) != whole) {
            out.error = QStringLiteral("The audio file %1 cannot be read.").arg(path);
            return out;
        }
        out.format = format.Bytes();
        out.blocks = blocks;
    } catch (const std::bad_alloc &) {
        out.error = QStringLiteral("The audio file %1 cannot be read.").arg(path);
    }
    return out;
}

} // namespace

bool WaveDevice::open(const QString &path, QString *error) {
    if (!close(error))
        return false;
    // The file may sit on a share: it is read whole in a worker while the window goes on.
    // The failure is told in the player's own words, as any other.
    FileWait::Outcome how = FileWait::Outcome::Answered;
    const std::optional<OpenedFile> opened = FileWait::Watched(
        path, [path] { return readAudioFile(path); }, ShareWaitMs, &how, false);
    if (!opened)
        return failed(error, how == FileWait::Outcome::Cancelled
                                 ? QStringLiteral("Opening the audio file %1 was given up.").arg(path)
                                 : QStringLiteral("The audio file %1 did not answer within %2 seconds.")
                                       .arg(path)
                                       .arg((ShareWaitMs + 999) / 1000));
    if (!opened->error.isEmpty())
        return failed(error, opened->error);
    m_format = opened->format;
    m_blocks = opened->blocks;
    m_pcm = opened->pcm;
    m_playOnly = opened->playOnly;
    m_path = path;
    m_position = 0;
    m_state = Idle;
    return true;
}

bool WaveDevice::close(QString *error) {
    if ((m_state == Playing || m_state == Recording) && !stop(error))
        return false;
    m_state = Closed;
    m_path.clear();
    m_blocks.clear();
    m_format.clear();
    m_pcm.clear();
    m_playOnly = false;
    m_position = 0;
    return true;
}

int WaveDevice::lengthMs() const {
    if (m_playOnly)
        return int(qint64(m_pcm.size() / 2) * 1000 / kDeviceRate);
    return msOfBlocks(blockCount());
}

bool WaveDevice::dictationFormat(const char *action, QString *error) const {
    if (m_playOnly)
        return failed(error, QStringLiteral("The audio file %1 is not in the dictation format (GSM 6.10, "
                                            "22.050 kHz, Mono) and cannot be %2.")
                                 .arg(m_path, QString::fromLatin1(action)));
    return true;
}

int WaveDevice::positionMs() const {
    switch (m_state) {
    case Playing:
        return int(std::min<qint64>(m_playFrom + (m_output ? m_output->playedMs() : 0), m_playTo));
    case Recording:
        return msOfBlocks(m_recordBlock);
    default:
        return m_position;
    }
}

bool WaveDevice::seek(int ms, QString *error) {
    if ((m_state == Playing || m_state == Recording) && !stop(error))
        return false;
    m_position = std::clamp(ms, 0, lengthMs());
    return true;
}

bool WaveDevice::play(int fromMs, int toMs, QString *error) {
    if (m_state == Closed)
        return failed(error, kNoFileOpen);
    if ((m_state == Playing || m_state == Recording) && !stop(error))
        return false;
    const int length = lengthMs();
    const int from = std::clamp(fromMs, 0, length);
    const int to = (toMs < 0 || toMs > length) ? length : std::max(toMs, from);
    m_position = from;
    if (from >= to)
        return true;
    const qint64 fromSample = qint64(from) * kGsmRate / 1000;
    const qint64 samples = m_playOnly ? m_pcm.size() / 2 : qint64(blockCount()) * kGsmBlockSamples;
    m_source = std::make_unique<PlaySource>(m_blocks, m_pcm, fromSample,
                                            std::min<qint64>(qint64(to) * kGsmRate / 1000, samples));
    if (!m_source->ok()) {
        m_source.reset();
        return failed(error, AcmResultText(kErrNoMemory));
    }
    m_retiredOutput.reset();
    m_output = m_devices.createOutput();
    connect(m_output.get(), &PcmOutput::drained, this, [this] { finishPlaying(true); });
    connect(m_output.get(), &PcmOutput::failed, this, &WaveDevice::deviceFailed);
    if (!m_output->start(m_source.get())) {
        const QString reason = m_output->errorString();
        m_output.reset();
        m_source.reset();
        return failed(error, reason);
    }
    m_playFrom = from;
    m_playTo = to;
    m_state = Playing;
    return true;
}

void WaveDevice::finishPlaying(bool toEnd) {
    if (m_state != Playing)
        return;
    m_position = toEnd ? m_playTo : positionMs();
    m_output->disconnect(this);
    m_output->stop();
    m_state = Idle;
    // Kept until the next start: this may run inside the output's own signal.
    m_retiredOutput = std::move(m_output);
    m_source.reset();
    if (toEnd)
        emit stateChanged();
}

bool WaveDevice::record(int fromMs, int toMs, QString *error) {
    if (m_state == Closed)
        return failed(error, kNoFileOpen);
    if (!dictationFormat("recorded over", error))
        return false;
    if ((m_state == Playing || m_state == Recording) && !stop(error))
        return false;
    m_recordBlock = std::min(blockAtMs(std::max(fromMs, 0)), blockCount());
    m_recordEnd = toMs < 0 ? INT_MAX : std::max(m_recordBlock, blockAtMs(toMs));
    if (m_recordBlock >= m_recordEnd)
        return true;
    m_sink = std::make_unique<RecordSink>(*this);
    if (!m_sink->ok()) {
        m_sink.reset();
        return failed(error, AcmResultText(kErrNoMemory));
    }
    m_retiredInput.reset();
    m_input = m_devices.createInput();
    connect(m_input.get(), &PcmInput::failed, this, &WaveDevice::deviceFailed);
    m_state = Recording;
    if (!m_input->start(m_sink.get())) {
        const QString reason = m_input->errorString();
        m_state = Idle;
        m_input.reset();
        m_sink.reset();
        return failed(error, reason);
    }
    return true;
}

void WaveDevice::putBlocks(const QByteArray &coded) {
    for (qsizetype at = 0; at + kGsmBlockBytes <= coded.size() && m_recordBlock < m_recordEnd;
         at += kGsmBlockBytes) {
        const qsizetype offset = qsizetype(m_recordBlock) * kGsmBlockBytes;
        if (offset < m_blocks.size())
            std::memcpy(m_blocks.data() + offset, coded.constData() + at, kGsmBlockBytes);
        else
            m_blocks.append(coded.constData() + at, kGsmBlockBytes);
        ++m_recordBlock;
    }
    if (m_state == Recording && m_recordBlock >= m_recordEnd)
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_state == Recording && m_recordBlock >= m_recordEnd)
                    stopFromEvent();
            },
            Qt::QueuedConnection);
}

bool WaveDevice::finishRecording(QString *error) {
    m_input->disconnect(this);
    m_input->stop();
    m_sink->flush();
    m_position = msOfBlocks(m_recordBlock);
    m_state = Idle;
    m_retiredInput = std::move(m_input);
    m_sink.reset();
    return save(error);
}

bool WaveDevice::stop(QString *error) {
    if (m_state == Recording)
        return finishRecording(error);
    if (m_state == Playing)
        finishPlaying(false);
    return true;
}

void WaveDevice::deviceFailed(const QString &reason) {
    m_error = reason;
    stopFromEvent();
}

void WaveDevice::stopFromEvent() {
    // Runs from the event loop: a failed save is kept for lastError(), as no caller asked.
    if (QString why; !stop(&why))
        m_error = why;
    emit stateChanged();
}

bool WaveDevice::deleteRange(int fromMs, int toMs, QString *error) {
    if (m_state == Closed)
        return failed(error, kNoFileOpen);
    if (!dictationFormat("cut", error))
        return false;
    if ((m_state == Playing || m_state == Recording) && !stop(error))
        return false;
    const int first = std::min(blockAtMs(fromMs), blockCount());
    const int last = toMs < 0 ? blockCount() : std::clamp(blockAtMs(toMs), first, blockCount());
    m_blocks.remove(qsizetype(first) * kGsmBlockBytes, qsizetype(last - first) * kGsmBlockBytes);
    m_position = std::min(m_position, lengthMs());
    return save(error);
}

bool WaveDevice::save(QString *error) {
    if (m_state == Closed)
        return failed(error, kNoFileOpen);
    if (m_playOnly)
        return true;
    if (QString why; !PrivateFile::save(m_path, gsmWave(m_format, m_blocks), &why))
        return failed(error, AudioText::NotWritten(m_path, why));
    return true;
}
