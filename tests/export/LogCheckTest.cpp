#include "export/LogCheck.h"

#include "logging/ContestState.h"
#include "logging/LogTable.h"

#include <gtest/gtest.h>

namespace {

// Crosses midnight, repeats a call on another band and mode, logs two QSOs in one
// minute, and holds portable forms and a serial with a blank before it.
const std::vector<QsoRow> kCleanLog = {
    {"23:58", "S51A", "1", "1", "40", "CW", "2013-04-13"},
    {"2359", "DL/S52B/P", "002", "2", "40", "CW", "2013-04-13"},
    {"00:01", "S51A", "3", "3", "80", "CW", "2013-04-14"},
    {"00:01", "S51A", "4", "4", "80", "SSB", "2013-04-14"},
    {"00:02", "9A2AA/QRP", " 5", "5", "20", "CW", ""},
};

std::vector<LogFinding> check(const std::vector<QsoRow> &rows)
{
    ContestState state;
    state.CbNumber = true;
    state.LogDate = "2013-04-14";
    state.QsoCount = static_cast<int>(rows.size());
    LogTable log;
    log.replaceAll(rows);
    return CheckLog(state, log);
}

} // namespace

TEST(LogCheck, TheCleanLogHasNoFindingAndEachKindAddedIsOneNamingTheQso)
{
    EXPECT_TRUE(check(kCleanLog).empty());
    // 31 February is no day to put QSOs in order by: once read as 3 March, it came "before" 13 April.
    EXPECT_TRUE(check({kCleanLog[0], {"00:03", "S57G", "6", "6", "10", "CW", "2013-02-31"}}).empty());
    const std::pair<QsoRow, LogFinding::Kind> cases[] = {
        {{"00:03", "S51A", "6", "6", "80", "CW", ""}, LogFinding::Duplicate},
        {{"00:03", "S5/A1", "6", "6", "10", "CW", ""}, LogFinding::NotACall},
        {{"00:03", "S53C", " ", "6", "10", "CW", ""}, LogFinding::NoExchange},
        {{"00:03", "S54D", "6 ", "6", "10", "CW", ""}, LogFinding::NotANumber},
        {{"00:01", "S55E", "6", "6", "10", "CW", ""}, LogFinding::TimeBackwards},
        {{"00:03", "S56F", "6", "6", "10", "CW", "2013-04-15"}, LogFinding::LongGap},
    };
    for (const auto &[added, kind] : cases) {
        SCOPED_TRACE(added.Call);
        std::vector<QsoRow> rows = kCleanLog;
        rows.push_back(added);
        const auto findings = check(rows);
        ASSERT_EQ(findings.size(), 1u);
        EXPECT_EQ(findings[0].kind, kind);
        EXPECT_EQ(findings[0].row, 5);
        EXPECT_EQ(findings[0].text.rfind("QSO 6 (" + added.Call + "): ", 0), 0u) << findings[0].text;
    }
}

TEST(LogCheck, CallSignForms)
{
    for (const char *call : {"S59ABC", "9A2AA", "2E0XYZ", "4U1ITU", "DL/S59ABC", "S59ABC/P", "S59ABC/M",
                             "S59ABC/QRP", "DL/S59ABC/P", "W1AW/4", "F/G4ABC"})
        EXPECT_TRUE(IsAmateurCall(call)) << call;
    for (const char *call : {"", "S59", "SABC", "59ABC", "S59ABC/", "/S59ABC", "S59ABC/X", "DL/", "S5 ABC",
                             "S59ABC/P/P/P", "DL/F/S59ABC", "S59ABC1"})
        EXPECT_FALSE(IsAmateurCall(call)) << call;
}
