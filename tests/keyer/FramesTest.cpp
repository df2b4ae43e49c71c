#include "keyer/Frames.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

// The frames whose bytes no test over the keyer line sees are checked here.
TEST(Frames, ParametersOutsideAByteGoAsTheirLowByte)
{
    EXPECT_EQ(WkFrame::speedPotSetup(10, 46), bytes({0x05, 0x0A, 0x24, 0x00}));
    EXPECT_EQ(WkFrame::setWpm(300), bytes({0x02, 0x2C}));
    EXPECT_EQ(WkFrame::setWpm(-10), bytes({0x02, 0xF6}));
    EXPECT_EQ(WkFrame::bufferedSpeed(-1), bytes({0x1C, 0xFF}));
    EXPECT_EQ(WkFrame::oneParameter(0x17, 256 + 50), bytes({0x17, 50}));
    EXPECT_EQ(WkFrame::pttLeadTail(-6, 300), bytes({0x04, 0xFA, 0x2C}));
    // A maximum below the minimum gives a negative range, sent as its low byte too.
    EXPECT_EQ(WkFrame::speedPotSetup(10, 5), bytes({0x05, 0x0A, 0xFB, 0x00}));
}

TEST(Frames, ModeRegisterFromTheOptions)
{
    struct Case {
        int keyingMode, watchdogOff, echo, swap, serialEcho, autoSpace;
        bool wordSpace;
        int e0;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0, 0, true, 0},  // iambic B
        {0, 0, 0, 0, 0, 0, false, 1},
        {3, 1, 0, 0, 0, 0, true, 176},
        {1, 0, 0, 0, 0, 0, true, 16},
        {2, 0, 0, 0, 0, 0, true, 32},
        {0, 0, 1, 1, 1, 1, true, 64 + 8 + 4 + 2},
        // The value the link opens with is this same register: watchdog off, iambic A, serial echo.
        {1, 1, 0, 0, 1, 0, true, WkFrame::LinkOpenMode},
    };
    for (const Case &c : cases) {
        ModeBits bits;
        bits.setKeyingMode(c.keyingMode);
        bits.PaddleWatchdogOff = c.watchdogOff;
        bits.PaddleEcho = c.echo;
        bits.PaddleSwap = c.swap;
        bits.SerialEcho = c.serialEcho;
        bits.AutoSpace = c.autoSpace;
        bits.setWordSpaceChecked(c.wordSpace);
        EXPECT_EQ(ComposeE0(bits), c.e0) << c.e0;
    }
}

TEST(Frames, SidetoneRegister)
{
    EXPECT_EQ(ComposeR01(1, 9), 137);  // "444" on paddle only
    EXPECT_EQ(ComposeR01(0, 1), 1);    // "4000"
    EXPECT_EQ(WkFrame::sidetone(ComposeR01(0, 5)), bytes({0x01, 0x05}));
}
