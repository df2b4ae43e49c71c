#include "logging/LogFile.h"

#include "logging/Bands.h"
#include "logging/DurableFile.h"
#include "logging/QsoTime.h"
#include "logging/ScreenText.h"

#include <QFile>

#include <algorithm>
#include <filesystem>

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

// What the entry line lets through into a call.
bool isCall(std::string_view call)
{
    return !call.empty() && std::all_of(call.begin(), call.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '/';
    });
}

bool isBand(std::string_view band)
{
    return FindBand(band) != nullptr;
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
        return ReadTimeCell(text).has_value();
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
    if (!ReadQsoDate(left[0]) || !ReadQsoTime(time) || !isCall(left[2]) || !isBand(band) || !isMode(mode))
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
    // A log is made by its first QSO: an empty one named after a call not yet set up would stay behind.
    if (!fileExists(path)) {
        std::error_code ec;
        if (std::filesystem::exists(path, ec))
            throw FileError("Cannot open " + path + ": it is not a file. Rename or move it, then start again; "
                            "until then no QSO can be logged.");
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
    try {
        appendDurably(path, line);
    } catch (const FileError &e) {
        throw FileError(std::string("The QSO is not logged; it is still in the entry line.\n\n") + e.what()
                        + "\n\nFree space on the disk, or make the log file and its folder writable, "
                          "then press Enter again.");
    }
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
