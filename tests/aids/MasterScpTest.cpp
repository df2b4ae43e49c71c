#include "aids/MasterScp.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

std::string joined(const std::vector<std::string> &calls)
{
    std::string out;
    for (const std::string &call : calls)
        out += (out.empty() ? "" : " ") + call;
    return out;
}

struct ScpCase {
    const char *name;
    std::string text;
    const char *calls;
    int skipped;
};

class MasterScpTest : public ::testing::TestWithParam<ScpCase> {};

TEST_P(MasterScpTest, ReadsTheCalls)
{
    const MasterScp scp = MasterScp::parse(GetParam().text);
    EXPECT_EQ(joined(scp.calls()), GetParam().calls);
    EXPECT_EQ(scp.skippedLines(), GetParam().skipped);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MasterScpTest,
    ::testing::Values(
        ScpCase{"CommentsAndLf", "# MASTER.SCP 2024-01-01\n#S50XX\nS59ABC\nK1ABC\n", "K1ABC S59ABC", 0},
        ScpCase{"CrLfBlanksAndLowerCase", "s59abc\r\n  9a2aa \r\n\t\r\n\r\n", "9A2AA S59ABC", 0},
        ScpCase{"PortableCalls", "DL/S59ABC\r\nS59ABC/P\r\nVP2E/K1ABC\r\n", "DL/S59ABC S59ABC/P VP2E/K1ABC", 0},
        ScpCase{"NotCallsSkipped", "HELLO\n12345\nS5/\n/S5A\nDL//S5A\nS5 A\nS5\nS59ABC-1\nS59ABC\n", "S59ABC", 8},
        ScpCase{"UnsortedAndTwice", "S59ABC\nK1ABC\ns59abc\nK1ABC", "K1ABC S59ABC", 0},
        ScpCase{"LastLineWithoutBreak", "#\r\nOH2BH", "OH2BH", 0},
        ScpCase{"Empty", "", "", 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MasterScpFile, FoundUnderAnyCaseLookedUpInAnyCase)
{
    TestFolder folder;
    writeFileBytes(folder.file("master.scp"), "# list\r\nS59ABC\r\nDL/K1ABC\r\n");
    const auto scp = MasterScp::load(folder.file("MASTER.SCP"));
    ASSERT_TRUE(scp);
    EXPECT_TRUE(scp->contains("s59abc"));
    EXPECT_TRUE(scp->contains("DL/K1ABC"));
    EXPECT_FALSE(scp->contains("S59AB"));
    EXPECT_FALSE(MasterScp::load(folder.file("OTHER.SCP")));
}

} // namespace
