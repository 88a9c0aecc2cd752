#include "platform/audio/AudioCodecs.h"

#include "platform/audio/GsmCodec.h"

#include <QtEndian>

#include <mpg123.h>
#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace orva::audio {

namespace {

void setResult(int *result, QString *error, int code, const QString &text) {
    if (result)
        *result = code;
    if (error)
        *error = text;
}

// libsndfile reads a whole WAVE file; it is given a header made from the format followed by the
// data device, so that every sub-format it knows is decoded from the bytes the caller found.
class SndFileDecoder : public PcmDecoder {
public:
    SndFileDecoder(const WaveFormatFields &format, QIODevice *data) : m_data(data), m_dataStart(data->pos()) {
        const qint64 dataSize = std::max<qint64>(0, data->size() - m_dataStart);
        QByteArray fmt = format.toBytes();
        if (format.tag == kTagPcm)
            fmt.truncate(16);
        const quint32 dataBytes = quint32(std::min<qint64>(dataSize, 0x7FFF0000));
        m_header = "RIFF" + le32(quint32(4 + 8 + fmt.size() + 8 + dataBytes)) + "WAVE" + "fmt " +
                   le32(quint32(fmt.size())) + fmt + "data" + le32(dataBytes);
        m_length = m_header.size() + dataBytes;
    }
    ~SndFileDecoder() override {
        if (m_file)
            sf_close(m_file);
    }

    bool open(QString *error) {
        SF_VIRTUAL_IO io{&SndFileDecoder::length, &SndFileDecoder::seek, &SndFileDecoder::readIo,
                         &SndFileDecoder::writeIo, &SndFileDecoder::tell};
        SF_INFO info{};
        m_file = sf_open_virtual(&io, SFM_READ, &info, this);
        if (!m_file) {
            *error = QString::fromUtf8(sf_strerror(nullptr));
            return false;
        }
        if (info.samplerate <= 0 || info.channels <= 0) {
            *error = QStringLiteral("no audio");
            return false;
        }
        m_rate = info.samplerate;
        m_channels = info.channels;
        // Float data is read as full-scale 16-bit samples, not as -1..1 rounded to integers.
        sf_command(m_file, SFC_SET_SCALE_FLOAT_INT_READ, nullptr, SF_TRUE);
        return true;
    }

    qint64 read(std::int16_t *out, qint64 frames) override {
        const sf_count_t got = sf_readf_short(m_file, out, frames);
        if (got < 0 || (got == 0 && sf_error(m_file) != SF_ERR_NO_ERROR)) {
            m_error = QString::fromUtf8(sf_strerror(m_file));
            return -1;
        }
        return got;
    }

private:
    static QByteArray le32(quint32 v) {
        QByteArray b(4, '\0');
        qToLittleEndian(v, b.data());
        return b;
    }
    static SndFileDecoder *self(void *p) { return static_cast<SndFileDecoder *>(p); }
    static sf_count_t length(void *p) { return self(p)->m_length; }
    static sf_count_t tell(void *p) { return self(p)->m_pos; }
    static sf_count_t seek(sf_count_t offset, int whence, void *p) {
        SndFileDecoder *d = self(p);
        const sf_count_t base = whence == SEEK_CUR ? d->m_pos : whence == SEEK_END ? d->m_length : 0;
        d->m_pos = std::clamp<sf_count_t>(base + offset, 0, d->m_length);
        return d->m_pos;
    }
    static sf_count_t writeIo(const void *, sf_count_t, void *) { return 0; }
    static sf_count_t readIo(void *buffer, sf_count_t count, void *p) {
        SndFileDecoder *d = self(p);
        char *out = static_cast<char *>(buffer);
        sf_count_t done = 0;
        while (done < count && d->m_pos < d->m_length) {
            if (d->m_pos < d->m_header.size()) {
                const sf_count_t n = std::min<sf_count_t>(count - done, d->m_header.size() - d->m_pos);
                std::memcpy(out + done, d->m_header.constData() + d->m_pos, size_t(n));
                done += n;
                d->m_pos += n;
                continue;
            }
            const qint64 at = d->m_dataStart + (d->m_pos - d->m_header.size());
            if (d->m_data->pos() != at && !d->m_data->seek(at))
                break;
            const qint64 n =
                d->m_data->read(out + done, std::min<sf_count_t>(count - done, d->m_length - d->m_pos));
            if (n <= 0)
                break;
            done += n;
            d->m_pos += n;
        }
        return done;
    }

    QIODevice *m_data;
    qint64 m_dataStart;
    QByteArray m_header;
    sf_count_t m_length = 0;
    sf_count_t m_pos = 0;
    SNDFILE *m_file = nullptr;
};

// libmpg123 in feed mode: the data device is read in pieces and fed to it, so any MPEG audio
// stream (tags before the first frame included) decodes without a file name.
class MpegDecoder : public PcmDecoder {
public:
    explicit MpegDecoder(QIODevice *data) : m_data(data) {}
    ~MpegDecoder() override {
        if (m_handle)
            mpg123_delete(m_handle);
    }

