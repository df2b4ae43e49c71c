#include "logging/StationQso.h"

#include "logging/ContestState.h"

#include <algorithm>
#include <string_view>
#include <tuple>

std::vector<StationQso> OwnQsos(const ContestState &state, const LogTable &log, const std::string &station,
                                std::optional<int> transmitter)
{
    const int count = std::clamp(state.QsoCount, 0, log.rowCount());
    std::vector<StationQso> qsos(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        StationQso &q = qsos[static_cast<size_t>(i)];
        q.row = log.row(i);
        q.row.Number = std::to_string(i + 1);
        if (q.row.Date.empty())
            q.row.Date = state.LogDate;
        q.station = station;
        q.transmitter = transmitter;
        q.ownRow = i;
        q.order = static_cast<std::uint64_t>(i);
    }
    return qsos;
}

void SortByTime(std::vector<StationQso> &qsos)
{
    // Each QSO's key made once: a whole station's log is tens of thousands of QSOs, sorted
    // again after every change while a window shows it.
    struct Key {
        std::string_view date;
        int minute;  // hhmm as a number: "hh:mm" and "hhmm" alike
        std::string_view station;
        std::uint64_t order;
        size_t index;
        bool operator<(const Key &o) const
        {
            return std::tie(date, minute, station, order) < std::tie(o.date, o.minute, o.station, o.order);
        }
    };
    std::vector<Key> keys;
    keys.reserve(qsos.size());
    for (size_t i = 0; i < qsos.size(); ++i) {
        int minute = 0;
        for (char c : qsos[i].row.Time)
            if (c >= '0' && c <= '9')
                minute = std::min(minute * 10 + (c - '0'), 100000);
        keys.push_back({qsos[i].row.Date, minute, qsos[i].station, qsos[i].order, i});
    }
    std::stable_sort(keys.begin(), keys.end());
    std::vector<StationQso> sorted;
    sorted.reserve(qsos.size());
    for (const Key &key : keys)
        sorted.push_back(std::move(qsos[key.index]));
    qsos = std::move(sorted);
}

std::string QsoPlace(const StationQso &qso)
{
    if (qso.own())
        return "Row " + std::to_string(qso.ownRow + 1);
    return "QSO " + qso.row.Number + " of " + qso.station;
}

std::string QsoLogName(const StationQso &qso)
{
    return qso.own() ? "the log" : "the log of " + qso.station;
}
