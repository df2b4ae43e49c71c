#include "logging/LogFile.h"

#include "logging/DurableFile.h"
#include "logging/ScreenText.h"

#include <QFile>

#include <algorithm>

namespace {

std::string withoutColons(std::string time)
{
    time.erase(std::remove(time.begin(), time.end(), ':'), time.end());
    return time;
}

void appendLine(std::string &out, const QsoRow &row, const std::string &fallbackDate)
{
    out += row.Date.empty() ? fallbackDate : row.Date;
    out += ' ';
    out += withoutColons(row.Time);
    out += ' ';
    out += row.Call;
    out += ' ';
    out += row.Exchange;
    out += ' ';
    out += row.Band;
    out += ' ';
    out += row.Mode;
    out += "\r\n";
}

template <typename Fn>
void forEachLine(std::string_view text, Fn fn)
{
    int number = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        fn(++number, line);
    }
}

} // namespace

std::string CallFileName(const std::string &call)
{
    std::string name = call;
    std::replace(name.begin(), name.end(), '/', '_');
    return QFile::encodeName(toScreen(name)).toStdString();
}

bool FitsQsoLine(int column, const std::string &text)
{
    switch (column) {
    case LogTable::ColTime: {
        const std::string digits = withoutColons(text);
        return digits.size() == 4 && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    }
    case LogTable::ColCall:
    case LogTable::ColBand:
    case LogTable::ColMode:
        return text.find(' ') == std::string::npos;
    default:
        return true;
    }
}

std::string FormatQsoLine(const QsoRow &row, const std::string &fallbackDate)
{
    std::string line;
    appendLine(line, row, fallbackDate);
    return line;
}

std::optional<QsoRow> ParseQsoLine(std::string_view line)
{
    // Three cuts from the left...
    std::string_view left[3];
    std::string_view rest = line;
    for (auto &field : left) {
        const size_t blank = rest.find(' ');
        if (blank == std::string_view::npos)
            return std::nullopt;
        field = rest.substr(0, blank);
        rest.remove_prefix(blank + 1);
    }
    // ...and two from the right; what lies between is the exchange.
    const size_t lastBlank = rest.rfind(' ');
    if (lastBlank == std::string_view::npos || lastBlank == 0)
        return std::nullopt;
    const size_t bandBlank = rest.rfind(' ', lastBlank - 1);
    if (bandBlank == std::string_view::npos)
        return std::nullopt;
    const std::string_view time = left[1];
    if (time.size() < 4)
        return std::nullopt;

    QsoRow row;
    row.Date = std::string(left[0]);
    row.Time = std::string(time.substr(0, 2)) + ":" + std::string(time.substr(2, 2));
    row.Call = std::string(left[2]);
    row.Exchange = std::string(rest.substr(0, bandBlank));
    row.Band = std::string(rest.substr(bandBlank + 1, lastBlank - bandBlank - 1));
    row.Mode = std::string(rest.substr(lastBlank + 1));
    return row;
}

int CountLogFile(const std::string &path)
{
    if (!fileExists(path)) {
        createIfMissing(path);
        return 0;
    }
    int count = 0;
    forEachLine(readWholeFile(path), [&](int, std::string_view line) {
        if (!line.empty())
            ++count;
    });
    return count;
}

LogLoad LoadLogFile(const std::string &path)
{
    const std::string text = readWholeFile(path);
    LogLoad load;
    load.rows.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    forEachLine(text, [&](int number, std::string_view line) {
        if (line.empty())
            return;
        auto row = ParseQsoLine(line);
        if (!row) {
            load.skippedLines.push_back(number);
            return;
        }
        row->Number = std::to_string(load.rows.size() + 1);
        load.rows.push_back(std::move(*row));
    });
    return load;
}

void AppendLogLine(const std::string &path, const QsoRow &row, const std::string &fallbackDate)
{
    appendDurably(path, FormatQsoLine(row, fallbackDate));
}

std::string LogFileText(const LogTable &table, int count, const std::string &fallbackDate)
{
    std::string text;
    count = std::min(count, table.rowCount());
    text.reserve(static_cast<size_t>(count) * 40);
    for (int i = 0; i < count; ++i)
        appendLine(text, table.row(i), fallbackDate);
    return text;
}

void RewriteLogFile(const std::string &path, const LogTable &table, int count, const std::string &fallbackDate)
{
    replaceDurably(path, LogFileText(table, count, fallbackDate), path + ".bak");
}
