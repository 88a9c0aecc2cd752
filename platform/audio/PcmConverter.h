// 16-bit PCM from one rate and channel count to another: channels are averaged down to mono (or
// copied across), the rate is changed by libsamplerate. The last call passes `end` so that the
// samples the resampler holds back come out too.
#pragma once

#include <cstdint>
#include <vector>

struct SRC_STATE_tag;

namespace orva::audio {

class PcmConverter {
public:
    PcmConverter(int inRate, int inChannels, int outRate, int outChannels);
    ~PcmConverter();
    PcmConverter(const PcmConverter &) = delete;
    PcmConverter &operator=(const PcmConverter &) = delete;

    bool ok() const { return m_ok; }
    int outChannels() const { return m_outChannels; }
    // Appends the converted frames of `frames` input frames (interleaved) to `out`.
    void process(const std::int16_t *in, std::size_t frames, bool end, std::vector<std::int16_t> &out);

private:
    void mix(const std::int16_t *in, std::size_t frames, std::vector<float> &mixed) const;

    int m_inChannels;
    int m_outChannels;
    double m_ratio;
    SRC_STATE_tag *m_src = nullptr;
    bool m_ok = true;
    bool m_ended = false;
    std::vector<float> m_mixed;
    std::vector<float> m_resampled;
};

} // namespace orva::audio
