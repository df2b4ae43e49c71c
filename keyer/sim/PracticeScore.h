#pragma once

#include "keyer/sim/Pileup.h"
#include "logging/LogTable.h"

#include <string>
#include <vector>

// A practice session's log checked against the callers' own records, as a contest's
// log checker would: each entry names the QSO concerned.
struct PracticeScore {
    int logged = 0;                           // QSOs in the operator's log this session
    int good = 0;                             // call and exchange as the caller has them
    std::vector<std::string> busted;          // "S59ABD for S59ABC"
    std::vector<std::string> wrongExchanges;  // "S59ABC: 123 for 132"
    std::vector<std::string> notInTheirLogs;  // logged, but no caller logged the QSO
    std::vector<std::string> dupes;           // a caller logged twice
    std::vector<std::string> notInYourLog;    // a caller logged the QSO, the operator did not
    double minutes = 0;

    // QSOs an hour over the session; 0 before a minute has passed.
    double rate() const;
};

// The log's rows (the session's only) against the callers; minutes the session lasted.
PracticeScore ScorePractice(const std::vector<Caller> &callers, const std::vector<QsoRow> &log, double minutes);

// Whether a logged exchange is what the caller sent: the report left out, cut digits
// (T, O for 0, N for 9, A for 1, E for 5) and leading zeros of a number do not count.
bool SameExchange(const std::string &logged, const std::string &sent);

// The score as a few lines of text under the heading, "\n" after each.
std::string ScoreText(const PracticeScore &score, const std::string &heading);
