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

// Lines end in CR LF, LF or a bare CR (an old editor's), alike.
template <typename Fn>
void forEachLine(std::string_view text, Fn fn)
{
    int number = 0;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        fn(++number, text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
}

// No QSO comes near this; a longer line is damage, and would slow every key as a row.
constexpr size_t MaxQsoLineLength = 1000;

bool isDigits(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int number(std::string_view digits)
{
    int value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

bool isDate(std::string_view d)
{
    if (d.size() != 10 || d[4] != '-' || d[7] != '-' || !isDigits(d.substr(0, 4)) || !isDigits(d.substr(5, 2))
        || !isDigits(d.substr(8, 2)))
        return false;
    static const int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int year = number(d.substr(0, 4)), month = number(d.substr(5, 2)), day = number(d.substr(8, 2));
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month >= 1 && month <= 12 && day >= 1 && day <= monthDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool isTime(std::string_view t)
{
    return t.size() == 4 && isDigits(t) && number(t.substr(0, 2)) < 24 && number(t.substr(2)) < 60;
}

// What the entry line lets through into a call.
bool isCall(std::string_view call)
{
    return !call.empty() && std::all_of(call.begin(), call.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '/';
    });
}

bool isBand(std::string_view band)
{
    for (const char *known : {"160", "80", "40", "20", "15", "10"})
        if (band == known)
            return true;
    return false;
}

bool isMode(std::string_view mode)
{
    return mode == "CW" || mode == "SSB";
}

} // namespace

std::string CallFileName(const std::string &call)
{
    std::string name = call;
    std::replace(name.begin(), name.end(), '/', '_');
    return QFile::encodeName(toScreen(name)).toStdString();
}

std::string OnAirCall(std::string call)
{
    std::replace(call.begin(), call.end(), '_', '/');
    return call;
}

bool FitsQsoLine(int column, const std::string &text)
{
    switch (column) {
    case LogTable::ColTime:
        return isTime(withoutColons(text));
    case LogTable::ColCall:
        return isCall(text);
    case LogTable::ColBand:
        return isBand(text);
    case LogTable::ColMode:
        return isMode(text);
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
    if (line.size() > MaxQsoLineLength)
        return std::nullopt;
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
    const std::string_view band = rest.substr(bandBlank + 1, lastBlank - bandBlank - 1);
    const std::string_view mode = rest.substr(lastBlank + 1);
    if (!isDate(left[0]) || !isTime(time) || !isCall(left[2]) || !isBand(band) || !isMode(mode))
        return std::nullopt;

    QsoRow row;
    row.Date = std::string(left[0]);
    row.Time = std::string(time.substr(0, 2)) + ":" + std::string(time.substr(2, 2));
    row.Call = std::string(left[2]);
    row.Exchange = std::string(rest.substr(0, bandBlank));
    row.Band = std::string(band);
    row.Mode = std::string(mode);
    return row;
}

std::string LineNumbersSummary(const std::vector<int> &lines, size_t shown)
{
    std::string text;
    for (size_t i = 0; i < lines.size() && i < shown; ++i)
        text += (i ? ", " : "") + std::to_string(lines[i]);
    if (lines.size() > shown)
        text += " and " + std::to_string(lines.size() - shown) + " more";
    return text;
}

std::string RejectedLinesPath(const std::string &logPath)
{
    return logPath + ".rejected";
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
            load.rejected.append(std::to_string(number)).append(": ").append(line).append("\r\n");
            return;
        }
        row->Number = std::to_string(load.rows.size() + 1);
        load.rows.push_back(std::move(*row));
    });
    return load;
}

void AppendLogLine(const std::string &path, const QsoRow &row, const std::string &fallbackDate)
{
    const std::string line = FormatQsoLine(row, fallbackDate);
    const std::string_view text(line.data(), line.size() - 2);
    // Caught now, while the operator can mend it; at the next start the QSO would be skipped.
    if (!ParseQsoLine(text))
        throw FileError("The QSO is not logged: its line \"" + std::string(text.substr(0, 100))
                        + "\" would not read back. Choose a band and a mode in Setup, check the call, keep the "
                          "line under 1,000 characters, then log it again.");
    appendDurably(path, line);
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
