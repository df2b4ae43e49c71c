#include "keyer/Macros.h"

#include "settings/MainSettings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

ContestState cwState()
{
    ContestState s;
    s.MyCall = "S50A";
    s.QsoCall = "S59ABC";
    s.MyYearLic = "95";
    s.LastCall = "S51X";
    s.Speed = 24;
    s.SpeedUp = 5;
    s.SpeedMode = 1;
    return s;
}

} // namespace

TEST(Macros, CutNumbersTouchOnlyDigitsWrittenInTheMessage)
{
    ContestState s = cwState();
    s.Short9N = true;
    EXPECT_EQ(ComposeCwMessage("599 #", s), "5NN 95 ");  // the licence year keeps its 9

    s.Short0T = true;
    s.Short0O = true;
    EXPECT_EQ(ComposeCwMessage("*", s), "S50A ");  // the call keeps its 0
    EXPECT_EQ(ComposeCwMessage("100 !", s), "1TT S59ABC ");  // with both 0-flags, T wins

    s.Short0T = false;
    EXPECT_EQ(ComposeCwMessage("100", s), "1OO ");
    s.Short0O = false;
    s.Short9N = false;
    EXPECT_EQ(ComposeCwMessage("5990", s), "5990 ");
}

TEST(Macros, SpeedMacrosBecomeBufferedSpeedChanges)
{
    ContestState s = cwState();
    EXPECT_EQ(ComposeCwMessage("<*>%", s), bytes({0x1C, 0x1D}) + "S50A" + bytes({0x1C, 0x13, 0x1E}) + " ");

    // Unchecked low byte of a speed below zero.
    s.Speed = 3;
    EXPECT_EQ(ComposeCwMessage(">", s), bytes({0x1C, 0xFE, ' '}));
}

TEST(Macros, ASpeedByteThatLooksLikeAMacroStaysASpeed)
{
    // 32 + 5 is '%' and 67 - 5 is '>': each must stay the parameter of its 1C.
    ContestState s = cwState();
    s.Speed = 32;
    EXPECT_EQ(ComposeCwMessage("<E%", s), bytes({0x1C, 37, 'E', 0x1E, ' '}));
    s.Speed = 57;
    EXPECT_EQ(ComposeCwMessage("<E", s), bytes({0x1C, 62, 'E', ' '}));
    s.Speed = 42;
    EXPECT_EQ(ComposeCwMessage(">E", s), bytes({0x1C, 37, 'E', ' '}));
}

TEST(Macros, MacroValuesAreText)
{
    ContestState s = cwState();
    s.MyCall = "!#";
    EXPECT_EQ(ComposeCwMessage("*", s), "!# ");
    s.MyCall = "<";
    EXPECT_EQ(ComposeCwMessage("*", s), "< ");
    s.LastCall = "*";
    EXPECT_EQ(ComposeCwMessage("$", s), "* ");
}

TEST(Macros, ACraftedSettingsFileGivesABoundedMessage)
{
    // Each value holds the next macro: expanded again and again, one key press once
    // grew into gigabytes.
    TestFolder dir;
    writeFileBytes(MainSettingsFile(dir.path()), "[GENERAL]\r\nMyCall=S5#" + std::string(40, '#')
                                                      + "\r\nEExchange=" + std::string(40, '$')
                                                      + "\r\n[Memo]\r\nF1=" + std::string(2047, '*') + "\r\n");
    ContestState s = cwState();
    LoadMainSettings(s, dir.path());
    s.LastCall = "S5<";
    const std::string sent = ComposeCwMessage(s.F[0], s);
    EXPECT_LE(sent.size(), MessageLimit);
    EXPECT_EQ(sent.substr(0, 46), "S5" + std::string(41, '#') + "S5#");
    EXPECT_EQ(ComposeCwMessage("#$", s), std::string(40, '$') + "S5< ");
}

TEST(Macros, SpeedModeZeroPrefixesTheProgramSpeed)
{
    ContestState s = cwState();
    s.SpeedMode = 0;
    s.Speed = 20;
    EXPECT_EQ(ComposeCwMessage("CQ", s), bytes({0x02, 0x14}) + "CQ ");
    EXPECT_EQ(ComposeCwMessage("", s), bytes({0x02, 0x14}) + "? ");
    s.SpeedMode = 2;
    EXPECT_EQ(ComposeCwMessage("CQ", s), "CQ ");
}

TEST(Macros, EmptyMemoryEmptyValuesAndEightBitText)
{
    ContestState s = cwState();
    EXPECT_EQ(ComposeCwMessage("", s), "? ");  // an empty memory sends a question mark
    EXPECT_EQ(ComposeCwMessage(" ", s), "  ");
    const std::string text = "\xC8" "E\x8A" "KA";  // Windows-1250 letters pass untouched
    EXPECT_EQ(ComposeCwMessage(text, s), text + " ");
    ContestState empty;
    empty.Speed = 20;
    empty.SpeedMode = 1;
    EXPECT_EQ(ComposeCwMessage("*!#$", empty), " ");
}

// Values holding later macro characters multiply: 2047 "*" with a call of 2047 "#" and an
// exchange of 2047 "$" would be 25 GB. The text stops growing at 64 KiB.
