#pragma once

#include "logging/LogTable.h"

#include <map>
#include <string>
#include <vector>

// The logger's log a practice session is scored on: the one named, else the newest *.log
// in the program folder (the one the operator is logging into), and only the QSOs it
// gained since the session started.
class PracticeLog {
public:
    PracticeLog(std::string folder, std::string named);

    // Empty when there is none yet.
    std::string path() const;
    std::vector<QsoRow> sessionRows() const;

private:
    std::string folder_, named_;
    std::map<std::string, size_t> before_;  // QSOs each log held when the session started
};

// Beside the log: S59ABC.log gives S59ABC.practice.txt.
std::string ScoreFilePath(const std::string &logPath);
