#pragma once

#include <string>

// A moment in UTC, broken down as the log needs it.
struct UtcStamp {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;

    std::string date() const;     // "yyyy-mm-dd"
    std::string hhmm() const;     // "hh:mm"
    std::string seconds() const;  // "ss"
};

// Where the program reads the time, so tests can set it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual UtcStamp utcNow() const = 0;
    virtual std::string localDate() const = 0;  // "yyyy-mm-dd"
};

// The machine's clock and time zone.
class SystemClock : public Clock {
public:
    UtcStamp utcNow() const override;
    std::string localDate() const override;
};
