#include "net/WholeStation.h"

#include "net/SharedLog.h"

#include <charconv>

std::vector<StationQso> WholeStationQsos(const ContestState &state, const LogTable &own, const SharedLog &shared,
                                         const std::string &ownStation, int ownTransmitter)
{
    std::vector<StationQso> qsos = OwnQsos(state, own, ownStation, ownTransmitter);
    qsos.reserve(qsos.size() + static_cast<size_t>(shared.liveCount()));
    shared.forEachLive([&](const QsoEvent &e) {
        if (e.station == ownStation)
            return;
        StationQso &q = qsos.emplace_back();
        q.row = QsoRow{e.time, e.call, e.exchange, e.number, e.band, e.mode, e.date};
        q.station = e.station;
        q.transmitter = e.transmitter;
        // The seq that added it: the order its position logged it in.
        const size_t dash = e.qso.rfind('-') + 1;
        std::from_chars(e.qso.data() + dash, e.qso.data() + e.qso.size(), q.order);
    });
    SortByTime(qsos);
    return qsos;
}
