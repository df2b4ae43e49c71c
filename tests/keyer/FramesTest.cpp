#include "keyer/Frames.h"

#include <gtest/gtest.h>

namespace {
std::string b(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}
} // namespace

TEST(Frames, EveryFrameHasTheProtocolBytes)
{
    EXPECT_EQ(WkFrame::hostOpen(), b({0x00, 0x02}));
    EXPECT_EQ(WkFrame::hostClose(), b({0x00, 0x03}));
    EXPECT_EQ(WkFrame::echoTest(), b({0x00, 0x04, 0x07}));
    EXPECT_EQ(WkFrame::sidetone(137), b({0x01, 0x89}));
    EXPECT_EQ(WkFrame::setWpm(20), b({0x02, 0x14}));
    EXPECT_EQ(WkFrame::setWpm(0), b({0x02, 0x00}));
    EXPECT_EQ(WkFrame::pttLeadTail(250, 0), b({0x04, 0xFA, 0x00}));
    EXPECT_EQ(WkFrame::speedPotSetup(10, 46), b({0x05, 0x0A, 0x24, 0x00}));
    EXPECT_EQ(WkFrame::clearBuffer(), b({0x0A}));
    EXPECT_EQ(WkFrame::keyImmediate(true), b({0x0B, 0x01}));
    EXPECT_EQ(WkFrame::keyImmediate(false), b({0x0B, 0x00}));
    EXPECT_EQ(WkFrame::setMode(WkFrame::LinkOpenMode), b({0x0E, 0x94}));
    EXPECT_EQ(WkFrame::firstExtension(250), b({0x10, 0xFA}));
    EXPECT_EQ(WkFrame::keyCompensation(15), b({0x11, 0x0F}));
    EXPECT_EQ(WkFrame::ditDahRatio(67), b({0x17, 0x43}));
    EXPECT_EQ(WkFrame::bufferedSpeed(29), b({0x1C, 0x1D}));
    EXPECT_EQ(WkFrame::cancelBufferedSpeed(), b({0x1E}));
}

TEST(Frames, ParametersOutsideAByteGoAsTheirLowByte)
{
    EXPECT_EQ(WkFrame::setWpm(300), b({0x02, 0x2C}));
    EXPECT_EQ(WkFrame::setWpm(-10), b({0x02, 0xF6}));
    EXPECT_EQ(WkFrame::bufferedSpeed(-1), b({0x1C, 0xFF}));
    EXPECT_EQ(WkFrame::oneParameter(0x17, 256 + 50), b({0x17, 50}));
    EXPECT_EQ(WkFrame::pttLeadTail(-6, 300), b({0x04, 0xFA, 0x2C}));
    // A maximum below the minimum gives a negative range, sent as its low byte too.
    EXPECT_EQ(WkFrame::speedPotSetup(10, 5), b({0x05, 0x0A, 0xFB, 0x00}));
}

TEST(Frames, WriteToWinkeyerSendsTheTimingFramesInOrder)
{
    const auto frames = WkFrame::writeToWinkeyer(250, 0, 40, 15, 67);
    EXPECT_EQ(frames[0], b({0x04, 0xFA, 0x00}));
    EXPECT_EQ(frames[1], b({0x10, 0x28}));
    EXPECT_EQ(frames[2], b({0x11, 0x0F}));
    EXPECT_EQ(frames[3], b({0x17, 0x43}));
}

TEST(Frames, ModeRegisterFromTheOptions)
{
    ModeBits bits;
    bits.setKeyingMode(0);  // Iambic B
    bits.setWordSpaceChecked(true);
    EXPECT_EQ(ComposeE0(bits), 0);
    bits.setWordSpaceChecked(false);
    EXPECT_EQ(ComposeE0(bits), 1);

    ModeBits bug;
    bug.setKeyingMode(3);
    bug.PaddleWatchdogOff = 1;
    bug.setWordSpaceChecked(true);
    EXPECT_EQ(ComposeE0(bug), 176);

    ModeBits each;
    each.setKeyingMode(1);
    EXPECT_EQ(ComposeE0(each), 16);
    each.setKeyingMode(2);
    EXPECT_EQ(ComposeE0(each), 32);
    each.setKeyingMode(0);
    each.PaddleEcho = 1;
    each.PaddleSwap = 1;
    each.SerialEcho = 1;
    each.AutoSpace = 1;
    EXPECT_EQ(ComposeE0(each), 64 + 8 + 4 + 2);

    // The value the link opens with is this same register: watchdog off, iambic A, serial echo.
    ModeBits open;
    open.PaddleWatchdogOff = 1;
    open.setKeyingMode(1);
    open.SerialEcho = 1;
    EXPECT_EQ(ComposeE0(open), WkFrame::LinkOpenMode);
}

TEST(Frames, SidetoneRegister)
{
    EXPECT_EQ(ComposeR01(1, 9), 137);  // "444" on paddle only
    EXPECT_EQ(ComposeR01(0, 1), 1);    // "4000"
    EXPECT_EQ(WkFrame::sidetone(ComposeR01(0, 5)), b({0x01, 0x05}));
}
