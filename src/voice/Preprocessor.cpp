#include "voice/Preprocessor.h"

#include <speex/speex_preprocess.h>

namespace korvex::voice {

Preprocessor::Preprocessor(int sampleRate, bool denoise, bool agc) : m_frame(std::size_t(sampleRate / 50)) {
    m_state = speex_preprocess_state_init(int(m_frame.size()), sampleRate);
    int on = denoise ? 1 : 0;
    speex_preprocess_ctl(m_state, SPEEX_PREPROCESS_SET_DENOISE, &on);
    on = agc ? 1 : 0;
    speex_preprocess_ctl(m_state, SPEEX_PREPROCESS_SET_AGC, &on);
}

Preprocessor::~Preprocessor() {
    if (m_state) speex_preprocess_state_destroy(m_state);
}

void Preprocessor::Process(const std::int16_t* in, std::size_t n, Pcm& out) {
    while (n > 0) {
        const std::size_t take = std::min(n, m_frame.size() - m_fill);
        std::copy(in, in + take, m_frame.begin() + std::ptrdiff_t(m_fill));
        m_fill += take;
        in += take;
        n -= take;
        if (m_fill == m_frame.size()) {
            speex_preprocess_run(m_state, m_frame.data());
            out.insert(out.end(), m_frame.begin(), m_frame.end());
            m_fill = 0;
        }
    }
}

} // namespace korvex::voice
