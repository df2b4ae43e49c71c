#pragma once

#include "logging/Clock.h"

#include <QTemporaryDir>

#include <string>

// A clock the test sets by hand.
class FixedClock : public Clock {
public:
    UtcStamp now{2013, 4, 14, 7, 12, 30};
    std::string local = "2013-04-14";

    UtcStamp utcNow() const override { return now; }
    std::string localDate() const override { return local; }
};

// A temporary folder that stays on disk when the test fails, for a look afterwards.
class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    std::string path() const;                      // with a trailing '/'
    std::string file(const std::string &name) const;

private:
    QTemporaryDir dir_;
};

std::string readFileBytes(const std::string &path);
void writeFileBytes(const std::string &path, const std::string &bytes);
