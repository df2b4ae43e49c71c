#pragma once

#include <string>
#include <string_view>

// The contest band, as the log names it, whose segment holds a radio frequency in Hz;
// empty outside every contest band.
std::string BandForFrequency(double hz);

// The logger's mode for a mode as Hamlib names it ("CW", "CWR", "USB", ...):
// "CW" for CW and reverse CW, "SSB" for USB, LSB, AM and FM, empty for any other
// (data and the like), which leaves the logger's mode as it is.
std::string ModeForRadioMode(std::string_view hamlibMode);

// A frequency in Hz as the operator reads it: kHz with one decimal, "14025.0 kHz".
std::string FrequencyText(double hz);
