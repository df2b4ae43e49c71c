#include "radio/RadioBands.h"

#include "logging/Bands.h"

#include <cmath>
#include <cstdio>

std::string BandForFrequency(double hz)
{
    for (const ContestBand &b : ContestBands)
        if (hz >= b.lowHz && hz <= b.highHz)
            return std::string(b.name);
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
