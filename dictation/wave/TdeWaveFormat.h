// One WAVEFORMATEX in a 512-byte buffer. Formats compare equal only when all 512 bytes match, so
// they are always filled from the defaults or by copying.
#pragma once

#include "platform/audio/AudioFormat.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

class TdeWaveFormat {
public:
    static constexpr int kBufferSize = 512;
    static constexpr int kMaxExtraSize = kBufferSize - 18;

    TdeWaveFormat() { SetDefaults(); }

    // PCM, 2 channels, 11025 Hz, 22050 bytes/s, block align 2, 8 bits, no extra bytes.
    void SetDefaults();

    std::uint16_t FormatTag() const { return u16(0); }
    // Tag 0x42 also gets its ten default extra bytes.
    void SetFormatTag(std::uint16_t tag);
    std::uint16_t Channels() const { return u16(2); }
    void SetChannels(std::uint16_t v) { setU16(2, v); }
    std::uint32_t SamplesPerSec() const { return u32(4); }
    void SetSamplesPerSec(std::uint32_t v) { setU32(4, v); }
    std::uint32_t AvgBytesPerSec() const { return u32(8); }
    void SetAvgBytesPerSec(std::uint32_t v) { setU32(8, v); }
    std::uint16_t BlockAlign() const { return u16(12); }
    void SetBlockAlign(std::uint16_t v) { setU16(12, v); }
    std::uint16_t BitsPerSample() const { return u16(14); }
    void SetBitsPerSample(std::uint16_t v) { setU16(14, v); }
    // At most 494, whatever the buffer holds.
    int ExtraSize() const;
    // Above 494 fails with "The wave format buffer is too small." and keeps the size.
    bool SetExtraSize(int size, QString *error = nullptr);

    // Copies a WAVEFORMATEX of 18 + its extra size bytes (of which `available` are given; the rest
    // read as 0) over a zeroed buffer; more than 512 bytes fails and leaves the format as it was.
    bool Assign(const char *waveFormatEx, qsizetype available, QString *error = nullptr);
    bool Assign(const QByteArray &waveFormatEx, QString *error = nullptr) {
        return Assign(waveFormatEx.constData(), waveFormatEx.size(), error);
    }

    const std::uint8_t *Buffer() const { return m_buffer.data(); }
    std::uint8_t *Buffer() { return m_buffer.data(); }
    // The WAVEFORMATEX: the first 18 + extra size bytes.
    QByteArray Bytes() const;
    orva::audio::WaveFormatFields Fields() const;

    bool IsEqual(const TdeWaveFormat &other) const { return m_buffer == other.m_buffer; }
    bool operator==(const TdeWaveFormat &other) const { return IsEqual(other); }

private:
    std::uint16_t u16(int at) const { return std::uint16_t(m_buffer[at] | m_buffer[at + 1] << 8); }
    std::uint32_t u32(int at) const { return std::uint32_t(u16(at)) | std::uint32_t(u16(at + 2)) << 16; }
    void setU16(int at, std::uint16_t v) {
        m_buffer[at] = std::uint8_t(v);
        m_buffer[at + 1] = std::uint8_t(v >> 8);
    }
    void setU32(int at, std::uint32_t v) {
        setU16(at, std::uint16_t(v));
        setU16(at + 2, std::uint16_t(v >> 16));
    }

    std::array<std::uint8_t, kBufferSize> m_buffer{};
};
