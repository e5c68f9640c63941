#include "voice/Reverb.h"

#include <algorithm>
#include <cmath>

namespace korvex::voice {

Reverb::Reverb(int sampleRate) : m_rate(sampleRate) {
    rebuild();
}

void Reverb::SetPreset(const ReverbPreset& preset) {
    m_preset = preset;
    rebuild();
}

void Reverb::SetSampleRate(int rate) {
    m_rate = rate;
    rebuild();
}

void Reverb::SetEnabled(bool on) {
    if (on && !m_enabled) Reset();
    m_enabled = on;
}

void Reverb::Reset() {
    std::fill(m_line.begin(), m_line.end(), 0.0f);
    m_pos = 0;
}

void Reverb::rebuild() {
    m_delays.clear();
    m_gains.clear();
    const int maxMs = std::clamp(m_preset.maxDelay, 0, 10000);
    std::size_t longest = 0;
    for (const ReverbTap& t : m_preset.taps) {
        const int ms = std::clamp(t.delayMs, 0, maxMs);
        const std::size_t d = std::size_t(std::int64_t(ms) * m_rate / 1000);
        m_delays.push_back(d);
        m_gains.push_back(float(t.gainPercent) / 100.0f);
        longest = std::max(longest, d);
    }
    m_line.assign(longest + 1, 0.0f);
    m_pos = 0;
}

void Reverb::Process(std::int16_t* pcm, std::size_t n) {
    if (!m_enabled) return;
    const float inGain = float(m_preset.inputGain) / 100.0f;
    const float outGain = float(m_preset.outputGain) / 100.0f;
    const float fb = float(std::clamp(m_preset.feedBack, -99, 99)) / 100.0f;
    const std::size_t size = m_line.size();
    for (std::size_t i = 0; i < n; ++i) {
        const float x = float(pcm[i]) * inGain;
        float taps = 0.0f;
        for (std::size_t k = 0; k < m_delays.size(); ++k) {
            const std::size_t d = m_delays[k];
            const float w = d == 0 ? x : m_line[(m_pos + size - d) % size];
            taps += m_gains[k] * w;
        }
        // The loop gain of some presets is close to 1: keep the line finite whatever they do.
        m_line[m_pos] = std::clamp(x + fb * taps, -1.0e6f, 1.0e6f);
        m_pos = (m_pos + 1) % size;
        const float y = std::round(outGain * (x + taps));
        if (y > 32767.0f || y < -32768.0f) m_overflow = true;
        pcm[i] = std::int16_t(std::clamp(y, -32768.0f, 32767.0f));
    }
}

bool Reverb::TakeOverflow() {
    const bool o = m_overflow;
    m_overflow = false;
    return o;
}

} // namespace korvex::voice
