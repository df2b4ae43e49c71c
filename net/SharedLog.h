#pragma once

#include "net/QsoEvent.h"

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

// The whole station's log as the events of every station make it. Each QSO is what the
// latest event (highest seq) of the station that logged it says, and a delete stays as a
// mark, so the same events in any order, any of them any number of times, give the same log.
class SharedLog {
public:
    // True when the event changed the log; an event already known or older than what the
    // log has for its QSO changes nothing.
    bool apply(const QsoEvent &event);

    // The QSO's latest event, a delete included; nullptr for a QSO never heard of.
    const QsoEvent *find(const std::string &qso) const;
    // The QSOs not deleted, in time order (date, time, then station and the order it logged them).
    std::vector<QsoEvent> liveQsos() const;
    // Each QSO not deleted, in no order: for a reader that orders them itself.
    template <typename Visit>
    void forEachLive(Visit visit) const
    {
        for (const auto &[qso, event] : qsos_)
            if (event.op != QsoEvent::Op::Delete)
                visit(event);
    }
    int liveCount() const { return liveCount_; }
    int liveCount(const std::string &station) const;
    // The station of a QSO not deleted with this call, band and mode (exact text) logged
    // by any station but exceptStation; empty when there is none.
    std::string dupeStation(const std::string &call, const std::string &band, const std::string &mode,
                            const std::string &exceptStation) const;
    // The highest seq heard from the station, 0 for none.
    std::uint64_t highestSeq(const std::string &station) const;

private:
    static std::string dupeKey(const QsoEvent &event);
    void index(const QsoEvent &event, int delta);

    std::map<std::string, QsoEvent> qsos_;
    std::unordered_map<std::string, std::uint64_t> highestSeq_;
    // For each (call, band, mode): the stations of its live QSOs, one entry per QSO.
    std::unordered_map<std::string, std::vector<std::string>> dupes_;
    int liveCount_ = 0;
    std::unordered_map<std::string, int> liveByStation_;
};
