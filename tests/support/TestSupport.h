#pragma once

#include "FixedClock.h"

#include <QTemporaryDir>

#include <string>

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
