// The sound devices as the player needs them: an output that plays 16-bit mono PCM at 22,050 Hz
// pulled from a device, and an input that writes the same into a device. The system backend is
// Qt Multimedia's default input and output; tests put their own behind the same interface.
#pragma once

#include <QIODevice>
#include <QObject>
#include <QString>

#include <memory>

namespace orva::audio {

constexpr int kDeviceRate = 22050;

class PcmOutput : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Starts pulling from `source`, which the caller keeps open until stop(); false on failure.
    virtual bool start(QIODevice *source) = 0;
    virtual void stop() = 0;
    // Milliseconds of the source played since start().
    virtual qint64 playedMs() const = 0;
    QString errorString() const { return m_error; }

signals:
    // The source has ended and all of it has been played.
    void drained();
    void failed(const QString &reason);

protected:
    QString m_error;
};

class PcmInput : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Starts writing captured audio into `sink`, which the caller keeps open until stop().
    virtual bool start(QIODevice *sink) = 0;
    // Stops capturing; what the device held has been written to the sink when it returns.
    virtual void stop() = 0;
    QString errorString() const { return m_error; }

signals:
    void failed(const QString &reason);

protected:
    QString m_error;
};

class AudioDevices {
public:
    virtual ~AudioDevices() = default;
    virtual std::unique_ptr<PcmOutput> createOutput() = 0;
    virtual std::unique_ptr<PcmInput> createInput() = 0;
};

// The default input and output of the sound server, through Qt Multimedia.
std::unique_ptr<AudioDevices> CreateSystemAudioDevices();

} // namespace orva::audio
