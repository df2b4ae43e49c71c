#include "keyer/Macros.h"

#include "settings/MainSettings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

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

TEST(Macros, Compose)
{
    struct Case {
        std::function<void(ContestState &)> set;
        std::string memory, sent;
    };
    const auto cut = [](bool n, bool t, bool o) {
        return [=](ContestState &s) { s.Short9N = n; s.Short0T = t; s.Short0O = o; };
    };
    const auto speed = [](int wpm, int mode = 1) {
        return [=](ContestState &s) { s.Speed = wpm; s.SpeedMode = mode; };
    };
    const Case cases[] = {
        // Cut numbers touch only digits written in the message.
        {cut(true, false, false), "599 #", "5NN 95 "},  // the licence year keeps its 9
        {cut(true, true, true), "*", "S50A "},  // the call keeps its 0
        {cut(true, true, true), "100 !", "1TT S59ABC "},  // with both 0-flags, T wins
        {cut(true, false, true), "100", "1OO "},
        {cut(false, false, false), "5990", "5990 "},
        {nullptr, "<*>%", bytes({0x1C, 0x1D}) + "S50A" + bytes({0x1C, 0x13, 0x1E}) + " "},
        {speed(3), ">", bytes({0x1C, 0xFE, ' '})},  // the low byte of a speed below zero
        // 32 + 5 is '%' and 67 - 5 is '>': each must stay the parameter of its 1C.
        {speed(32), "<E%", bytes({0x1C, 37, 'E', 0x1E, ' '})},
        {speed(57), "<E", bytes({0x1C, 62, 'E', ' '})},
        {speed(42), ">E", bytes({0x1C, 37, 'E', ' '})},
        // "~" is the next QSO's serial as Cabrillo writes it, cut as the message's own digits.
        {[](ContestState &s) { s.QsoCount = 8; s.Short9N = s.Short0O = true; }, "599 ~", "5NN OON "},
        {[](ContestState &s) { s.QsoCount = 12344; }, "~", "12345 "},
        // Macro values are text.
        {[](ContestState &s) { s.MyCall = "!#"; }, "*", "!# "},
        {[](ContestState &s) { s.MyCall = "<"; }, "*", "< "},
        {[](ContestState &s) { s.LastCall = "*"; }, "$", "* "},
        {speed(20, 0), "CQ", bytes({0x02, 0x14}) + "CQ "},
        {speed(20, 0), "", bytes({0x02, 0x14}) + "? "},
        {speed(20, 2), "CQ", "CQ "},
        {nullptr, "", "? "},  // an empty memory sends a question mark
        {nullptr, " ", "  "},
        {nullptr, "\xC8" "E\x8A" "KA", "\xC8" "E\x8A" "KA "},  // Windows-1250 letters pass untouched
        {[](ContestState &s) { s = ContestState(); s.Speed = 20; s.SpeedMode = 1; }, "*!#$", " "},
        // The message ends at its limit, never inside a speed frame.
        {nullptr, std::string(MessageLimit - 2, 'E') + "<", std::string(MessageLimit - 2, 'E') + bytes({0x1C, 0x1D})},
        {nullptr, std::string(MessageLimit - 1, 'E') + "<", std::string(MessageLimit - 1, 'E')},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.memory.substr(0, 40));
        ContestState s = cwState();
        if (c.set)
            c.set(s);
        EXPECT_EQ(ComposeCwMessage(c.memory, s), c.sent);
    }
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
