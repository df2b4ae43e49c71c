#pragma once

#include "logging/LogTable.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The file name a call gives, without extension: a "/" (portable calls) becomes
// "_", so a call never leads a file into another folder.
std::string CallFileName(const std::string &call);
// The own call as it goes on the air and into the exports: a call sign has no "_", so the
// "_" that the settings and file names keep for a "/" is a "/" again.
std::string OnAirCall(std::string call);

// Whether a grid cell's text can be written into a log line and read back: the time is
// four digits hhmm (a colon may stand between), the call letters, digits and "/", band
// and mode from their lists.
bool FitsQsoLine(int column, const std::string &text);

// One line of the log file: date, hhmm, call, exchange, band, mode, single blanks
// between. The serial number is the line's position, so it is not written.
std::string FormatQsoLine(const QsoRow &row, const std::string &fallbackDate);

// Reads a line back. Date, time and call are cut from the left, band and mode
// from the right, so an exchange holding blanks reads back as written.
// Only a well-formed line gives a row: a real date, a valid hhmm time, a call, a known band
// and mode, at most 1,000 characters. Anything else is damage the operator must see.
std::optional<QsoRow> ParseQsoLine(std::string_view line);

// "3, 7, 12 and 2997 more": the first few of many line numbers, for a message that fits the screen.
std::string LineNumbersSummary(const std::vector<int> &lines, size_t shown = 10);

// Beside the log: the lines a start could not read, kept there before a rewrite drops them.
std::string RejectedLinesPath(const std::string &logPath);

struct LogLoad {
    std::vector<QsoRow> rows;       // numbered 1.. in file order
    std::vector<int> skippedLines;  // 1-based line numbers of malformed lines
    std::string rejected;           // those lines as "number: text", CR LF after each
};

// Counts the lines that are not empty; a missing file counts 0 and is not created.
int CountLogFile(const std::string &path);
LogLoad LoadLogFile(const std::string &path);
// Appends one QSO and returns only when it is on the disk; creates a missing file.
// Throws FileError, leaving the file as it was, when the line would not read back.
void AppendLogLine(const std::string &path, const QsoRow &row, const std::string &fallbackDate);
// Rows 0..count-1 as the log file's text.
std::string LogFileText(const LogTable &table, int count, const std::string &fallbackDate);
// Replaces the log with the table's rows; the previous content stays as path + ".bak".
void RewriteLogFile(const std::string &path, const LogTable &table, int count, const std::string &fallbackDate);
