#include "net/SharedLog.h"

#include <algorithm>
#include <tuple>

bool SharedLog::apply(const QsoEvent &event)
{
    std::uint64_t &highest = highestSeq_[event.station];
    highest = std::max(highest, event.seq);
    const auto [at, added] = qsos_.try_emplace(event.qso, event);
    if (!added) {
        if (event.seq <= at->second.seq)
            return false;
        index(at->second, -1);
        at->second = event;
    }
    at->second.row = -1;
    index(at->second, +1);
    return true;
}

const QsoEvent *SharedLog::find(const std::string &qso) const
{
    const auto at = qsos_.find(qso);
    return at == qsos_.end() ? nullptr : &at->second;
}

std::vector<QsoEvent> SharedLog::liveQsos() const
{
    std::vector<QsoEvent> live;
    live.reserve(static_cast<size_t>(liveCount_));
    for (const auto &[qso, event] : qsos_)
        if (event.op != QsoEvent::Op::Delete)
            live.push_back(event);
    // A QSO's number is the seq that added it: the order its station logged it in.
    auto number = [](const QsoEvent &e) { return std::stoull(e.qso.substr(e.qso.rfind('-') + 1)); };
    std::sort(live.begin(), live.end(), [&](const QsoEvent &a, const QsoEvent &b) {
        return std::make_tuple(std::cref(a.date), std::cref(a.time), std::cref(a.station), number(a))
               < std::make_tuple(std::cref(b.date), std::cref(b.time), std::cref(b.station), number(b));
    });
    return live;
}

std::string SharedLog::dupeStation(const std::string &call, const std::string &band, const std::string &mode,
                                   const std::string &exceptStation) const
{
    const auto at = dupes_.find(call + '\0' + band + '\0' + mode);
    if (at != dupes_.end())
        for (const std::string &station : at->second)
            if (station != exceptStation)
                return station;
    return {};
}

int SharedLog::liveCount(const std::string &station) const
{
    const auto at = liveByStation_.find(station);
    return at == liveByStation_.end() ? 0 : at->second;
}

std::uint64_t SharedLog::highestSeq(const std::string &station) const
{
    const auto at = highestSeq_.find(station);
    return at == highestSeq_.end() ? 0 : at->second;
}

std::string SharedLog::dupeKey(const QsoEvent &event)
{
    return event.call + '\0' + event.band + '\0' + event.mode;
}

void SharedLog::index(const QsoEvent &event, int delta)
{
    if (event.op == QsoEvent::Op::Delete)
        return;
    liveCount_ += delta;
    liveByStation_[event.station] += delta;
    const std::string key = dupeKey(event);
    std::vector<std::string> &stations = dupes_[key];
    if (delta > 0) {
        stations.push_back(event.station);
    } else {
        stations.erase(std::find(stations.begin(), stations.end(), event.station));
        if (stations.empty())
            dupes_.erase(key);
    }
}
