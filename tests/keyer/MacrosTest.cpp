#include "keyer/Macros.h"

#include <gtest/gtest.h>

namespace {

std::string b(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

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

TEST(Macros, InPlaceVariantsWorkOnMessageText)
{
    ContestState s = cwState();
    s.Short9N = true;
    s.MessageText = "599 # $";
    ApplyShortChars(s);
    EXPECT_EQ(s.MessageText, "5NN # $");
    ExpandMacros(s);
    EXPECT_EQ(s.MessageText, "5NN 95 S51X");

    PrepareCwMessage(s, "TU *");
    EXPECT_EQ(s.MessageText, "TU S50A ");
}

TEST(Macros, SpeedMacrosBecomeBufferedSpeedChanges)
{
    ContestState s = cwState();
    EXPECT_EQ(ComposeCwMessage("<*>%", s), b({0x1C, 0x1D}) + "S50A" + b({0x1C, 0x13, 0x1E}) + " ");

    // Unchecked low byte of a speed below zero.
    s.Speed = 3;
    EXPECT_EQ(ComposeCwMessage(">", s), b({0x1C, 0xFE, ' '}));
}

TEST(Macros, ASpeedByteThatLooksLikeAMacroStaysASpeed)
{
    // 32 + 5 is '%' and 67 - 5 is '>': each must stay the parameter of its 1C.
    ContestState s = cwState();
    s.Speed = 32;
    EXPECT_EQ(ComposeCwMessage("<E%", s), b({0x1C, 37, 'E', 0x1E, ' '}));
    s.Speed = 57;
    EXPECT_EQ(ComposeCwMessage("<E", s), b({0x1C, 62, 'E', ' '}));
    s.Speed = 42;
    EXPECT_EQ(ComposeCwMessage(">E", s), b({0x1C, 37, 'E', ' '}));
}

TEST(Macros, MacroValuesAreExpandedAgainByLaterSteps)
{
    ContestState s = cwState();
    s.MyCall = "!#";  // odd, but the replacement order decides, with no escaping
    EXPECT_EQ(ComposeCwMessage("*", s), "S59ABC95 ");
    s.MyCall = "<";
    EXPECT_EQ(ComposeCwMessage("*", s), b({0x1C, 0x1D, ' '}));
    s.LastCall = "*";  // an earlier macro character in a later value stays as it is
    EXPECT_EQ(ComposeCwMessage("$", s), "* ");
}

TEST(Macros, SpeedModeZeroPrefixesTheProgramSpeed)
{
    ContestState s = cwState();
    s.SpeedMode = 0;
    s.Speed = 20;
    EXPECT_EQ(ComposeCwMessage("CQ", s), b({0x02, 0x14}) + "CQ ");
    EXPECT_EQ(ComposeCwMessage("", s), b({0x02, 0x14}) + "? ");
    s.SpeedMode = 2;
    EXPECT_EQ(ComposeCwMessage("CQ", s), "CQ ");
}

TEST(Macros, EmptyMemorySendsAQuestionMark)
{
    ContestState s = cwState();
    EXPECT_EQ(ComposeCwMessage("", s), "? ");
    EXPECT_EQ(ComposeCwMessage(" ", s), "  ");
}

TEST(Macros, EmptyValuesLeaveNothing)
{
    ContestState s;
    s.Speed = 20;
    s.SpeedMode = 1;
    EXPECT_EQ(ComposeCwMessage("*!#$", s), " ");
}

TEST(Macros, EightBitTextPassesUntouched)
{
    ContestState s = cwState();
    const std::string text = "\xC8" "E\x8A" "KA";  // Windows-1250 letters
    EXPECT_EQ(ComposeCwMessage(text, s), text + " ");
}

// Values holding later macro characters multiply: 2047 "*" with a call of 2047 "#" and an
// exchange of 2047 "$" would be 25 GB. The text stops growing at 64 KiB.
TEST(Macros, NestedValuesCannotGrowAMessageWithoutBound)
{
    ContestState s;
    s.MyCall = std::string(2047, '#');
    s.MyYearLic = std::string(2047, '$');
    s.LastCall = "S5A";
    s.SpeedMode = 1;
    const std::string out = ExpandMacros(std::string(2047, '*') + "<", s);
    EXPECT_EQ(out.size(), 65536u);
    EXPECT_EQ(out.substr(0, 6), "S5AS5A");
}
