#pragma once

#include "logging/Clock.h"

#include <string>

// A clock the test sets by hand: 07:12:30 UTC on 2013-04-14 unless told otherwise.
class FixedClock : public Clock {
public:
    UtcStamp now{2013, 4, 14, 7, 12, 30};
    std::string local = "2013-04-14";

    UtcStamp utcNow() const override { return now; }
    std::string localDate() const override { return local; }
};
