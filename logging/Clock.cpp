#include "logging/Clock.h"

#include <QDate>
#include <QDateTime>

#include <cstdio>

std::string UtcStamp::date() const
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
    return buf;
}

std::string UtcStamp::hhmm() const
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d:%02d", hour, minute);
    return buf;
}

std::string UtcStamp::seconds() const
{
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02d", second);
    return buf;
}

UtcStamp SystemClock::utcNow() const
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDate d = now.date();
    const QTime t = now.time();
    return UtcStamp{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

std::string SystemClock::localDate() const
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")).toStdString();
}
