// GSM 6.10 full-rate speech coding in the packing of WAVE format tag 0x0031 ("WAV49"): two
// 160-sample frames in one 65-byte block. One codec object per stream: libgsm keeps the filter
// state and the half-block parity between calls, so a stream always starts on a block boundary.
// A codec whose state libgsm could not allocate is not ok(): it encodes and decodes silence, and
// whoever made it tells the failure.
#pragma once

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <vector>

struct gsm_state;

namespace orva::audio {

constexpr int kGsmBlockBytes = 65;
constexpr int kGsmBlockSamples = 320;
constexpr int kGsmRate = 22050;
// floor(22050 * 65 / 320), the average bytes per second written in the header.
constexpr int kGsmBytesPerSecond = 4478;

class GsmBlockEncoder {
public:
    GsmBlockEncoder();
    ~GsmBlockEncoder();
    GsmBlockEncoder(const GsmBlockEncoder &) = delete;
    GsmBlockEncoder &operator=(const GsmBlockEncoder &) = delete;
    bool ok() const { return m_gsm != nullptr; }

    // Encodes exactly 320 samples into 65 bytes at `block`.
    void encodeBlock(const std::int16_t *samples, std::uint8_t *block);
    // Appends the blocks of every whole 320 samples given so far; the rest waits for more.
    void push(const std::int16_t *samples, std::size_t count, QByteArray &blocks);
    // Pads a partial block with silence and appends it; nothing when no sample waits.
    void flush(QByteArray &blocks);
    std::size_t pendingSamples() const { return m_pending.size(); }

private:
    ::gsm_state *m_gsm = nullptr;
    std::vector<std::int16_t> m_pending;
};

class GsmBlockDecoder {
public:
    GsmBlockDecoder();
    ~GsmBlockDecoder();
    GsmBlockDecoder(const GsmBlockDecoder &) = delete;
    GsmBlockDecoder &operator=(const GsmBlockDecoder &) = delete;
    bool ok() const { return m_gsm != nullptr; }

    // Decodes one 65-byte block into 320 samples; false when libgsm refuses the bits.
    bool decodeBlock(const std::uint8_t *block, std::int16_t *samples);

private:
    ::gsm_state *m_gsm = nullptr;
};

} // namespace orva::audio
