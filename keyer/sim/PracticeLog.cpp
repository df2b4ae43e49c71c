#include "keyer/sim/PracticeLog.h"

#include "logging/LogFile.h"

#include <filesystem>

namespace {

std::vector<QsoRow> rowsOf(const std::string &path)
{
    try {
        return LoadLogFile(path).rows;
    } catch (const std::exception &) {
        return {};  // not there yet, or unreadable: nothing logged
    }
}

std::vector<std::string> logsIn(const std::string &folder)
{
    std::vector<std::string> logs;
    std::error_code ec;
    for (const auto &entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.is_regular_file(ec) && entry.path().extension() == ".log")
            logs.push_back(entry.path().string());
    return logs;
}

} // namespace

PracticeLog::PracticeLog(std::string folder, std::string named) : folder_(std::move(folder)), named_(std::move(named))
{
    for (const std::string &log : named_.empty() ? logsIn(folder_) : std::vector<std::string>{named_})
        before_[log] = rowsOf(log).size();
}

std::string PracticeLog::path() const
{
    if (!named_.empty())
        return named_;
    std::string newest;
    std::filesystem::file_time_type newestTime{};
    std::error_code ec;
    for (const std::string &log : logsIn(folder_)) {
        const auto time = std::filesystem::last_write_time(log, ec);
        if (!ec && (newest.empty() || time > newestTime)) {
            newest = log;
            newestTime = time;
        }
    }
    return newest;
}

std::vector<QsoRow> PracticeLog::sessionRows() const
{
    const std::string log = path();
    std::vector<QsoRow> rows = log.empty() ? std::vector<QsoRow>{} : rowsOf(log);
    const auto at = before_.find(log);
    const size_t skip = at == before_.end() ? 0 : std::min(at->second, rows.size());
    rows.erase(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(skip));
    return rows;
}

std::string ScoreFilePath(const std::string &logPath)
{
    std::string base = logPath;
    if (base.size() > 4 && base.compare(base.size() - 4, 4, ".log") == 0)
        base.resize(base.size() - 4);
    return base + ".practice.txt";
}
