#include "export/LogCheck.h"

#include "logging/ContestState.h"
#include "logging/LogTable.h"
#include "logging/QsoTime.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(char c)
{
    return c >= 'A' && c <= 'Z';
}

bool isAlnum(char c)
{
    return isDigit(c) || isLetter(c);
}

// S59ABC: everything up to the last digit is the prefix, the letters after it the suffix.
bool isBaseCall(std::string_view call)
{
    const size_t lastDigit = call.find_last_of("0123456789");
    if (lastDigit == std::string_view::npos)
        return false;
    const std::string_view prefix = call.substr(0, lastDigit + 1);
    const std::string_view suffix = call.substr(lastDigit + 1);
    return prefix.size() >= 2 && prefix.size() <= 6 && std::all_of(prefix.begin(), prefix.end(), isAlnum)
           && std::any_of(prefix.begin(), prefix.end(), isLetter) && !suffix.empty() && suffix.size() <= 6
           && std::all_of(suffix.begin(), suffix.end(), isLetter);
}

// The country a station works from, written before its call: DL/, 9A/, F/, KH6/.
bool isCountryPrefix(std::string_view part)
{
    return !part.empty() && part.size() <= 4 && std::all_of(part.begin(), part.end(), isAlnum)
           && std::any_of(part.begin(), part.end(), isLetter);
}

bool isModifier(std::string_view part)
{
    if (part.size() == 1 && isDigit(part[0]))
        return true;  // call area, as in W1AW/4
    for (std::string_view m : {"P", "M", "MM", "AM", "A", "QRP"})
        if (part == m)
            return true;
    return false;
}

bool isNumber(std::string_view text)
{
    // Blanks before the digits are what the Cabrillo export tolerates; nothing after them.
    text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
    return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

bool isBlank(std::string_view text)
{
    return text.find_first_not_of(' ') == std::string_view::npos;
}

// Minutes since 1970 of a QSO's date and time cell, when both hold one.
std::optional<long long> minuteOf(std::string_view date, std::string_view time)
{
    const auto day = ReadQsoDate(date);
    const auto minute = ReadTimeCell(time);
    if (!day || !minute)
        return std::nullopt;
    return MinutesSinceEpoch(*day, *minute);
}

// "2013-04-14 07:12", the time as the grid shows a loaded QSO's.
std::string shownTime(std::string_view date, std::string_view time)
{
    const QsoTime t = *ReadTimeCell(time);
    std::string text(date);
    text += ' ';
    text += char('0' + t.hour / 10);
    text += char('0' + t.hour % 10);
    text += ':';
    text += char('0' + t.minute / 10);
    text += char('0' + t.minute % 10);
    return text;
}

std::string qsoName(int row, const QsoRow &qso)
{
    return "QSO " + std::to_string(row + 1) + " (" + qso.Call + ")";
}

} // namespace

bool IsAmateurCall(std::string_view call)
{
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        const size_t slash = call.find('/', start);
        parts.push_back(call.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start));
        if (slash == std::string_view::npos)
            break;
        start = slash + 1;
    }
    if (parts.size() > 4)
        return false;
    for (size_t base = 0; base < 2 && base < parts.size(); ++base) {
        if (base == 1 && !isCountryPrefix(parts[0]))
            continue;
        if (!isBaseCall(parts[base]) || parts.size() - base - 1 > 2)
            continue;
        if (std::all_of(parts.begin() + base + 1, parts.end(), isModifier))
            return true;
    }
    return false;
}

std::vector<LogFinding> CheckLog(const ContestState &state, const LogTable &log)
{
    const int count = std::clamp(state.QsoCount, 0, log.rowCount());
    std::vector<LogFinding> findings;
    std::unordered_map<std::string, int> firstOf;
    firstOf.reserve(static_cast<size_t>(count));
    std::string key;
    int previous = -1;
    long long previousMinute = 0;

    for (int i = 0; i < count; ++i) {
        const QsoRow &qso = log.row(i);
        const std::string &date = qso.Date.empty() ? state.LogDate : qso.Date;
        if (const auto minute = minuteOf(date, qso.Time)) {
            const bool backwards = previous >= 0 && *minute < previousMinute;
            if (previous >= 0 && (backwards || *minute - previousMinute > 1440)) {
                const QsoRow &before = log.row(previous);
                const std::string &beforeDate = before.Date.empty() ? state.LogDate : before.Date;
                findings.push_back({backwards ? LogFinding::TimeBackwards : LogFinding::LongGap, i,
                                    qsoName(i, qso) + ": " + shownTime(date, qso.Time)
                                        + (backwards ? ", before QSO " : ", over a day after QSO ")
                                        + std::to_string(previous + 1) + " at " + shownTime(beforeDate, before.Time)});
            }
            previous = i;
            previousMinute = *minute;
        }

        key = qso.Call;
        key += '\n';
        key += qso.Band;
        key += '\n';
        key += qso.Mode;
        const auto [first, isNew] = firstOf.try_emplace(key, i);
        if (!isNew)
            findings.push_back({LogFinding::Duplicate, i,
                                qsoName(i, qso) + ": duplicate of QSO " + std::to_string(first->second + 1)
                                    + ", same call, band and mode"});
        if (!IsAmateurCall(qso.Call))
            findings.push_back({LogFinding::NotACall, i, qsoName(i, qso) + ": not the form of a call sign"});
        if (isBlank(qso.Exchange))
            findings.push_back({LogFinding::NoExchange, i, qsoName(i, qso) + ": no received exchange"});
        else if (state.CbNumber && !isNumber(qso.Exchange))
            findings.push_back({LogFinding::NotANumber, i,
                                qsoName(i, qso) + ": received serial \"" + qso.Exchange + "\" is not a number"});
    }
    return findings;
}
