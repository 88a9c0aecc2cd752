// Decoders from the coded audio of a wave format to 16-bit PCM, and encoders back: libsndfile for
// the WAVE sub-formats, libmpg123 for MPEG audio, libgsm for GSM 6.10 output. A decoder reads the
// bytes of a 'data' chunk from a device it does not own.
#pragma once

#include "platform/audio/AudioFormat.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <cstdint>
#include <memory>

namespace orva::audio {

class PcmDecoder {
public:
    virtual ~PcmDecoder() = default;
    int rate() const { return m_rate; }
    int channels() const { return m_channels; }
    // Up to `frames` interleaved frames; 0 at the end of the audio, -1 when the data is damaged.
    virtual qint64 read(std::int16_t *out, qint64 frames) = 0;
    QString errorString() const { return m_error; }

protected:
    int m_rate = 0;
    int m_channels = 0;
    QString m_error;
};

// A decoder for the audio of `format` held in `data` from its current position to its end
// (the device must stay open and seekable). Null with `result` and `error` set when it cannot be
// decoded.
std::unique_ptr<PcmDecoder> OpenDecoder(const WaveFormatFields &format, QIODevice *data, int *result,
                                        QString *error);

class PcmEncoder {
public:
    virtual ~PcmEncoder() = default;
    // Appends the coded bytes of `frames` interleaved 16-bit frames.
    virtual void push(const std::int16_t *pcm, std::size_t frames, QByteArray &out) = 0;
    // Appends what is held back (a partial GSM block, padded with silence).
    virtual void flush(QByteArray &out) = 0;
};

// Null with `result` set when CanEncode(format) is false, or (kErrNoMemory) when the encoder's
// state cannot be allocated.
std::unique_ptr<PcmEncoder> OpenEncoder(const WaveFormatFields &format, int *result);

} // namespace orva::audio
