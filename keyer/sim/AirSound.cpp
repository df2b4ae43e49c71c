#include "keyer/sim/AirSound.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double TwoPi = 6.283185307179586;

uint64_t mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// 0 before the edge starts, 1 after it, a raised cosine between: no click either way.
double edge(double x)
{
    if (x <= 0)
        return 0;
    if (x >= 1)
        return 1;
    return 0.5 - 0.5 * std::cos(M_PI * x);
}

// Loud moments are rounded off below full scale instead of clipped.
float limit(double x)
{
    constexpr double knee = 0.7;
    const double a = std::fabs(x);
    if (a <= knee)
        return static_cast<float>(x);
    const double y = knee + (1 - knee) * std::tanh((a - knee) / (1 - knee));
    return static_cast<float>(std::copysign(std::min(y, 0.999), x));
}

} // namespace

AirRenderer::AirRenderer(int sampleRate, uint64_t seed) : rate_(sampleRate), seed_(mix(seed)) {}

double AirRenderer::noiseAt(int64_t sample, uint64_t stream) const
{
    // Two uniform draws summed: near enough to the hiss of a receiver, and cheap.
    const uint64_t h = mix(seed_ ^ mix(static_cast<uint64_t>(sample) * 2 + stream));
    const double a = static_cast<double>(h >> 40) / 16777216.0;
    const double b = static_cast<double>(h & 0xFFFFFF) / 16777216.0;
    return (a + b - 1) * 2.449;  // unit variance
}

void AirRenderer::render(const AirScene &scene, int64_t firstSample, float *out, size_t count)
{
    std::vector<double> mixed(count, 0.0);
    const double dt = 1.0 / rate_;
    const double t0 = static_cast<double>(firstSample) * dt;
    const double t1 = static_cast<double>(firstSample + static_cast<int64_t>(count)) * dt;

    for (const AirStation &st : scene.stations) {
        // Key-downs sound from their start to an edge after their end.
        auto span = std::partition_point(st.keying.begin(), st.keying.end(), [&](const KeyDown &k) {
            return k.end + KeyingEdgeSeconds <= t0;
        });
        for (; span != st.keying.end() && span->start < t1; ++span) {
            const int64_t from = std::max<int64_t>(firstSample, static_cast<int64_t>(std::ceil(span->start * rate_)));
            const double stop = std::min(t1, span->end + KeyingEdgeSeconds);
            for (int64_t n = from; static_cast<double>(n) * dt < stop; ++n) {
                const double t = static_cast<double>(n) * dt;
                double a = st.amplitude * edge((t - span->start) / KeyingEdgeSeconds)
                           * (1 - edge((t - span->end) / KeyingEdgeSeconds));
                if (st.qsbDepth > 0)
                    a *= 1 - st.qsbDepth * (0.5 + 0.5 * std::sin(TwoPi * st.qsbHz * t + st.qsbPhase));
                if (st.flutter > 0)
                    a *= 1 - st.flutter * (0.5 + (std::sin(TwoPi * 11.3 * t) + std::sin(TwoPi * 17.9 * t + 1.3)
                                                  + std::sin(TwoPi * 7.1 * t + 2.1)) / 6);
                mixed[static_cast<size_t>(n - firstSample)] += a * std::sin(TwoPi * st.pitch * t);
            }
        }
    }

    // The band's hiss and its static crashes reach the ear through the receiver's filter
    // (a two-pole band-pass): a crash sounds as a burst of the hiss, not as a click.
    std::vector<double> white(count, 0.0);
    if (scene.noise > 0)
        for (size_t i = 0; i < count; ++i)
            white[i] = scene.noise * noiseAt(firstSample + static_cast<int64_t>(i), 0);
    for (const Crash &c : scene.crashes) {
        if (c.start >= t1 || c.start + 8 * c.decay <= t0)
            continue;
        for (size_t i = 0; i < count; ++i) {
            const double t = t0 + static_cast<double>(i) * dt;
            if (t >= c.start && t < c.start + 8 * c.decay)
                white[i] += c.amplitude * std::min(1.0, (t - c.start) / 0.0005) * std::exp(-(t - c.start) / c.decay)
                            * noiseAt(firstSample + static_cast<int64_t>(i), 1) / 2.449;
        }
    }
    const double w0 = TwoPi * scene.filterCentre / rate_;
    const double alpha = std::sin(w0) * scene.filterWidth / (2 * scene.filterCentre);  // sin(w0) / 2Q
    const double a0 = 1 + alpha, a1 = -2 * std::cos(w0) / a0, a2 = (1 - alpha) / a0, b0 = alpha / a0;
    // What comes out has the level of what went in, over the filter's width.
    const double gain = 1 / std::sqrt(M_PI * scene.filterWidth / rate_);
    if (filtered_ != firstSample)
        z1_ = z2_ = 0;
    for (size_t i = 0; i < count; ++i) {
        const double x = gain * white[i];
        // Direct form II transposed; b1 = 0, b2 = -b0.
        const double y = b0 * x + z1_;
        z1_ = -a1 * y + z2_;
        z2_ = -b0 * x - a2 * y;
        mixed[i] += y;
    }
    filtered_ = firstSample + static_cast<int64_t>(count);

    for (size_t i = 0; i < count; ++i)
        out[i] = limit(mixed[i]);
}
