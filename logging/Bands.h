#pragma once

#include <array>
#include <string>
#include <string_view>

// One contest band, in every form the program writes or matches it in.
struct ContestBand {
    std::string_view name;   // as the log, the grid and the state write it: "80"
    std::string_view label;  // in the setup panel's band list: "3.5"
    int cabrilloKhz;         // the QSO line's frequency field
    std::string_view adif;   // ADIF's BAND: "80m"
    double lowHz, highHz;    // the contest segment a radio's frequency is matched against, edges included
};

// The bands of the contest, lowest first; the setup panel lists them in this order, with
// "CAT" after the last. A band added here is known to every reader and writer at once.
inline constexpr std::array<ContestBand, 6> ContestBands = {{
    {"160", "1.8", 1800, "160m", 1'800'000, 2'000'000},
    {"80", "3.5", 3500, "80m", 3'500'000, 4'000'000},
    {"40", "7", 7000, "40m", 7'000'000, 7'300'000},
    {"20", "14", 14000, "20m", 14'000'000, 14'350'000},
    {"15", "21", 21000, "15m", 21'000'000, 21'450'000},
    {"10", "28", 28000, "10m", 28'000'000, 29'700'000},
}};

// The band the log writes as name; nullptr for a name outside the table.
const ContestBand *FindBand(std::string_view name);
// Its position in the table (and the setup panel's list); -1 outside it.
int BandIndex(std::string_view name);
// "160, 80, 40, 20, 15 or 10", for a message that names what a cell may hold.
std::string BandNamesText();
