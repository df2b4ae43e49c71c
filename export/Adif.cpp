#include "export/Adif.h"

#include "logging/Bands.h"
#include "logging/ContestState.h"
#include "logging/FileWrite.h"
#include "logging/LogFile.h"
#include "logging/LogTable.h"
#include "logging/QsoTime.h"
#include "logging/ScreenText.h"
#include "logging/Version.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <string_view>

namespace {

const char *reportOf(const std::string &mode)
{
    if (mode == "CW") return "599";
    if (mode == "SSB") return "59";
    return nullptr;
}

// An exchange ADIF may also carry as an Integer field.
bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// ADI strings are printable ASCII; anything else would be read as some other letter
// by each service, so it is left out. Returns whether something was.
bool keepAscii(std::string_view text, std::string &out)
{
    out.clear();
    for (char c : text)
        if (c >= 0x20 && c <= 0x7E)
            out += c;
    return out.size() != text.size();
}

// Data-specifiers count bytes, which for ASCII are the characters.
void appendField(std::string &out, std::string_view name, std::string_view value, std::string_view after = " ")
{
    if (value.empty())
        return;
    out += '<';
    out += name;
    out += ':';
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value.size()).ptr;
    out.append(digits, end);
    out += '>';
    out += value;
    out += after;
}

// "yyyy-mm-dd" to "YYYYMMDD" in out; false when the cell holds no date.
bool adifDate(std::string_view date, std::string &out)
{
    if (!ReadQsoDate(date))
        return false;
    out.assign(date.substr(0, 4)).append(date.substr(5, 2)).append(date.substr(8, 2));
    return true;
}

// "hh:mm" or "hhmm" to "HHMM" in out; false when the cell holds no time of day.
bool adifTime(std::string_view time, std::string &out)
{
    if (!ReadTimeCell(time))
        return false;
    out.clear();
    for (char c : time)
        if (c != ':')
            out += c;
    return true;
}

std::string twoDigits(int value)
{
    return std::string(1, char('0' + value / 10 % 10)) + char('0' + value % 10);
}

std::string timestamp(const UtcStamp &t)
{
    return std::to_string(t.year) + twoDigits(t.month) + twoDigits(t.day) + ' ' + twoDigits(t.hour)
           + twoDigits(t.minute) + twoDigits(t.second);
}

[[noreturn]] void refuseRow(const StationQso &qso, const char *cell, const std::string &text, const std::string &expected)
{
    throw AdifError(QsoPlace(qso) + ", " + cell + " cell: \"" + text + "\" is not " + expected + ". Correct it in "
                    + QsoLogName(qso) + "; nothing was exported.");
}

// The number as ADIF's Integer fields take it: without leading zeros; empty for none.
std::string_view integerText(std::string_view digits)
{
    if (!allDigits(digits))
        return {};
    return digits.substr(std::min(digits.find_first_not_of('0'), digits.size() - 1));
}

// The text after an export: the QSOs that lost characters, each named by label(index).
template <typename Label>
std::string report(const AdifExport &result, Label label)
{
    std::string text = "Wrote " + std::to_string(result.qsos) + (result.qsos == 1 ? " QSO" : " QSOs") + " to \""
                       + pathForMessage(result.path) + "\".";
    const auto &rows = result.rowsLosingCharacters;
    if (!rows.empty() || result.ownFieldsLosingCharacters) {
        text += "\n\nADIF takes ASCII only; characters outside it were left out of ";
        if (result.ownFieldsLosingCharacters)
            text += rows.empty() ? "the own call, exchange or contest name" : "the own call, exchange or contest name and ";
        const size_t shown = std::min<size_t>(rows.size(), 10);
        for (size_t k = 0; k < shown; ++k)
            text += (k == 0 ? "" : ", ") + label(rows[k]);
        if (rows.size() > shown)
            text += " and " + std::to_string(rows.size() - shown) + " more";
        text += ". Correct them in the log and save again if the services must have them.";
    }
    if (result.sentExchangeLeftOut)
        text += "\n\nThe sent exchange is not in the file: tick exactly one of \"Exchange\" and \"Number\" in the "
                "setup panel (Setup, Ctrl+S) and save again to add it.";
    return text;
}


} // namespace

std::string AdifFilePath(const ContestState &state, const std::string &folder)
{
    return folder + CallFileName(state.MyCall) + ".adi";
}

std::string AdifText(const ContestState &state, const LogTable &log, const UtcStamp &created, AdifExport &info)
{
    return AdifText(state, OwnQsos(state, log), created, info);
}

