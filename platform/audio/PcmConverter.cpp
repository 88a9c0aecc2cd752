#include "platform/audio/PcmConverter.h"

#include <samplerate.h>

#include <algorithm>
#include <cmath>

namespace orva::audio {

PcmConverter::PcmConverter(int inRate, int inChannels, int outRate, int outChannels)
    : m_inChannels(std::max(inChannels, 1)), m_outChannels(std::max(outChannels, 1)),
      m_ratio(inRate > 0 ? double(outRate) / inRate : 1.0) {
    if (inRate <= 0 || outRate <= 0 || src_is_valid_ratio(m_ratio) == 0) {
        m_ok = false;
        return;
    }
    if (inRate != outRate) {
        int error = 0;
        m_src = src_new(SRC_SINC_FASTEST, m_outChannels, &error);
        m_ok = m_src != nullptr;
    }
}

PcmConverter::~PcmConverter() {
    if (m_src)
        src_delete(m_src);
}

void PcmConverter::mix(const std::int16_t *in, std::size_t frames, std::vector<float> &mixed) const {
    mixed.resize(frames * m_outChannels);
    constexpr float scale = 1.0f / 32768.0f;
    for (std::size_t f = 0; f < frames; ++f) {
        const std::int16_t *frame = in + f * m_inChannels;
        float *o = mixed.data() + f * m_outChannels;
        if (m_outChannels == 1) {
            int sum = 0;
            for (int c = 0; c < m_inChannels; ++c)
                sum += frame[c];
            o[0] = float(sum) / float(m_inChannels) * scale;
            continue;
        }
        for (int c = 0; c < m_outChannels; ++c)
            o[c] = frame[std::min(c, m_inChannels - 1)] * scale;
    }
}

void PcmConverter::process(const std::int16_t *in, std::size_t frames, bool end,
                           std::vector<std::int16_t> &out) {
    if (!m_ok || m_ended)
        return;
    if (!m_src && m_inChannels == m_outChannels) {
        out.insert(out.end(), in, in + frames * m_inChannels);
        m_ended = end;
        return;
    }
    mix(in, frames, m_mixed);
    if (!m_src) {
        const std::size_t at = out.size();
        out.resize(at + m_mixed.size());
        src_float_to_short_array(m_mixed.data(), reinterpret_cast<short *>(out.data() + at),
                                 int(m_mixed.size()));
        m_ended = end;
        return;
    }
    SRC_DATA data{};
    data.src_ratio = m_ratio;
    long inputLeft = long(frames);
    const float *input = m_mixed.data();
    const long room = long(std::ceil(double(frames) * m_ratio)) + 1024;
    m_resampled.resize(std::size_t(room) * m_outChannels);
    // libsamplerate may stop before the input is used up when the output is full; go round until
    // the input is gone and, at the end, until it gives no more.
    for (;;) {
        data.data_in = input;
        data.input_frames = inputLeft;
        data.data_out = m_resampled.data();
        data.output_frames = room;
        data.end_of_input = end ? 1 : 0;
        if (src_process(m_src, &data) != 0) {
            m_ok = false;
            return;
        }
        const std::size_t samples = std::size_t(data.output_frames_gen) * m_outChannels;
        const std::size_t at = out.size();
        out.resize(at + samples);
        src_float_to_short_array(m_resampled.data(), reinterpret_cast<short *>(out.data() + at),
                                 int(samples));
        input += data.input_frames_used * m_outChannels;
        inputLeft -= data.input_frames_used;
        if (inputLeft > 0 && (data.input_frames_used > 0 || data.output_frames_gen > 0))
            continue;
        if (!end || data.output_frames_gen == 0)
            break;
    }
    m_ended = end;
}

} // namespace orva::audio
