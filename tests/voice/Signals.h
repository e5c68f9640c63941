#pragma once

// Test signals and the measures the codec tests judge them by.

#include <cmath>
#include <cstdint>
#include <vector>

namespace korvex::voice::test {

inline std::vector<std::int16_t> Tone(int rate, double hz, double seconds, double amplitude = 8000) {
    std::vector<std::int16_t> s(std::size_t(rate * seconds));
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = std::int16_t(amplitude * std::sin(2 * M_PI * hz * double(i) / rate));
    return s;
}

// Voice-like: a gliding 120-180 Hz fundamental with harmonics shaped by two formants, syllable-rate
// amplitude modulation. Deterministic, band-limited to what 8 kHz sampling keeps.
inline std::vector<std::int16_t> VoiceLike(int rate, double seconds) {
    std::vector<std::int16_t> s(std::size_t(rate * seconds));
    double phase = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / rate;
        const double f0 = 150 + 30 * std::sin(2 * M_PI * 1.3 * t);
        phase += 2 * M_PI * f0 / rate;
        double v = 0;
        for (int h = 1; h * f0 < 3400 && h < 40; ++h) {
            const double f = h * f0;
            const double formant =
                std::exp(-std::pow((f - 700) / 300, 2)) + 0.6 * std::exp(-std::pow((f - 1800) / 400, 2));
            v += (0.15 + formant) / h * std::sin(h * phase);
        }
        const double envelope = 0.55 + 0.45 * std::sin(2 * M_PI * 4 * t);
        s[i] = std::int16_t(5000 * envelope * v);
    }
    return s;
}

struct Match {
    int lag = 0;            // how many samples the output lags the input
    double correlation = 0; // normalised correlation at that lag
    double snrDb = 0;       // signal to error after removing the lag and the best gain
};

// Finds the lag in [0, maxLag] where `out` best matches `in`, comparing the middle of the signal.
inline Match BestMatch(const std::vector<std::int16_t>& in, const std::vector<std::int16_t>& out,
                       int maxLag) {
    Match best;
    best.correlation = -2;
    const std::size_t from = in.size() / 5, to = in.size() * 4 / 5;
    for (int lag = 0; lag <= maxLag; ++lag) {
        if (to + std::size_t(lag) > out.size()) break;
        double xy = 0, xx = 0, yy = 0;
        for (std::size_t i = from; i < to; ++i) {
            const double x = in[i], y = out[i + std::size_t(lag)];
            xy += x * y;
            xx += x * x;
            yy += y * y;
        }
        const double c = (xx > 0 && yy > 0) ? xy / std::sqrt(xx * yy) : 0;
        if (c > best.correlation) {
            best.correlation = c;
            best.lag = lag;
            const double gain = yy > 0 ? xy / yy : 0;
            double err = 0;
            for (std::size_t i = from; i < to; ++i) {
                const double e = in[i] - gain * out[i + std::size_t(lag)];
                err += e * e;
            }
            best.snrDb = err > 0 ? 10 * std::log10(xx / err) : 99;
        }
    }
    return best;
}

// Power of one frequency relative to the whole signal's power (Goertzel), 0..1.
inline double ToneShare(const std::vector<std::int16_t>& s, int rate, double hz) {
    if (s.empty()) return 0;
    const double w = 2 * M_PI * hz / rate, c = 2 * std::cos(w);
    double s1 = 0, s2 = 0, total = 0;
    for (const std::int16_t v : s) {
        const double s0 = v + c * s1 - s2;
        s2 = s1;
        s1 = s0;
        total += double(v) * v;
    }
    const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    return total > 0 ? 2 * power / (double(s.size()) * total) : 0;
}

} // namespace korvex::voice::test
