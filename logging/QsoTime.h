#pragma once

#include <optional>
#include <string_view>

// A QSO's day and minute as the log writes them. Every reader of the log, the exports
// and the log check read them here, so a date one of them takes the others take too.
struct QsoDate {
    int year, month, day;
};
struct QsoTime {
    int hour, minute;
};

// "yyyy-mm-dd" naming a day the calendar has: 29 February in leap years only.
std::optional<QsoDate> ReadQsoDate(std::string_view text);
// "hhmm", the log line's form: 0000 to 2359.
std::optional<QsoTime> ReadQsoTime(std::string_view text);
// A time cell: "hh:mm" as loaded, "hhmm" as committed, a colon anywhere after a grid
// edit; the colons count for nothing, as every writer drops them.
std::optional<QsoTime> ReadTimeCell(std::string_view cell);
// Minutes since 1970-01-01 00:00, to compare QSOs across days.
long long MinutesSinceEpoch(const QsoDate &date, const QsoTime &time);
