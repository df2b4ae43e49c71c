#include "radio/RadioBands.h"

#include <gtest/gtest.h>

namespace {

TEST(RadioBands, FrequencyGivesTheContestBandEdgesIncluded)
{
    const std::pair<double, const char *> cases[] = {
        {1'799'999, ""},    {1'800'000, "160"}, {1'838'000, "160"}, {2'000'000, "160"}, {2'000'001, ""},
        {3'499'990, ""},    {3'500'000, "80"},  {3'999'999, "80"},  {4'000'100, ""},    {5'357'000, ""},
        {7'000'000, "40"},  {7'300'000, "40"},  {7'300'001, ""},    {10'120'000, ""},   {13'999'999, ""},
        {14'000'000, "20"}, {14'350'000, "20"}, {14'350'010, ""},   {18'100'000, ""},   {21'000'000, "15"},
        {21'450'000, "15"}, {24'900'000, ""},   {28'000'000, "10"}, {29'700'000, "10"}, {29'700'001, ""},
        {50'100'000, ""},   {145'000'000, ""},  {0, ""},            {-7'000'000, ""},
    };
    for (const auto &[hz, band] : cases)
        EXPECT_EQ(BandForFrequency(hz), band) << hz;
}

TEST(RadioBands, HamlibModeGivesCwPhoneOrNothing)
{
    const std::pair<const char *, const char *> cases[] = {
        {"CW", "CW"},  {"CWR", "CW"}, {"USB", "SSB"}, {"LSB", "SSB"}, {"AM", "SSB"},  {"FM", "SSB"},
        {"RTTY", ""},  {"PKTUSB", ""}, {"FMN", ""},    {"", ""},       {"cw", ""},
    };
    for (const auto &[hamlib, mode] : cases)
        EXPECT_EQ(ModeForRadioMode(hamlib), mode) << hamlib;
}

} // namespace
