#pragma once

#include <string>
#include <string_view>
#include <vector>

class LogTable;
struct ContestState;

// One thing a contest's log checker would hold against a QSO.
struct LogFinding {
    enum Kind { Duplicate, NotACall, NoExchange, NotANumber, TimeBackwards, LongGap };
    Kind kind;
    int row;           // 0-based row of the QSO in the log table
    std::string text;  // 8-bit, names the QSO by its number and call
};

// Checks the first QsoCount rows, in log order; findings of one QSO stay together.
// Received serials are checked as numbers only when "Number" is ticked.
std::vector<LogFinding> CheckLog(const ContestState &state, const LogTable &log);

// Whether a call has the form of an amateur call sign: a prefix holding a letter and
// ending in a digit, then letters (S59ABC, 9A2AA, 2E0XYZ); a country prefix may stand
// before it (DL/S59ABC) and /P, /M, /MM, /AM, /A, /QRP or a call-area digit after it.
bool IsAmateurCall(std::string_view call);
