#pragma once

#include "logging/LogTable.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ContestState;

// One QSO of the station's log as the files for after the contest and the aids take it: a
// row of the own log or, on a networked station, a QSO of another position.
struct StationQso {
    QsoRow row;                      // Number: the serial its position sent; Date always set
    std::string station;             // the position that logged it; empty on a station of one computer
    std::optional<int> transmitter;  // the Cabrillo transmitter id, on a networked station only
    int ownRow = -1;                 // its row in the own log (0-based); -1 for another position's
    std::uint64_t order = 0;         // the order its position logged it in

    bool own() const { return ownRow >= 0; }
};

// The own log's first QsoCount rows, each numbered as sent (its row + 1) and dated (a row
// without a date has the log's).
std::vector<StationQso> OwnQsos(const ContestState &state, const LogTable &log, const std::string &station = {},
                                std::optional<int> transmitter = {});

// Time order (date, then time, "hh:mm" and "hhmm" alike); QSOs of one minute by their
// position, then the order it logged them in.
void SortByTime(std::vector<StationQso> &qsos);

// Where the operator finds the QSO: "Row 12" of the own log, "QSO 7 of RUN2" (its number
// there) for another position's.
std::string QsoPlace(const StationQso &qso);
// The log to correct it in: "the log", or "the log of RUN2".
std::string QsoLogName(const StationQso &qso);
