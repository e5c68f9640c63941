#include "voice/Resampler.h"

#include <speex/speex_resampler.h>

namespace korvex::voice {

Resampler::Resampler(int inRate, int outRate, int quality) : m_in(inRate), m_out(outRate) {
    if (m_in != m_out) {
        int err = 0;
        m_state = speex_resampler_init(1, spx_uint32_t(inRate), spx_uint32_t(outRate), quality, &err);
        if (m_state) speex_resampler_skip_zeros(m_state);
    }
}

Resampler::~Resampler() {
    if (m_state) speex_resampler_destroy(m_state);
}

void Resampler::Process(const std::int16_t* in, std::size_t n, Pcm& out) {
    if (!m_state) {
        out.insert(out.end(), in, in + n);
        return;
    }
    while (n > 0) {
        const std::size_t at = out.size();
        const std::size_t room = n * std::size_t(m_out) / std::size_t(m_in) + 64;
        out.resize(at + room);
        spx_uint32_t inLen = spx_uint32_t(std::min<std::size_t>(n, 1u << 20));
        spx_uint32_t outLen = spx_uint32_t(room);
        speex_resampler_process_int(m_state, 0, in, &inLen, out.data() + at, &outLen);
        out.resize(at + outLen);
        if (inLen == 0 && outLen == 0) break;
        in += inLen;
        n -= inLen;
    }
}

void Resampler::Reset() {
    if (m_state) {
        speex_resampler_reset_mem(m_state);
        speex_resampler_skip_zeros(m_state);
    }
}

} // namespace korvex::voice
