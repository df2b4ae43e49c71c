#include "aids/Rate.h"

#include "logging/Bands.h"
#include "logging/Clock.h"
#include "logging/ContestState.h"
#include "logging/LogTable.h"
#include "logging/QsoTime.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <unordered_set>

namespace {

// Bands from the longest wave down, as a contest's summary sheet lists them.
int bandOrder(const std::string &band)
{
    const int index = BandIndex(band);
    return index < 0 ? static_cast<int>(ContestBands.size()) : index;
}

std::optional<double> rateOver(const std::vector<UtcMinute> &times, size_t count)
{
    if (times.size() < 2)
        return std::nullopt;
    count = std::min(count, times.size());
    const auto first = times.end() - long(count);
    const auto [low, high] = std::minmax_element(first, times.end());
    if (*high == *low)
        return std::nullopt;
    return 60.0 * double(count) / double(*high - *low);
}

} // namespace

int HourBar::total() const
{
    int sum = 0;
    for (const auto &band : bands)
        sum += band.second;
    return sum;
}

std::optional<UtcMinute> QsoMinute(const std::string &date, const std::string &time)
{
    const std::optional<QsoDate> day = ReadQsoDate(date);
    const std::optional<QsoTime> minute = ReadTimeCell(time);
    if (!day || !minute)
        return std::nullopt;
    return MinutesSinceEpoch(*day, *minute);
}

UtcMinute StampMinute(const UtcStamp &s)
{
    return MinutesSinceEpoch(QsoDate{s.year, s.month, s.day}, QsoTime{s.hour, s.minute});
}

std::string MinuteText(UtcMinute minute)
{
    using namespace std::chrono;
    const year_month_day ymd{sys_days{days{minute / 1440}}};
    const int inDay = int(minute % 1440);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d", int(ymd.year()), unsigned(ymd.month()),
                  unsigned(ymd.day()), inDay / 60, inDay % 60);
    return text;
}

namespace {

// The figures of rows QSOs, rowAt(i) the i-th in log order.
template <typename RowAt>
RateFigures computeRate(const ContestState &state, int rows, RowAt rowAt, const UtcStamp &now)
{
    RateFigures r;
    std::vector<UtcMinute> times;  // in log order
    std::vector<std::pair<UtcMinute, std::string>> banded;
    std::vector<BandModeCount> &counts = r.byBandMode;  // a dozen at most: a look along them is quickest
    std::unordered_set<std::string> worked;
    worked.reserve(size_t(rows));
    times.reserve(size_t(rows));
    std::string key;
    for (int i = 0; i < rows; ++i) {
        const QsoRow &row = rowAt(i);
        auto count = std::find_if(counts.begin(), counts.end(),
                                  [&](const BandModeCount &c) { return c.band == row.Band && c.mode == row.Mode; });
        if (count == counts.end())
            count = counts.insert(counts.end(), BandModeCount{row.Band, row.Mode});
        ++count->qsos;
        key.assign(row.Call).append("\x1f").append(row.Band).append("\x1f").append(row.Mode);
        if (!worked.insert(key).second)
            ++count->dupes;
        const auto at = QsoMinute(row.Date.empty() ? state.LogDate : row.Date, row.Time);
        if (!at) {
            ++r.unreadable;
            continue;
        }
        times.push_back(*at);
        banded.emplace_back(*at, row.Band);
    }
    std::stable_sort(counts.begin(), counts.end(), [](const BandModeCount &a, const BandModeCount &b) {
        return bandOrder(a.band) != bandOrder(b.band) ? bandOrder(a.band) < bandOrder(b.band) : a.mode < b.mode;
    });

    r.last10 = rateOver(times, 10);
    r.last100 = rateOver(times, 100);
    const UtcMinute nowMinute = StampMinute(now);
    const UtcMinute topOfHour = nowMinute - now.minute;
    for (UtcMinute t : times) {
        r.lastHour += t > nowMinute - 60 && t <= nowMinute;
        r.sinceTopOfHour += t >= topOfHour && t <= nowMinute;
    }

    std::stable_sort(banded.begin(), banded.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (size_t i = 1; i < banded.size(); ++i)
        if (banded[i].first - banded[i - 1].first >= OffTimeMinutes)
            r.offTimes.push_back(OffTime{banded[i - 1].first, banded[i].first});
    if (banded.empty())
        return r;
    const UtcMinute lastHourStart = banded.back().first / 60 * 60;
    const UtcMinute firstHourStart =
        std::max(banded.front().first / 60 * 60, lastHourStart - UtcMinute(MaxHourBars - 1) * 60);
    r.hours.resize(size_t((lastHourStart - firstHourStart) / 60 + 1));
    for (size_t i = 0; i < r.hours.size(); ++i)
        r.hours[i].hour = firstHourStart + UtcMinute(i) * 60;
    for (const auto &[at, band] : banded) {
        if (at < firstHourStart)
            continue;
        auto &bands = r.hours[size_t((at - firstHourStart) / 60)].bands;
        auto known = std::find_if(bands.begin(), bands.end(), [&](const auto &b) { return b.first == band; });
        if (known == bands.end())
            bands.emplace_back(band, 1);
        else
            ++known->second;
    }
    // One band stands at the same height in every bar.
    for (HourBar &bar : r.hours)
        std::stable_sort(bar.bands.begin(), bar.bands.end(),
                         [](const auto &a, const auto &b) { return bandOrder(a.first) < bandOrder(b.first); });
    return r;
}

} // namespace

RateFigures ComputeRate(const ContestState &state, const LogTable &log, const UtcStamp &now)
{
    return computeRate(state, std::clamp(state.QsoCount, 0, log.rowCount()), [&](int i) -> const QsoRow & {
        return log.row(i);
    }, now);
}

RateFigures ComputeRate(const ContestState &state, const std::vector<StationQso> &qsos, const UtcStamp &now)
{
    return computeRate(state, static_cast<int>(qsos.size()), [&](int i) -> const QsoRow & {
        return qsos[static_cast<size_t>(i)].row;
    }, now);
}
