#include "radio/RadioBands.h"

#include <cmath>
#include <cstdio>

namespace {

struct BandEdges {
    double lowHz, highHz;
    const char *band;
};

// The contest segments of the amateur bands, edges included.
constexpr BandEdges kBands[] = {
    {1'800'000, 2'000'000, "160"}, {3'500'000, 4'000'000, "80"},  {7'000'000, 7'300'000, "40"},
    {14'000'000, 14'350'000, "20"}, {21'000'000, 21'450'000, "15"}, {28'000'000, 29'700'000, "10"},
};

} // namespace

std::string BandForFrequency(double hz)
{
    for (const BandEdges &b : kBands)
        if (hz >= b.lowHz && hz <= b.highHz)
            return b.band;
    return {};
}

std::string ModeForRadioMode(std::string_view hamlibMode)
{
    if (hamlibMode == "CW" || hamlibMode == "CWR")
        return "CW";
    if (hamlibMode == "USB" || hamlibMode == "LSB" || hamlibMode == "AM" || hamlibMode == "FM")
        return "SSB";
    return {};
}

std::string FrequencyText(double hz)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f kHz", std::round(hz / 100.0) / 10.0);
    return text;
}
