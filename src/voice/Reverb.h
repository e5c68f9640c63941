#pragma once

#include "voice/Codec.h"

#include <QByteArray>

namespace korvex::voice {

struct ReverbTap {
    int delayMs = 0;
    int gainPercent = 0; // negative inverts the echo
    bool operator==(const ReverbTap&) const = default;
};

// One preset of "Data/Reverb.ini".
struct ReverbPreset {
    int maxDelay = 1000;  // ms; taps beyond it are cut to it
    int inputGain = 80;   // %
    int inputPan = 0;     // kept for the file; the capture path is mono
    int outputGain = 100; // %
    int feedBack = 0;     // %, -99..99
    int filter = 0;       // kept for the file
    std::vector<ReverbTap> taps;
    bool operator==(const ReverbPreset&) const = default;
};

// Multi-tap delay with feedback. For input x (scaled by the input gain) the line carries
//   w[n] = x[n] + fb * t[n],   t[n] = sum_i g_i * w[n - d_i]
// and the output is outputGain * (x[n] + t[n]). A tap of delay 0 reads x[n] (no loop without delay).
// The output is clipped to 16 bits; clipping is counted as overflow.
class Reverb {
public:
    explicit Reverb(int sampleRate = 16000);

    void SetPreset(const ReverbPreset& preset);
    const ReverbPreset& preset() const { return m_preset; }
    void SetSampleRate(int rate);
    void SetEnabled(bool on);
    bool Enabled() const { return m_enabled; }
    void Reset();

    // In place; does nothing while disabled.
    void Process(std::int16_t* pcm, std::size_t n);
    // True when a sample had to be clipped since the last call.
    bool TakeOverflow();

private:
    void rebuild();

    int m_rate;
    bool m_enabled = false;
    ReverbPreset m_preset;
    std::vector<std::size_t> m_delays;
    std::vector<float> m_gains;
    std::vector<float> m_line; // w, circular
    std::size_t m_pos = 0;
    bool m_overflow = false;
};

} // namespace korvex::voice
