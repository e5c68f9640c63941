#pragma once

#include "voice/Codec.h"

struct SpeexResamplerState_;

namespace korvex::voice {

// Mono 16-bit sample rate conversion (speexdsp). Equal rates pass the samples through untouched.
class Resampler {
public:
    Resampler(int inRate, int outRate, int quality = 3);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    int inRate() const { return m_in; }
    int outRate() const { return m_out; }
    void Process(const std::int16_t* in, std::size_t n, Pcm& out);
    void Reset();

private:
    int m_in;
    int m_out;
    SpeexResamplerState_* m_state = nullptr;
};

} // namespace korvex::voice
