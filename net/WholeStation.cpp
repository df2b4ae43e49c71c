#include "net/WholeStation.h"

#include "net/SharedLog.h"

std::vector<StationQso> WholeStationQsos(const ContestState &state, const LogTable &own, const SharedLog &shared,
                                         const std::string &ownStation, int ownTransmitter)
{
    std::vector<StationQso> qsos = OwnQsos(state, own, ownStation, ownTransmitter);
    for (const QsoEvent &e : shared.liveQsos()) {
        if (e.station == ownStation)
            continue;
        StationQso &q = qsos.emplace_back();
        q.row = QsoRow{e.time, e.call, e.exchange, e.number, e.band, e.mode, e.date};
        q.station = e.station;
        q.transmitter = e.transmitter;
        // The seq that added it: the order its position logged it in.
        q.order = std::stoull(e.qso.substr(e.qso.rfind('-') + 1));
    }
    SortByTime(qsos);
    return qsos;
}
