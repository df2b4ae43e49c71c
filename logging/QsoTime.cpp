#include "logging/QsoTime.h"

#include <string>

namespace {

// The value of count digits from pos; -1 when one of them is no digit.
int digits(std::string_view text, size_t pos, size_t count)
{
    int value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool isLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

} // namespace

std::optional<QsoDate> ReadQsoDate(std::string_view d)
{
    if (d.size() != 10 || d[4] != '-' || d[7] != '-')
        return std::nullopt;
    const int year = digits(d, 0, 4), month = digits(d, 5, 2), day = digits(d, 8, 2);
    static const int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 0 || month < 1 || month > 12 || day < 1
        || day > monthDays[month - 1] + (month == 2 && isLeap(year) ? 1 : 0))
        return std::nullopt;
    return QsoDate{year, month, day};
}

std::optional<QsoTime> ReadQsoTime(std::string_view t)
{
    if (t.size() != 4)
        return std::nullopt;
    const int hour = digits(t, 0, 2), minute = digits(t, 2, 2);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59)
        return std::nullopt;
    return QsoTime{hour, minute};
}

std::optional<QsoTime> ReadTimeCell(std::string_view cell)
{
    std::string hhmm;
    for (char c : cell)
        if (c != ':' && hhmm.size() <= 4)
            hhmm += c;
    return ReadQsoTime(hhmm);
}

long long MinutesSinceEpoch(const QsoDate &date, const QsoTime &time)
{
    // Days from civil: the proleptic Gregorian calendar counted in 400-year eras.
    const int y = date.year - (date.month <= 2);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long long days = era * 146097 + doe - 719468;
    return days * 1440 + time.hour * 60 + time.minute;
}
