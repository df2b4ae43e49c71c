#pragma once

#include "logging/StationQso.h"

#include <string>
#include <vector>

class LogTable;
class SharedLog;
struct ContestState;

// A networked station's whole log in time order: the own log's rows as they stand (the
// record of the own QSOs, errors and all) and every other position's QSOs as the latest
// events of the shared log leave them. Own events in the shared log are left out: the own
// log holds them.
std::vector<StationQso> WholeStationQsos(const ContestState &state, const LogTable &own, const SharedLog &shared,
                                         const std::string &ownStation, int ownTransmitter);
