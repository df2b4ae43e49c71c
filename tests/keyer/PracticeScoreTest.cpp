// A practice log scored against the callers' own records.
#include "keyer/sim/PracticeScore.h"

#include <gtest/gtest.h>

namespace {

Caller record(const char *call, const char *exchange, Caller::State state)
{
    Caller c;
    c.call = call;
    c.exchange = exchange;
    c.state = state;
    return c;
}

QsoRow row(const char *call, const char *exchange)
{
    return QsoRow{"0712", call, exchange, "", "40", "CW", "2013-04-14"};
}

TEST(PracticeScore, LogAgainstTheCallersRecords)
{
    const std::vector<Caller> callers = {
        record("S51A", "15", Caller::Logged),   record("S52B", "105", Caller::Logged),
        record("S53C", "7", Caller::Logged),    record("S54D", "22", Caller::Logged),
        record("S55E", "MA", Caller::Logged),   record("S56F", "9", Caller::Logged),
        record("S57G", "3", Caller::Calling),   record("S58H", "4", Caller::Gone),
    };
    const std::vector<QsoRow> log = {
        row("S51A", "599 15"),  // the report does not count
        row("s52b", "1T5"),     // cut digits
        row("S53C", "007"),     // leading zeros
        row("S54F", "22"),      // one character off S54D
        row("S55E", "NH"),
        row("K1ABC", "5"),      // nobody of that call
        row("S51A", "15"),
        row("S57G", "3"),       // called, but never finished the QSO
        row("S58J", "4"),       // one off a caller who gave up: no QSO to bust
        row("S51B", "15"),      // one off a caller already logged
        row("", ""),            // an emptied row
    };
    const PracticeScore score = ScorePractice(callers, log, 6);
    EXPECT_EQ(ScoreText(score, "Practice"),
              "Practice\n"
              "QSOs logged: 10 in 6.0 minutes, 100 an hour\n"
              "Good: 3\n"
              "Busted calls: 1 (S54F for S54D)\n"
              "Wrong exchanges: 1 (S55E: NH for MA)\n"
              "Not in the callers' logs: 4 (K1ABC, S57G, S58J, S51B)\n"
              "Dupes: 1 (S51A)\n"
              "Callers who logged you, not in your log: 1 (S56F)\n");
    EXPECT_EQ(ScorePractice(callers, {}, 0.5).rate(), 0);  // no rate from half a minute
}

} // namespace
