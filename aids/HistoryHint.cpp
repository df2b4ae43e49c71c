#include "aids/HistoryHint.h"

#include "aids/AidFile.h"
#include "logging/ContestState.h"
#include "logging/FileWrite.h"
#include "logging/LogTable.h"

#include <algorithm>
#include <stdexcept>

std::string CallHistoryPath(const std::string &folder)
{
    return folder + "CALLHISTORY.txt";
}

std::optional<std::string> WithHistoryExchange(std::string_view entry, std::string_view exchange)
{
    const size_t blank = entry.find(' ');
    const std::string_view call = entry.substr(0, blank);
    const std::string_view rest = blank == std::string_view::npos ? std::string_view() : entry.substr(blank);
    if (call.empty() || exchange.empty() || !TrimBlanks(rest).empty())
        return std::nullopt;
    return std::string(call) + " " + std::string(exchange);
}

CallHistory WithLoggedExchanges(CallHistory history, const ContestState &state, const LogTable &log)
{
    const int rows = std::min(state.QsoCount, log.rowCount());
    for (int i = 0; i < rows; ++i) {
        const QsoRow &row = log.row(i);
        if (!row.Call.empty())
            history.set(row.Call, "Exch1", std::string(TrimBlanks(row.Exchange)));
    }
    return history;
}

CallHistory SaveCallHistory(const ContestState &state, const LogTable &log, const std::string &folder)
{
    const std::string path = ExistingFileName(CallHistoryPath(folder));
    CallHistory kept = CallHistory::load(path).value_or(CallHistory());
    CallHistory history = WithLoggedExchanges(std::move(kept), state, log);
    if (const FileWriteResult done = ReplaceFileWhole(path, history.text(), {true, 1}); !done)
        throw std::runtime_error("The call history could not be written to " + path + " (" + done.reason +
                                 "). The file there is as it was; free some room or make the folder writable "
                                 "and save again.");
    return history;
}