    bool open(QString *error) {
        static std::once_flag once;
        std::call_once(once, [] { mpg123_init(); });
        int err = MPG123_OK;
        m_handle = mpg123_new(nullptr, &err);
        if (!m_handle) {
            *error = QString::fromUtf8(mpg123_plain_strerror(err));
            return false;
        }
        mpg123_param(m_handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
        mpg123_format_none(m_handle);
        const long *rates = nullptr;
        size_t count = 0;
        mpg123_rates(&rates, &count);
        for (size_t i = 0; i < count; ++i)
            mpg123_format(m_handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
        if (mpg123_open_feed(m_handle) != MPG123_OK) {
            *error = QString::fromUtf8(mpg123_strerror(m_handle));
            return false;
        }
        // Decode up to the first frame to learn the rate and channels; its samples wait in m_held.
        if (!fill() || m_rate <= 0) {
            *error = m_error.isEmpty() ? QStringLiteral("no MPEG audio frames") : m_error;
            return false;
        }
        return true;
    }

    qint64 read(std::int16_t *out, qint64 frames) override {
        qint64 done = 0;
        while (done < frames) {
            if (m_heldAt >= m_held.size()) {
                m_held.clear();
                m_heldAt = 0;
                if (!fill())
                    return m_error.isEmpty() ? done : -1;
                continue;
            }
            const qint64 have = qint64(m_held.size() - m_heldAt) / m_channels;
            const qint64 n = std::min(have, frames - done);
            std::memcpy(out + done * m_channels, m_held.data() + m_heldAt, size_t(n * m_channels) * 2);
            m_heldAt += size_t(n * m_channels);
            done += n;
        }
        return done;
    }

private:
    // Decodes more samples into m_held; false at the end of the stream or on an error.
    bool fill() {
        unsigned char pcm[16384];
        for (;;) {
            size_t bytes = 0;
            const int rc = mpg123_read(m_handle, pcm, sizeof pcm, &bytes);
            if (rc == MPG123_NEW_FORMAT) {
                long rate = 0;
                int channels = 0, encoding = 0;
                mpg123_getformat(m_handle, &rate, &channels, &encoding);
                if (m_rate == 0) {
                    m_rate = int(rate);
                    m_channels = channels;
                } else if (rate != m_rate || channels != m_channels) {
                    m_error = QStringLiteral("the MPEG stream changes its format");
                    return false;
                }
            }
            if (bytes > 0) {
                const auto *s = reinterpret_cast<const std::int16_t *>(pcm);
                m_held.insert(m_held.end(), s, s + bytes / 2);
                return true;
            }
            if (rc == MPG123_NEED_MORE) {
                if (m_eof)
                    return false;
                char in[16384];
                const qint64 n = m_data->read(in, sizeof in);
                if (n < 0) {
                    m_error = m_data->errorString();
                    return false;
                }
                if (n == 0) {
                    m_eof = true;
                    continue;
                }
                mpg123_feed(m_handle, reinterpret_cast<const unsigned char *>(in), size_t(n));
                continue;
            }
            if (rc == MPG123_DONE)
                return false;
            if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) {
                m_error = QString::fromUtf8(mpg123_strerror(m_handle));
                return false;
            }
        }
    }

    QIODevice *m_data;
    mpg123_handle *m_handle = nullptr;
    std::vector<std::int16_t> m_held;
    size_t m_heldAt = 0;
    bool m_eof = false;
};

class GsmEncoder : public PcmEncoder {
public:
    void push(const std::int16_t *pcm, std::size_t frames, QByteArray &out) override {
        m_gsm.push(pcm, frames, out);
    }
    void flush(QByteArray &out) override { m_gsm.flush(out); }
    bool ok() const { return m_gsm.ok(); }

private:
    GsmBlockEncoder m_gsm;
};

class LinearEncoder : public PcmEncoder {
public:
    LinearEncoder(int channels, int bits) : m_channels(channels), m_bits(bits) {}
    void push(const std::int16_t *pcm, std::size_t frames, QByteArray &out) override {
        const std::size_t samples = frames * m_channels;
        if (samples == 0)
            return; // the last, empty piece of a conversion comes with no samples at all
        const qsizetype at = out.size();
        if (m_bits == 16) {
            out.resize(at + qsizetype(samples) * 2);
            qToLittleEndian<qint16>(pcm, qsizetype(samples), out.data() + at);
            return;
        }
        out.resize(at + qsizetype(samples));
        for (std::size_t i = 0; i < samples; ++i)
            out[at + qsizetype(i)] = char((pcm[i] >> 8) + 128);
    }
    void flush(QByteArray &) override {}

private:
    int m_channels;
    int m_bits;
};

} // namespace

std::unique_ptr<PcmDecoder> OpenDecoder(const WaveFormatFields &format, QIODevice *data, int *result,
                                        QString *error) {
    QString why;
    if (!data || !data->isReadable() || data->isSequential() || !CanDecode(format)) {
        setResult(result, error, kErrNotPossible, QStringLiteral("unsupported audio format"));
        return nullptr;
    }
    const int tag = format.effectiveTag();
    if (tag == kTagMpeg || tag == kTagMpegLayer3) {
        auto decoder = std::make_unique<MpegDecoder>(data);
        if (decoder->open(&why)) {
            setResult(result, error, kOk, {});
            return decoder;
        }
    } else {
        auto decoder = std::make_unique<SndFileDecoder>(format, data);
        if (decoder->open(&why)) {
            setResult(result, error, kOk, {});
            return decoder;
        }
    }
    setResult(result, error, kErrNotPossible, why);
    return nullptr;
}

std::unique_ptr<PcmEncoder> OpenEncoder(const WaveFormatFields &format, int *result) {
    if (!CanEncode(format)) {
        if (result)
            *result = kErrNotPossible;
        return nullptr;
    }
    if (result)
        *result = kOk;
    if (format.tag == kTagGsm610) {
        auto encoder = std::make_unique<GsmEncoder>();
        if (encoder->ok())
            return encoder;
        if (result)
            *result = kErrNoMemory;
        return nullptr;
    }
    return std::make_unique<LinearEncoder>(format.channels, format.bits);
}

} // namespace orva::audio
