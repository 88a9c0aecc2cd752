// libgsm in WAV49 mode: an encoder call writes 32 bytes and the next 33; a decoder call reads 33
// bytes and the next 32 (the nibble shared by the two frames sits in the first half).
#include "platform/audio/GsmCodec.h"

#include <gsm.h>

#include <algorithm>

namespace orva::audio {

namespace {
// Null when libgsm cannot allocate its state.
gsm newWav49() {
    gsm g = gsm_create();
    if (!g)
        return nullptr;
    int on = 1;
    gsm_option(g, GSM_OPT_WAV49, &on);
    return g;
}
} // namespace

GsmBlockEncoder::GsmBlockEncoder() : m_gsm(newWav49()) {}

GsmBlockEncoder::~GsmBlockEncoder() {
    if (m_gsm)
        gsm_destroy(m_gsm);
}

void GsmBlockEncoder::encodeBlock(const std::int16_t *samples, std::uint8_t *block) {
    if (!m_gsm) {
        std::fill(block, block + kGsmBlockBytes, 0);
        return;
    }
    // gsm_encode takes a non-const pointer but does not change the samples.
    gsm_signal frame[kGsmBlockSamples];
    std::copy(samples, samples + kGsmBlockSamples, frame);
    gsm_encode(m_gsm, frame, block);
    gsm_encode(m_gsm, frame + 160, block + 32);
}

void GsmBlockEncoder::push(const std::int16_t *samples, std::size_t count, QByteArray &blocks) {
    std::uint8_t block[kGsmBlockBytes];
    if (!m_pending.empty()) {
        const std::size_t take = std::min(count, kGsmBlockSamples - m_pending.size());
        m_pending.insert(m_pending.end(), samples, samples + take);
        samples += take;
        count -= take;
        if (m_pending.size() < std::size_t(kGsmBlockSamples))
            return;
        encodeBlock(m_pending.data(), block);
        blocks.append(reinterpret_cast<const char *>(block), kGsmBlockBytes);
        m_pending.clear();
    }
    const std::size_t whole = count / kGsmBlockSamples;
    const qsizetype at = blocks.size();
    blocks.resize(at + qsizetype(whole) * kGsmBlockBytes);
    auto *out = reinterpret_cast<std::uint8_t *>(blocks.data()) + at;
    for (std::size_t i = 0; i < whole; ++i)
        encodeBlock(samples + i * kGsmBlockSamples, out + i * kGsmBlockBytes);
    m_pending.assign(samples + whole * kGsmBlockSamples, samples + count);
}

void GsmBlockEncoder::flush(QByteArray &blocks) {
    if (m_pending.empty())
        return;
    m_pending.resize(kGsmBlockSamples, 0);
    std::uint8_t block[kGsmBlockBytes];
    encodeBlock(m_pending.data(), block);
    blocks.append(reinterpret_cast<const char *>(block), kGsmBlockBytes);
    m_pending.clear();
}

GsmBlockDecoder::GsmBlockDecoder() : m_gsm(newWav49()) {}

GsmBlockDecoder::~GsmBlockDecoder() {
    if (m_gsm)
        gsm_destroy(m_gsm);
}

bool GsmBlockDecoder::decodeBlock(const std::uint8_t *block, std::int16_t *samples) {
    gsm_byte frame[kGsmBlockBytes];
    std::copy(block, block + kGsmBlockBytes, frame);
    const bool ok =
        m_gsm && gsm_decode(m_gsm, frame, samples) == 0 && gsm_decode(m_gsm, frame + 33, samples + 160) == 0;
    if (!ok)
        std::fill(samples, samples + kGsmBlockSamples, 0);
    return ok;
}

} // namespace orva::audio
