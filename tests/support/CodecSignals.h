#pragma once

// Test signals for the sound element codec, shared by its tests and by the
// quality benchmark (bench/image/ElementSnrBench.cpp). Every generator is
// deterministic: the same arguments give the same samples on every machine
// that rounds doubles the IEEE way.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace zadaravod::signals {

inline std::int16_t toSample(double v) {
    return static_cast<std::int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0)));
}

/// A sine of `amplitude` at `hz`, `n` samples at `rate` Hz.
inline std::vector<std::int16_t> sine(double hz, int rate, std::size_t n,
                                      double amplitude = 16000) {
    std::vector<std::int16_t> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = toSample(amplitude * std::sin(2 * M_PI * hz * static_cast<double>(i) / rate));
    return x;
}

/// A linear sweep from `fromHz` to `toHz` over `seconds` at `rate` Hz.
inline std::vector<std::int16_t> chirp(double fromHz, double toHz, int rate, double seconds,
                                       double amplitude = 16000) {
    std::vector<std::int16_t> x(static_cast<std::size_t>(rate * seconds));
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        x[i] =
            toSample(amplitude *
                     std::sin(2 * M_PI * (fromHz * t + (toHz - fromHz) * t * t / (2 * seconds))));
    }
    return x;
}

/// A naive (not band-limited) square wave between -amplitude and +amplitude.
inline std::vector<std::int16_t> square(double hz, int rate, std::size_t n,
                                        double amplitude = 16000) {
    std::vector<std::int16_t> x(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double phase = std::fmod(hz * static_cast<double>(i) / rate, 1.0);
        x[i] = toSample(phase < 0.5 ? amplitude : -amplitude);
    }
    return x;
}

/// Gaussian white noise of standard deviation `sigma`, clipped to 16 bits.
inline std::vector<std::int16_t> whiteNoise(std::size_t n, double sigma, unsigned seed = 7) {
    std::mt19937 rng(seed);
    std::vector<std::int16_t> x(n);
    // Box-Muller on the generator's raw output: std::normal_distribution is
    // not specified bit for bit across standard libraries.
    for (std::size_t i = 0; i < n; i += 2) {
        const double u1 = (static_cast<double>(rng()) + 1.0) / 4294967296.0;
        const double u2 = static_cast<double>(rng()) / 4294967296.0;
        const double r = sigma * std::sqrt(-2 * std::log(u1));
        x[i] = toSample(r * std::cos(2 * M_PI * u2));
        if (i + 1 < n) x[i + 1] = toSample(r * std::sin(2 * M_PI * u2));
    }
    return x;
}

/// A music-like passage at `rate` Hz: `seconds` of plucked notes (a fast
/// attack, then an exponential decay in which the upper partials die
/// faster), every note with all its harmonics up to 3.9 kHz, each note
/// ringing on under the next. Peak about 22000.
inline std::vector<std::int16_t> music(int rate = 8000, double seconds = 4.0) {
    static const double notes[] = {220.0,  261.63, 329.63, 392.0, 440.0,  523.25,
                                   659.26, 587.33, 493.88, 392.0, 349.23, 293.66};
    const std::size_t n = static_cast<std::size_t>(rate * seconds);
    const double noteSeconds = seconds / static_cast<double>(std::size(notes));
    std::vector<double> mix(n, 0.0);
    for (std::size_t k = 0; k < std::size(notes); ++k) {
        const double f0 = notes[k];
        const std::size_t start =
            static_cast<std::size_t>(static_cast<double>(k) * noteSeconds * rate);
        const std::size_t length =
            std::min(n - start, static_cast<std::size_t>(2.5 * noteSeconds * rate));
        for (int h = 1; h * f0 < 3900.0; ++h) {
            const double amp = 1.0 / std::pow(h, 0.6);
            const double decay = 2.5 + 0.6 * h;     // per second
            const double phase = 0.37 * h * h + k;  // no coincident peaks
            for (std::size_t i = 0; i < length; ++i) {
                const double t = static_cast<double>(i) / rate;
                const double attack = std::min(1.0, t / 0.008);
                mix[start + i] +=
                    amp * attack * std::exp(-decay * t) * std::sin(2 * M_PI * h * f0 * t + phase);
            }
        }
    }
    double peak = 0;
    for (double v : mix) peak = std::max(peak, std::abs(v));
    std::vector<std::int16_t> x(n);
    for (std::size_t i = 0; i < n; ++i) x[i] = toSample(mix[i] * 22000.0 / peak);
    return x;
}

}  // namespace zadaravod::signals
