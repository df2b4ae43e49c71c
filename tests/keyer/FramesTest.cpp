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
