#pragma once

#include "aids/CallHistory.h"

#include <optional>
#include <string>
#include <string_view>

class LogTable;
struct ContestState;

// CALLHISTORY.txt in the program's folder (ending with '/').
std::string CallHistoryPath(const std::string &folder);

// The entry line with the history's exchange put in as its exchange: only when the line
// holds a call and no exchange yet, and the history has one. None leaves the line as it is.
std::optional<std::string> WithHistoryExchange(std::string_view entry, std::string_view exchange);

// The history with every logged call's received exchange as Exch1, the last QSO of a call
// deciding; the other columns and calls are kept as they were.
CallHistory WithLoggedExchanges(CallHistory history, const ContestState &state, const LogTable &log);

// Writes CALLHISTORY.txt from the log over the one there, keeping what it held besides;
// returns the history as written. Throws std::runtime_error in the operator's words when
// the file cannot be written; the old file is then as it was.
CallHistory SaveCallHistory(const ContestState &state, const LogTable &log, const std::string &folder);
