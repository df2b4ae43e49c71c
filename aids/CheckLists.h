#pragma once

#include "aids/MasterScp.h"
#include "logging/StationQso.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <cstdint>
#include <vector>

struct ContestState;

// A logged call that holds the typed text, with where it was worked.
struct LoggedCall {
    std::string call;
    std::string worked;  // its bands and modes in log order, "80 CW  40 SSB"
    bool dupe = false;   // worked on the current band and mode already
};

// A call one edit away from the typed one; `mark` is the position of the character
// that differs (see OneEditMark).
struct NearCall {
    std::string call;
    size_t mark = 0;
    bool operator==(const NearCall &) const = default;
};

// What the check window shows for the call typed so far.
struct CheckResult {
    std::string typed;  // upper case; the lists are empty while it is shorter than two characters
    std::vector<LoggedCall> log;
    std::vector<std::string> scp;  // those starting with the typed text first
    std::vector<NearCall> near;    // from the log, then from the list, each call once
    bool scpMissing = false;       // no MASTER.SCP was read

    // Typed far enough and found nowhere: a call the operator has not met yet.
    bool unique() const { return typed.size() >= 2 && log.empty() && scp.empty() && near.empty(); }
};

// The lists of the check window for a typed call: the log, the MASTER.SCP list and the
// calls one edit away from it. The log is read as it stands at each look-up, so the lists
// follow every commit, edit and delete without a copy of their own. On a networked station
// the other positions' QSOs are handed in as well and listed with the own ones.
class CallChecker {
public:
    // More than this many calls in a list help nobody while a call is typed.
    static constexpr size_t MaxShown = 40;

    CallChecker(const ContestState &state, const LogTable &log) : st_(state), log_(log) {}

    void setMasterScp(std::optional<MasterScp> scp);
    bool hasMasterScp() const { return scp_.has_value(); }
    const MasterScp *masterScp() const { return scp_ ? &*scp_ : nullptr; }

    // The whole station's QSOs: those of the other positions are listed after the own log's
    // rows (the own ones are read from the log as it stands). None on a station of one computer.
    void setStation(const std::vector<StationQso> &qsos);

    CheckResult lookUp(std::string_view typed) const;

private:
    // Each row of the whole station: the own log's first QsoCount, then the others'.
    template <typename Visit>
    void forEachRow(Visit visit) const;

    void findLogged(CheckResult &result) const;
    void findListed(CheckResult &result) const;
    void findNear(CheckResult &result) const;

    const ContestState &st_;
    const LogTable &log_;
    std::vector<QsoRow> others_;
    std::optional<MasterScp> scp_;
    // The list's calls joined by '\n' with a '\n' before the first: one search over it
    // finds the calls that hold a fragment much faster than a search call by call.
    std::string joined_;
    std::vector<size_t> starts_;  // where each call begins in joined_
    // The list's calls by their last character and by their last two: those ending alike together.
    static constexpr size_t EndSymbols = 37;
    static size_t endSymbol(char c);
    std::vector<std::vector<uint32_t>> byLastOne_, byLastTwo_;
};

// The call part of an entry line: what stands before its first blank, upper case.
std::string CallPart(std::string_view entry);
// The entry line with its call part replaced by `call`, the blank and the exchange kept.
std::string WithCall(std::string_view entry, std::string_view call);

// MASTER.SCP in the program's folder (ending with '/').
std::string MasterScpPath(const std::string &folder);
// The one line the SCP list shows while the program has no MASTER.SCP.
std::string MasterScpMissingText(const std::string &folder);
