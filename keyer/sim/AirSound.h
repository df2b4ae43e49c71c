#pragma once

#include "keyer/sim/Morse.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Rise and fall of every key-down: long enough for no click, short enough for 50 wpm.
inline constexpr double KeyingEdgeSeconds = 0.005;

// A station as the receiver hears it: its keying, its pitch and strength, how the path
// fades it (QSB) and makes it flutter (aurora).
struct AirStation {
    double pitch = 600;           // Hz
    double amplitude = 0.3;       // of full scale, at its strongest
    std::vector<KeyDown> keying;  // stream seconds, in time order; an end of +inf: held down
    double qsbDepth = 0;          // 0..1: down by this much at the bottom of a fade
    double qsbHz = 0, qsbPhase = 0;
    double flutter = 0;           // 0..1
};

// A static crash: a burst of noise that dies away.
struct Crash {
    double start;
    double amplitude;
    double decay;  // seconds to fall to a third
};

// Everything on the air, in the receiver's passband.
struct AirScene {
    std::vector<AirStation> stations;
    double noise = 0.02;       // band noise, rms of full scale
    double filterCentre = 600;  // the receiver's filter, which shapes the noise
    double filterWidth = 500;
    std::vector<Crash> crashes;
};

// Turns the scene into samples in -1..1. A pure rendering: the same scene and sample
// numbers always give the same samples, in whatever blocks they are asked for (the
// noise filter carries its state from one block to the next).
class AirRenderer {
public:
    explicit AirRenderer(int sampleRate = 48000, uint64_t seed = 1);

    void render(const AirScene &scene, int64_t firstSample, float *out, size_t count);
    int sampleRate() const { return rate_; }

private:
    double noiseAt(int64_t sample, uint64_t stream) const;

    int rate_;
    uint64_t seed_;
    double z1_ = 0, z2_ = 0;  // the noise filter's state
    int64_t filtered_ = -1;   // the next sample the filter state belongs to
};
