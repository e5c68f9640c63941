#pragma once

#include "voice/Codec.h"

struct SpeexPreprocessState_;

namespace korvex::voice {

// Noise suppression and automatic gain (speexdsp) for the microphone, in 20 ms frames. Samples that do not
// fill a frame wait for the next call, so the stage adds up to 20 ms of delay.
class Preprocessor {
public:
    explicit Preprocessor(int sampleRate, bool denoise = true, bool agc = true);
    ~Preprocessor();
    Preprocessor(const Preprocessor&) = delete;
    Preprocessor& operator=(const Preprocessor&) = delete;

    void Process(const std::int16_t* in, std::size_t n, Pcm& out);

private:
    SpeexPreprocessState_* m_state = nullptr;
    Pcm m_frame;
    std::size_t m_fill = 0;
};

} // namespace korvex::voice
