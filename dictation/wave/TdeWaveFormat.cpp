#include "dictation/wave/TdeWaveFormat.h"

#include "dictation/wave/AudioErrors.h"

#include <algorithm>
#include <cstring>

void TdeWaveFormat::SetDefaults() {
    m_buffer.fill(0);
    setU16(0, 1);
    setU16(2, 2);
    setU32(4, 11025);
    setU32(8, 22050);
    setU16(12, 2);
    setU16(14, 8);
}

void TdeWaveFormat::SetFormatTag(std::uint16_t tag) {
    setU16(0, tag);
    if (tag == 0x42) {
        static const std::uint8_t extra[10] = {0x02, 0x00, 0xCE, 0x9A, 0x32, 0xF7, 0xA2, 0xAE, 0xDE, 0xAC};
        std::memcpy(m_buffer.data() + 18, extra, sizeof extra);
    }
}

int TdeWaveFormat::ExtraSize() const {
    return std::min<int>(u16(16), kMaxExtraSize);
}

bool TdeWaveFormat::SetExtraSize(int size, QString *error) {
    if (size < 0 || size > kMaxExtraSize)
        return AudioFailed(error, AudioText::BufferTooSmall);
    setU16(16, std::uint16_t(size));
    return true;
}

bool TdeWaveFormat::Assign(const char *waveFormatEx, qsizetype available, QString *error) {
    const int extra =
        available >= 18 ? (std::uint8_t(waveFormatEx[16]) | std::uint8_t(waveFormatEx[17]) << 8) : 0;
    const qsizetype length = 18 + extra;
    if (length > kBufferSize)
        return AudioFailed(error, AudioText::BufferOverrun);
    m_buffer.fill(0);
    std::memcpy(m_buffer.data(), waveFormatEx, std::size_t(std::min(length, available)));
    return true;
}

QByteArray TdeWaveFormat::Bytes() const {
    QByteArray b(reinterpret_cast<const char *>(m_buffer.data()), 18 + ExtraSize());
    b[16] = char(ExtraSize() & 0xFF);
    b[17] = char(ExtraSize() >> 8);
    return b;
}

orva::audio::WaveFormatFields TdeWaveFormat::Fields() const {
    return orva::audio::WaveFormatFields::fromBytes(Bytes());
}
