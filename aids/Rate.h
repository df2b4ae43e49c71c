#pragma once

#include "logging/StationQso.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct ContestState;
struct UtcStamp;

// Minutes since 1970-01-01 00:00 UTC.
using UtcMinute = long long;

// The QSOs and dupes of one band and mode.
struct BandModeCount {
    std::string band, mode;
    int qsos = 0;
    int dupes = 0;  // the call was logged on this band and mode before
};

// A gap of an hour or more between two QSOs: the operator was off.
struct OffTime {
    UtcMinute from = 0, to = 0;  // the QSOs before and after it
    long long minutes() const { return to - from; }
};

// The QSOs of one clock hour, by band from 160 m down.
struct HourBar {
    UtcMinute hour = 0;  // its first minute
    std::vector<std::pair<std::string, int>> bands;
    int total() const;
};

// The rate figures of the log at a moment.
struct RateFigures {
    // 60 x count / minutes between the first and the last of the last 10 and 100 QSOs;
    // none with fewer than two QSOs or none of the minutes between them.
    std::optional<double> last10, last100;
    int lastHour = 0;        // QSOs in the 60 minutes up to now
    int sinceTopOfHour = 0;  // QSOs since the current clock hour began
    std::vector<BandModeCount> byBandMode;  // bands from 160 m down, CW before SSB
    std::vector<OffTime> offTimes;
    std::vector<HourBar> hours;  // every clock hour from the first QSO's to the last's
    int unreadable = 0;          // rows whose date or time does not read: left out of the times
};

// Gaps of this many minutes or more are off times.
inline constexpr int OffTimeMinutes = 60;
// The graph holds at most this many hours (three weeks), the newest ones.
inline constexpr size_t MaxHourBars = 504;

// The figures of the first QsoCount rows; a row without a date has the log's date.
RateFigures ComputeRate(const ContestState &state, const LogTable &log, const UtcStamp &now);
// The figures of a networked station's whole log, in the time order it is given in.
RateFigures ComputeRate(const ContestState &state, const std::vector<StationQso> &qsos, const UtcStamp &now);

// The row's moment from its date "yyyy-mm-dd" and time "hh:mm" or "hhmm".
std::optional<UtcMinute> QsoMinute(const std::string &date, const std::string &time);
UtcMinute StampMinute(const UtcStamp &stamp);
// "2013-04-14 07:12"
std::string MinuteText(UtcMinute minute);
