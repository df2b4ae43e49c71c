#include "aids/CallHistory.h"
#include "aids/HistoryHint.h"
#include "logging/ContestState.h"
#include "logging/LogTable.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

const std::string N1mmStyle = "# CQ WW history\r\n"
                              "!!Order!!,Call,Name,Exch1,UserText\r\n"
                              "S59ABC,JOZE,15,club station\r\n"
                              "k1abc,BOB,5\r\n"          // lower case, no UserText
                              "DL1AA,,14,\r\n"           // no name
                              "9A2AA\r\n"                // only the call
                              "S59ABC,JOZE,15,worked 2023\r\n";  // a later row replaces
const std::string Semicolons = "!!Order!!;Exch1;Call\nSP;OE1XYZ\n  599 ; S52X ; extra\n";
const std::string TwoOrders = "S5BAD,lost\n"                     // before any order: skipped
                              "!!Order!!,Call,Exch1\nS51A,11\n"
                              "!!Order!!,Name,Loc\nNOBODY,X\n"    // no Call column: skipped
                              "!!order!!,Loc,Call,exch1\nJN75,S52B,22\nHELLO,WORLD,1\n";

struct HistoryCase {
    const char *name;
    const std::string &text;
    const char *call, *column, *field;
};

class CallHistoryTest : public ::testing::TestWithParam<HistoryCase> {};

TEST_P(CallHistoryTest, FieldOfCall)
{
    const HistoryCase &c = GetParam();
    EXPECT_EQ(CallHistory::parse(c.text).field(c.call, c.column), c.field);
}

INSTANTIATE_TEST_SUITE_P(
    Lookups, CallHistoryTest,
    ::testing::Values(HistoryCase{"Exchange", N1mmStyle, "S59ABC", "Exch1", "15"},
                      HistoryCase{"ColumnInAnyCase", N1mmStyle, "S59ABC", "exch1", "15"},
                      HistoryCase{"LaterRowReplaces", N1mmStyle, "S59ABC", "UserText", "worked 2023"},
                      HistoryCase{"CallInAnyCase", N1mmStyle, "K1ABC", "Name", "BOB"},
                      HistoryCase{"MissingLastField", N1mmStyle, "K1ABC", "UserText", ""},
                      HistoryCase{"EmptyFieldBetween", N1mmStyle, "DL1AA", "Exch1", "14"},
                      HistoryCase{"OnlyTheCall", N1mmStyle, "9A2AA", "Exch1", ""},
                      HistoryCase{"UnknownCall", N1mmStyle, "S59ABD", "Exch1", ""},
                      HistoryCase{"UnknownColumn", N1mmStyle, "S59ABC", "Exch2", ""},
                      HistoryCase{"SemicolonsCallNotFirst", Semicolons, "OE1XYZ", "Exch1", "SP"},
                      HistoryCase{"BlanksAroundFields", Semicolons, "S52X", "Exch1", "599"},
                      HistoryCase{"FirstOrder", TwoOrders, "S51A", "Exch1", "11"},
                      HistoryCase{"LaterOrderRules", TwoOrders, "S52B", "Exch1", "22"},
                      HistoryCase{"ColumnOfLaterOrder", TwoOrders, "S52B", "Loc", "JN75"},
                      HistoryCase{"RowBeforeAnyOrder", TwoOrders, "S5BAD", "Exch1", ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CallHistoryFile, KeepsTheFileOrderAndCountsWhatItSkipped)
{
    TestFolder folder;
    writeFileBytes(folder.file("CallHistory.txt"), TwoOrders);
    const auto history = CallHistory::load(folder.file("CALLHISTORY.txt"));
    ASSERT_TRUE(history);
    std::string calls;
    for (const auto &entry : history->entries())
        calls += entry.call + " ";
    EXPECT_EQ(calls, "S51A S52B ");
    EXPECT_EQ(history->skippedLines(), 3);  // S5BAD, NOBODY, HELLO
    ASSERT_EQ(history->columns().size(), 4u);
    EXPECT_EQ(history->columns()[3], "Loc");
    EXPECT_FALSE(CallHistory::load(folder.file("none.txt")));
}

TEST(CallHistoryTab, FillsTheExchangeOnlyWhenTheLineHasNone)
{
    const struct { const char *entry, *exchange, *filled; } cases[] = {
        {"S59ABC", "15", "S59ABC 15"}, {"S59ABC ", "15", "S59ABC 15"},   {"S59ABC  ", "15", "S59ABC 15"},
        {"S59ABC 14", "15", nullptr},  {"S59ABC", "", nullptr},          {"", "15", nullptr},
        {" 15", "15", nullptr},
    };
    for (const auto &c : cases) {
        const auto filled = WithHistoryExchange(c.entry, c.exchange);
        EXPECT_EQ(filled.value_or("none"), c.filled ? c.filled : "none") << '"' << c.entry << '"';
    }
}

TEST(CallHistorySave, LoggedExchangesJoinWhatTheFileHeld)
{
    TestFolder folder;
    writeFileBytes(folder.file("CALLHISTORY.txt"), N1mmStyle);
    ContestState st;
    LogTable log;
    log.setRowCount(4);
    const char *rows[][2] = {{"K1ABC", "7"}, {"S52X", "19 87"}, {"K1ABC", "8"}, {"S5STALE", "1"}};
    for (int i = 0; i < 4; ++i)
        log.commitQso(i, QsoRow{"12:00", rows[i][0], rows[i][1], "1", "40", "CW", "2024-03-02"});
    st.QsoCount = 3;
    SaveCallHistory(st, log, folder.path());
    EXPECT_EQ(readFileBytes(folder.file("CALLHISTORY.txt")),
              crlf("# Call history written by Quillfeather\n!!Order!!,Call,Name,Exch1,UserText\n"
                   "S59ABC,JOZE,15,worked 2023\nK1ABC,BOB,8,\nDL1AA,,14,\n9A2AA,,,\nS52X,,19 87,\n"));
    EXPECT_EQ(CallHistory::load(folder.file("CALLHISTORY.txt"))->field("S52X"), "19 87");
    // A folder that cannot take the file: the operator is told, nothing claims success.
    EXPECT_NE(failureText<std::runtime_error>([&] { SaveCallHistory(st, log, folder.file("none/")); })
                  .find("could not be written"),
              std::string::npos);
}

} // namespace