std::string AdifText(const ContestState &state, const std::vector<StationQso> &qsos, const UtcStamp &created,
                     AdifExport &info)
{
    const bool byNumber = state.CbNumber && !state.CbExchange;
    const bool byExchange = state.CbExchange && !state.CbNumber;
    info.sentExchangeLeftOut = !byNumber && !byExchange;

    std::string myCall, myExchange, contestId;
    info.ownFieldsLosingCharacters = keepAscii(OnAirCall(state.MyCall), myCall);
    if (byExchange)
        info.ownFieldsLosingCharacters |= keepAscii(trimmed(state.MyYearLic), myExchange);
    info.ownFieldsLosingCharacters |= keepAscii(trimmed(state.ContestId), contestId);

    const int count = static_cast<int>(qsos.size());
    info.qsos = count;
    info.rowsLosingCharacters.clear();

    std::string out;
    out.reserve(160 + static_cast<size_t>(count) * 240);  // a record is about 200 bytes
    out += "Quillfeather log, ADIF 3.1.4\r\n";
    appendField(out, "ADIF_VER", "3.1.4", "\r\n");
    appendField(out, "PROGRAMID", "Quillfeather", "\r\n");
    appendField(out, "PROGRAMVERSION", QuillfeatherVersion, "\r\n");
    appendField(out, "CREATED_TIMESTAMP", timestamp(created), "\r\n");
    out += "<EOH>\r\n";

    std::string call, exchange, date, time;
    for (int i = 0; i < count; ++i) {
        const StationQso &qso = qsos[static_cast<size_t>(i)];
        const QsoRow &row = qso.row;
        bool lost = keepAscii(row.Call, call);
        if (call.empty() || call.find(' ') != std::string::npos)
            refuseRow(qso, "call", row.Call, "a call sign");
        const std::string &qsoDate = row.Date.empty() ? state.LogDate : row.Date;
        if (!adifDate(qsoDate, date))
            refuseRow(qso, "date", qsoDate, "a date yyyy-mm-dd");
        if (!adifTime(row.Time, time))
            refuseRow(qso, "time", row.Time, "a time of day hh:mm");
        const ContestBand *band = FindBand(row.Band);
        if (!band)
            refuseRow(qso, "band", row.Band, BandNamesText());
        const char *report = reportOf(row.Mode);
        if (!report)
            refuseRow(qso, "mode", row.Mode, "CW or SSB");
        lost |= keepAscii(trimmed(row.Exchange), exchange);
        if (lost)
            info.rowsLosingCharacters.push_back(i);

        appendField(out, "CALL", call);
        appendField(out, "QSO_DATE", date);
        appendField(out, "TIME_ON", time);
        appendField(out, "BAND", band->adif);
        appendField(out, "MODE", row.Mode);
        appendField(out, "RST_SENT", report);
        appendField(out, "RST_RCVD", report);
        if (byNumber)
            appendField(out, "STX", integerText(row.Number));
        else
            appendField(out, "STX_STRING", myExchange);
        appendField(out, "SRX_STRING", exchange);
        // An Integer field: the number without the leading zeros the operator may have copied.
        appendField(out, "SRX", integerText(exchange));
        appendField(out, "STATION_CALLSIGN", myCall);
        appendField(out, "CONTEST_ID", contestId);
        out += "<EOR>\r\n";
    }
    return out;
}

AdifExport ExportAdif(const ContestState &state, const LogTable &log, const std::string &folder,
                      const UtcStamp &created)
{
    return ExportAdif(state, OwnQsos(state, log), folder, created);
}

AdifExport ExportAdif(const ContestState &state, const std::vector<StationQso> &qsos, const std::string &folder,
                      const UtcStamp &created)
{
    AdifExport info;
    const std::string bytes = AdifText(state, qsos, created, info);
    info.path = AdifFilePath(state, folder);

    FileReplaceOptions options;
    options.syncToDisk = true;  // the operator uploads this file; it must be on the disk
    options.createAttempts = 2;  // a virus checker or viewer holding the folder often lets go at once
    const FileWriteResult result = ReplaceFileWhole(info.path, bytes, options);
    if (result.outcome == FileWriteResult::CreateFailed)
        throw AdifError("Cannot create file \"" + pathForMessage(info.path) + "\". " + result.reason
                        + ". Nothing was exported.");
    if (result.outcome == FileWriteResult::WriteFailed)
        throw AdifError("Cannot write file \"" + pathForMessage(info.path) + "\". " + result.reason
                        + ". Nothing was exported; an earlier export stays as it was.");
    return info;
}

std::string AdifReport(const AdifExport &result, const LogTable &log)
{
    return report(result, [&](int row) { return "QSO " + std::to_string(row + 1) + " (" + log.row(row).Call + ")"; });
}

std::string AdifReport(const AdifExport &result, const std::vector<StationQso> &qsos)
{
    return report(result, [&](int index) {
        const StationQso &qso = qsos[static_cast<size_t>(index)];
        const std::string number = qso.own() ? std::to_string(qso.ownRow + 1) : qso.row.Number + " of " + qso.station;
        return "QSO " + number + " (" + qso.row.Call + ")";
    });
}
