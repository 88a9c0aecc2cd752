// Qt Multimedia glue. The devices are asked for 16-bit mono at 22,050 Hz; a device that refuses it
// gets its own preferred rate and channel count (still 16-bit) and the PCM is converted on the way.
#include "platform/audio/AudioDevices.h"

#include "platform/audio/PcmConverter.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QAudioSource>
#include <QMediaDevices>

#include <cstring>
#include <vector>

namespace orva::audio {

namespace {

QAudioFormat dictationFormat() {
    QAudioFormat f;
    f.setSampleRate(kDeviceRate);
    f.setChannelCount(1);
    f.setSampleFormat(QAudioFormat::Int16);
    return f;
}

// The format to open the device with, or an invalid one when it takes no 16-bit PCM.
QAudioFormat negotiate(const QAudioDevice &device) {
    QAudioFormat wanted = dictationFormat();
    if (device.isFormatSupported(wanted))
        return wanted;
    QAudioFormat preferred = device.preferredFormat();
    preferred.setSampleFormat(QAudioFormat::Int16);
    return device.isFormatSupported(preferred) ? preferred : QAudioFormat();
}

bool isDictationFormat(const QAudioFormat &f) {
    return f.sampleRate() == kDeviceRate && f.channelCount() == 1;
}

// Reads dictation PCM from a source and hands it out in the device's rate and channels.
class ConvertingReader : public QIODevice {
public:
    ConvertingReader(QIODevice *source, const QAudioFormat &to)
        : m_source(source), m_converter(kDeviceRate, 1, to.sampleRate(), to.channelCount()) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    bool atEnd() const override { return m_ended && m_out.size() == m_at; }

protected:
    qint64 readData(char *data, qint64 maxSize) override {
        while (qint64(m_out.size() - m_at) * 2 < maxSize && !m_ended) {
            std::int16_t in[2048];
            const qint64 got = m_source->read(reinterpret_cast<char *>(in), sizeof in);
            m_ended = got <= 0;
            compact();
            m_converter.process(in, got > 0 ? std::size_t(got / 2) : 0, m_ended, m_out);
        }
        const qint64 n = std::min<qint64>(qint64(m_out.size() - m_at), maxSize / 2);
        std::memcpy(data, m_out.data() + m_at, std::size_t(n) * 2);
        m_at += std::size_t(n);
        return n * 2;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    void compact() {
        m_out.erase(m_out.begin(), m_out.begin() + qsizetype(m_at));
        m_at = 0;
    }
    QIODevice *m_source;
    PcmConverter m_converter;
    std::vector<std::int16_t> m_out;
    std::size_t m_at = 0;
    bool m_ended = false;
};

// Takes the device's PCM and writes it to a sink as dictation PCM.
class ConvertingWriter : public QIODevice {
public:
    ConvertingWriter(QIODevice *sink, const QAudioFormat &from)
        : m_sink(sink), m_channels(from.channelCount()),
          m_converter(from.sampleRate(), from.channelCount(), kDeviceRate, 1) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    void finish() {
        m_converter.process(nullptr, 0, true, m_out);
        pass();
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override {
        m_pending.append(data, size);
        const qsizetype frameBytes = 2 * m_channels;
        const qsizetype whole = m_pending.size() / frameBytes;
        m_converter.process(reinterpret_cast<const std::int16_t *>(m_pending.constData()), std::size_t(whole),
                            false, m_out);
        m_pending.remove(0, whole * frameBytes);
        pass();
        return size;
    }

private:
    void pass() {
        if (!m_out.empty())
            m_sink->write(reinterpret_cast<const char *>(m_out.data()), qint64(m_out.size()) * 2);
        m_out.clear();
    }
    QIODevice *m_sink;
    int m_channels;
    PcmConverter m_converter;
    QByteArray m_pending;
    std::vector<std::int16_t> m_out;
};

QString audioErrorText(QAudio::Error error) {
    switch (error) {
    case QAudio::OpenError:
        return QStringLiteral("The sound device could not be opened.");
    case QAudio::IOError:
        return QStringLiteral("The sound device failed while in use.");
    case QAudio::UnderrunError:
        return QStringLiteral("The sound device ran out of audio.");
    case QAudio::FatalError:
        return QStringLiteral("The sound device is not available.");
    default:
        return {};
    }
}

class QtPcmOutput : public PcmOutput {
public:
    bool start(QIODevice *source) override {
        stop();
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        const QAudioFormat format = device.isNull() ? QAudioFormat() : negotiate(device);
        if (!format.isValid()) {
            m_error = QStringLiteral("No sound output device plays 16-bit audio.");
            return false;
        }
        m_source = source;
        if (!isDictationFormat(format)) {
            m_converter = std::make_unique<ConvertingReader>(source, format);
            m_source = m_converter.get();
        }
        m_sink = std::make_unique<QAudioSink>(device, format);
        connect(m_sink.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
            if (!m_sink)
                return;
            if (state == QAudio::IdleState && m_source->atEnd()) {
                emit drained();
            } else if (state == QAudio::StoppedState && m_sink->error() != QAudio::NoError) {
                m_error = audioErrorText(m_sink->error());
                emit failed(m_error);
            }
        });
        m_sink->start(m_source);
        if (m_sink->error() != QAudio::NoError) {
            m_error = audioErrorText(m_sink->error());
            stop();
            return false;
        }
        return true;
    }
    void stop() override {
        if (m_sink) {
            m_sink->disconnect(this);
            m_sink->stop();
        }
        m_sink.reset();
        m_converter.reset();
    }
    qint64 playedMs() const override { return m_sink ? m_sink->processedUSecs() / 1000 : 0; }

private:
    std::unique_ptr<QAudioSink> m_sink;
    std::unique_ptr<ConvertingReader> m_converter;
    QIODevice *m_source = nullptr;
};

class QtPcmInput : public PcmInput {
public:
    bool start(QIODevice *sink) override {
        stop();
        const QAudioDevice device = QMediaDevices::defaultAudioInput();
        const QAudioFormat format = device.isNull() ? QAudioFormat() : negotiate(device);
        if (!format.isValid()) {
            m_error = QStringLiteral("No sound input device records 16-bit audio.");
            return false;
        }
        QIODevice *target = sink;
        if (!isDictationFormat(format)) {
            m_converter = std::make_unique<ConvertingWriter>(sink, format);
            target = m_converter.get();
        }
        m_source = std::make_unique<QAudioSource>(device, format);
        connect(m_source.get(), &QAudioSource::stateChanged, this, [this](QAudio::State state) {
            if (m_source && state == QAudio::StoppedState && m_source->error() != QAudio::NoError) {
                m_error = audioErrorText(m_source->error());
                emit failed(m_error);
            }
        });
        m_source->start(target);
        if (m_source->error() != QAudio::NoError) {
            m_error = audioErrorText(m_source->error());
            stop();
            return false;
        }
        return true;
    }
    void stop() override {
        if (m_source) {
            m_source->disconnect(this);
            m_source->stop();
        }
        if (m_converter)
            m_converter->finish();
        m_source.reset();
        m_converter.reset();
    }

private:
    std::unique_ptr<QAudioSource> m_source;
    std::unique_ptr<ConvertingWriter> m_converter;
};

class SystemAudioDevices : public AudioDevices {
public:
    std::unique_ptr<PcmOutput> createOutput() override { return std::make_unique<QtPcmOutput>(); }
    std::unique_ptr<PcmInput> createInput() override { return std::make_unique<QtPcmInput>(); }
};

} // namespace

std::unique_ptr<AudioDevices> CreateSystemAudioDevices() {
    return std::make_unique<SystemAudioDevices>();
}

} // namespace orva::audio
