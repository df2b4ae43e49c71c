#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What a station last said of itself on its status topic, and when it was heard.
struct StationStatus {
    bool online = false;
    std::string band, mode;
    bool run = false;
    int qsos = 0;
    int events = -1;          // the events it has published; -1 when its status does not say
    std::int64_t heardMs = 0; // UTC ms of the last word from it, 0 for none
    // Its clock less ours, from its last status that came live: a retained one may be hours old.
    std::optional<std::int64_t> clockOffsetMs;
};

// A clock further off than this from ours is shown: QSO times of two positions would disagree.
constexpr std::int64_t ClockToleranceMs = 2000;

// One line of the Network window, in words.
struct StationRow {
    std::string station;
    bool online = false;
    std::string band, mode, runOrSp;
    int qsos = 0;
    std::string lastHeard;  // UTC hh:mm:ss, empty when never heard
    bool complete = true;   // this position holds every event the station says it published
    std::string held;       // "yes", "lacks 3 of 20", or "?" when the station does not say
    std::string clock;      // "clock off by +5 s" (its clock ahead of ours), empty when within tolerance
};

// held: the station's events this position has. The clock is judged only on what came live.
StationRow DescribeStation(const std::string &station, const StationStatus &status, int held);
