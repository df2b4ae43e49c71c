#include "aids/CheckLists.h"

#include "aids/AidFile.h"
#include "aids/CallEdit.h"
#include "logging/ContestState.h"
#include "logging/LogTable.h"

#include <algorithm>
#include <map>

namespace {

bool startsWith(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

} // namespace

// A list call's characters: letters, digits and '/'; anything else shares the last place.
size_t CallChecker::endSymbol(char c)
{
    if (c >= 'A' && c <= 'Z')
        return size_t(c - 'A');
    if (c >= '0' && c <= '9')
        return size_t(26 + c - '0');
    return EndSymbols - 1;
}

void CallChecker::setMasterScp(std::optional<MasterScp> scp)
{
    scp_ = std::move(scp);
    joined_.clear();
    starts_.clear();
    byLastOne_.clear();
    byLastTwo_.clear();
    if (!scp_)
        return;
    starts_.reserve(scp_->size());
    for (const std::string &call : scp_->calls()) {
        joined_ += '\n';
        starts_.push_back(joined_.size());
        joined_ += call;
    }
    joined_ += '\n';
    const std::vector<std::string> &calls = scp_->calls();
    byLastOne_.assign(EndSymbols, {});
    byLastTwo_.assign(EndSymbols * EndSymbols, {});
    for (size_t i = 0; i < calls.size(); ++i) {
        const std::string &call = calls[i];
        byLastOne_[endSymbol(call.back())].push_back(uint32_t(i));
        byLastTwo_[endSymbol(call[call.size() - 2]) * EndSymbols + endSymbol(call.back())].push_back(uint32_t(i));
    }
}

void CallChecker::setStation(const std::vector<StationQso> &qsos)
{
    others_.clear();
    for (const StationQso &qso : qsos)
        if (!qso.own())
            others_.push_back(qso.row);
}

template <typename Visit>
void CallChecker::forEachRow(Visit visit) const
{
    const int rows = std::min(st_.QsoCount, log_.rowCount());
    for (int i = 0; i < rows; ++i)
        if (!visit(log_.row(i)))
            return;
    for (const QsoRow &row : others_)
        if (!visit(row))
            return;
}

CheckResult CallChecker::lookUp(std::string_view typed) const
{
    CheckResult result;
    result.typed = UpperCall(TrimBlanks(typed));
    result.scpMissing = !scp_;
    if (result.typed.size() < 2)
        return result;
    findLogged(result);
    findListed(result);
    findNear(result);
    return result;
}

void CallChecker::findLogged(CheckResult &result) const
{
    // Views into the log table, which does not change during the look-up.
    using Worked = std::pair<std::string_view, std::string_view>;  // band, mode
    std::map<std::string_view, std::vector<Worked>> byCall;
    forEachRow([&](const QsoRow &row) {
        if (row.Call.find(result.typed) == std::string::npos)
            return true;
        std::vector<Worked> &worked = byCall[row.Call];
        const Worked here{row.Band, row.Mode};
        if (std::find(worked.begin(), worked.end(), here) == worked.end())
            worked.push_back(here);
        return true;
    });
    std::vector<LoggedCall> found;
    found.reserve(byCall.size());
    for (const auto &[call, worked] : byCall) {
        LoggedCall &shown = found.emplace_back(LoggedCall{std::string(call), {}, false});
        for (const auto &[band, mode] : worked) {
            shown.worked += (shown.worked.empty() ? "" : "  ") + std::string(band) + " " + std::string(mode);
            shown.dupe = shown.dupe || (band == st_.Band && mode == st_.Mode);
        }
    }
    std::stable_sort(found.begin(), found.end(), [&](const LoggedCall &a, const LoggedCall &b) {
        return startsWith(a.call, result.typed) && !startsWith(b.call, result.typed);
    });
    if (found.size() > MaxShown)
        found.resize(MaxShown);
    result.log = std::move(found);
}

void CallChecker::findListed(CheckResult &result) const
{
    if (!scp_)
        return;
    const std::vector<std::string> &calls = scp_->calls();
    const std::string &typed = result.typed;
    // Calls starting with the fragment stand together in the sorted list.
    auto first = std::lower_bound(calls.begin(), calls.end(), typed);
    for (auto it = first; it != calls.end() && startsWith(*it, typed) && result.scp.size() < MaxShown; ++it)
        result.scp.push_back(*it);
    size_t from = 0;
    while (result.scp.size() < MaxShown) {
        const size_t hit = joined_.find(typed, from);
        if (hit == std::string::npos)
            break;
        const size_t index = size_t(std::upper_bound(starts_.begin(), starts_.end(), hit) - starts_.begin()) - 1;
        if (starts_[index] != hit)  // those at the start are listed already
            result.scp.push_back(calls[index]);
        from = joined_.find('\n', hit);
    }
}

// A call one edit away from the typed one keeps either the typed call's first half at its
// start or the rest at its end (the edit lies in the other part), so only the calls of two
// ranges of the sorted lists need a closer look, not the whole list.
void CallChecker::findNear(CheckResult &result) const
{
    const std::string &typed = result.typed;
    const size_t half = typed.size() / 2;
    const std::string_view front = std::string_view(typed).substr(0, half), back = std::string_view(typed).substr(half);
    auto nearCall = [&](std::string_view call) -> std::optional<NearCall> {
        if (call.size() + 1 < typed.size() || call.size() > typed.size() + 1)
            return std::nullopt;
        const std::optional<size_t> mark = OneEditMark(typed, call);
        return mark ? std::optional(NearCall{std::string(call), *mark}) : std::nullopt;
    };
    auto add = [](std::vector<NearCall> &to, std::optional<NearCall> near) {
        if (near && std::find(to.begin(), to.end(), *near) == to.end())
            to.push_back(std::move(*near));
    };
    std::vector<NearCall> &fromLog = result.near;
    forEachRow([&](const QsoRow &row) {
        const std::string_view call = row.Call;
        if (startsWith(call, front) || (call.size() >= back.size() && call.substr(call.size() - back.size()) == back))
            add(fromLog, nearCall(call));
        return fromLog.size() < MaxShown;
    });
    if (!scp_)
        return;
    std::vector<NearCall> listed;
    const std::vector<std::string> &calls = scp_->calls();
    for (auto it = std::lower_bound(calls.begin(), calls.end(), front); it != calls.end() && startsWith(*it, front); ++it)
        add(listed, nearCall(*it));
    auto endsWithBack = [&](const std::string &call) {
        return call.size() >= back.size() && std::string_view(call).substr(call.size() - back.size()) == back;
    };
    const size_t last = endSymbol(back.back());
    const std::vector<uint32_t> &ending = back.size() == 1 ? byLastOne_[last]
                                                            : byLastTwo_[endSymbol(back[back.size() - 2]) * EndSymbols + last];
    for (uint32_t index : ending)
        if (endsWithBack(calls[index]))
            add(listed, nearCall(calls[index]));
    std::sort(listed.begin(), listed.end(), [](const NearCall &a, const NearCall &b) { return a.call < b.call; });
    for (NearCall &near : listed)
        if (fromLog.size() < MaxShown && std::find(fromLog.begin(), fromLog.end(), near) == fromLog.end())
            fromLog.push_back(std::move(near));
}

std::string CallPart(std::string_view entry)
{
    return UpperCall(entry.substr(0, entry.find(' ')));
}

std::string WithCall(std::string_view entry, std::string_view call)
{
    const size_t blank = entry.find(' ');
    return std::string(call) + std::string(blank == std::string_view::npos ? "" : entry.substr(blank));
}

std::string MasterScpPath(const std::string &folder)
{
    return folder + "MASTER.SCP";
}

std::string MasterScpMissingText(const std::string &folder)
{
    return "No list of contest calls: put MASTER.SCP into " + folder;
}
