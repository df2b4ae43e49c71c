#include "aids/CheckLists.h"
#include "logging/ContestState.h"
#include "logging/LogTable.h"

#include <gtest/gtest.h>

namespace {

// Log and list as a contest on 40 m CW has them; the rows past QsoCount are stale.
struct CheckRig {
    ContestState st;
    LogTable log;
    CallChecker checker{st, log};

    CheckRig()
    {
        const char *rows[][3] = {{"S59ABC", "80", "CW"}, {"S59ABC", "40", "CW"}, {"S59ABC", "80", "CW"},
                                 {"DL1ABC", "40", "SSB"}, {"OE3ABC", "20", "CW"}, {"K1ABC", "40", "CW"}};
        log.setRowCount(7);
        for (int i = 0; i < 6; ++i)
            log.commitQso(i, QsoRow{"12:00", rows[i][0], "1", std::to_string(i + 1), rows[i][1], rows[i][2], "2024-03-02"});
        log.commitQso(6, QsoRow{"12:00", "S5STALE", "1", "7", "40", "CW", "2024-03-02"});
        st.QsoCount = 6;
        st.Band = "40";
        st.Mode = "CW";
        checker.setMasterScp(MasterScp::parse("#\nABC1X\nK1AB\nK1ABC\nK1ABD\nS50ABC\nS59AB\nS59ABC\nS59ABCD\nW1ABC\n"));
    }
};

// A list as one line: a logged call's bands follow it, "!" marks the dupe, [x] the marked character.
std::string shown(const CheckResult &r)
{
    std::string out = "log:";
    for (const LoggedCall &c : r.log)
        out += " " + c.call + "(" + c.worked + ")" + (c.dupe ? "!" : "");
    out += " scp:";
    for (const std::string &c : r.scp)
        out += " " + c;
    out += " n+1:";
    for (const NearCall &c : r.near)
        out += " " + c.call.substr(0, c.mark) + "[" + c.call[c.mark] + "]" + c.call.substr(c.mark + 1);
    return out;
}

TEST(CheckLists, ListsForTypedFragments)
{
    const struct { const char *typed, *lists; } cases[] = {
        // The start of a call: those starting with it first, in the log and in the list.
        {"s59", "log: S59ABC(80 CW  40 CW)! scp: S59AB S59ABC S59ABCD n+1:"},
        // The middle: every call holding it; only the row's band and mode make the dupe.
        {"ABC", "log: DL1ABC(40 SSB) K1ABC(40 CW)! OE3ABC(20 CW) S59ABC(80 CW  40 CW)! "
                "scp: ABC1X K1ABC S50ABC S59ABC S59ABCD W1ABC n+1:"},
        // One character changed, added, left out; the log's calls before the list's.
        {"S59ABD", "log: scp: n+1: S59AB[C] S59A[B] S59AB[C]D"},
        {"K1ABE", "log: scp: n+1: K1AB[C] K1A[B] K1AB[D]"},
        {"S5ABC", "log: scp: n+1: S5[9]ABC S5[0]ABC"},
        {"S59ABCX", "log: scp: n+1: S59AB[C] S59ABC[D]"},
        // An edit at the very start: found by the call's end.
        {"X1ABC", "log: scp: n+1: [K]1ABC [W]1ABC"},
        {"1ABC", "log: DL1ABC(40 SSB) K1ABC(40 CW)! scp: K1ABC W1ABC n+1: [K]1ABC [W]1ABC"},
        // Stale rows past the log's end are not the log.
        {"S5STALE", "log: scp: n+1:"},
    };
    CheckRig rig;
    for (const auto &c : cases)
        EXPECT_EQ(shown(rig.checker.lookUp(c.typed)), c.lists) << c.typed;
}

TEST(CheckLists, UniqueOnlyWhenTypedFarEnoughAndFoundNowhere)
{
    CheckRig rig;
    EXPECT_TRUE(rig.checker.lookUp("ZZ9ZZ").unique());
    EXPECT_FALSE(rig.checker.lookUp("Z").unique());  // one character: nothing is looked up yet
    EXPECT_FALSE(rig.checker.lookUp("W1AB").unique());
    EXPECT_FALSE(rig.checker.lookUp("ZZ9ZZ").scpMissing);
    rig.checker.setMasterScp(std::nullopt);
    const CheckResult without = rig.checker.lookUp("S59ABD");
    EXPECT_TRUE(without.scpMissing);
    EXPECT_EQ(shown(without), "log: scp: n+1: S59AB[C]");
    EXPECT_EQ(MasterScpMissingText("/home/op/qf/"), "No list of contest calls: put MASTER.SCP into /home/op/qf/");
}

TEST(CheckLists, ListsHoldAtMostMaxShown)
{
    CheckRig rig;
    std::string many;
    for (int i = 0; i < 100; ++i)
        many += "S5" + std::to_string(100 + i) + "X\nOE" + std::to_string(100 + i) + "S5\n";
    rig.checker.setMasterScp(MasterScp::parse(many));
    const CheckResult r = rig.checker.lookUp("S5");
    ASSERT_EQ(r.scp.size(), CallChecker::MaxShown);
    EXPECT_EQ(r.scp.back(), "S5139X");  // the starting ones fill the list before any other
}

TEST(CheckLists, CallPartOfTheEntryLineReplacedKeepingTheExchange)
{
    const struct { const char *entry, *call, *part, *replaced; } cases[] = {
        {"s59ab", "S59ABC", "S59AB", "S59ABC"},
        {"S59AB 15", "S59ABC", "S59AB", "S59ABC 15"},
        {"S59AB 19 87", "K1ABC", "S59AB", "K1ABC 19 87"},
        {"S59AB ", "S59ABC", "S59AB", "S59ABC "},
        {"", "S59ABC", "", "S59ABC"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(CallPart(c.entry), c.part) << c.entry;
        EXPECT_EQ(WithCall(c.entry, c.call), c.replaced) << c.entry;
    }
}

} // namespace
