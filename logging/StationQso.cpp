#include "logging/StationQso.h"

#include "logging/ContestState.h"

#include <algorithm>
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
    // "hh:mm" and "hhmm" compare alike once the colon is gone.
    auto minute = [](const std::string &time) {
        std::string digits;
        for (char c : time)
            if (c != ':')
                digits += c;
        return digits;
    };
    std::stable_sort(qsos.begin(), qsos.end(), [&](const StationQso &a, const StationQso &b) {
        if (a.row.Date != b.row.Date)
            return a.row.Date < b.row.Date;
        const std::string ta = minute(a.row.Time), tb = minute(b.row.Time);
        return std::tie(ta, a.station, a.order) < std::tie(tb, b.station, b.order);
    });
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
