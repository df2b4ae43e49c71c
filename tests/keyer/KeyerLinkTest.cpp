// The keyer link over a pseudo-terminal with the simulated keyer at the far end.
#include "KeyerRig.h"

#include <gtest/gtest.h>

namespace {

class KeyerLinkTest : public KeyerRigTest {
protected:
    void openLink()
    {
        rig.link.OpenKeyerLink();
        ASSERT_TRUE(waitUntil([&] { return rig.st.KeyerOnline && rig.link.display.LInfo1 == "WKConnected"; }));
        // The status timer's sidetone frame is the last the opening sends.
        ASSERT_TRUE(waitUntil([&] { return rig.sim.received().ends_with(bytes({0x01, 0x01})); }));
    }

    void expectClosed()
    {
        const WkDisplay &d = rig.link.display;
        EXPECT_EQ(d.BOpenCom, "Open Com");
        EXPECT_EQ(d.ShapeComColor, Colors::ColorRed);
        EXPECT_EQ(d.LInfo + d.LInfo1, "");
        EXPECT_FALSE(rig.st.ComConnected || rig.st.KeyerOnline);
        EXPECT_EQ(rig.st.KeyerVersion, "");
        EXPECT_EQ(rig.main.display.EWinkeyerColor, Colors::ColorRed);
    }

    ErrorReportCatcher reported;
};

// The bytes the opening sends are checked where the operator opens the port in the window.
TEST_F(KeyerLinkTest, OpeningRunsFromTheEventLoop)
{
    rig.link.OpenKeyerLink();
    // The call only starts the sequence; keys and the clock are served during its pauses.
    EXPECT_LT(rig.pauses.size(), 3u);
    EXPECT_FALSE(rig.st.ComConnected);
    ASSERT_TRUE(waitUntil([&] { return rig.st.KeyerOnline && rig.link.display.LInfo1 == "WKConnected"; }));
    EXPECT_EQ(rig.pauses, (std::vector<int>{100, 500, 200}));
}

TEST_F(KeyerLinkTest, RevisionEchoBusyAndIdleInOneChunk)
{
    ASSERT_TRUE(rig.openPlainPort());
    int batches = 0;
    auto decode = rig.port.OnRxChar;
    rig.port.OnRxChar = [&](SerialPort &port, int count) {
        ++batches;
        decode(port, count);
    };
    rig.st.KeyerBusy = true;
    rig.sim.sendRaw(bytes({23, 7, 196, 192}));
    ASSERT_TRUE(waitUntil([&] { return wk.command.ends_with(" BK"); }));
    EXPECT_EQ(batches, 1);
    EXPECT_FALSE(rig.st.KeyerBusy);
    EXPECT_EQ(rig.link.display.ShapePTTColor, Colors::ColorGreen);
    // The revision and the echo reply are shown as characters, busy and idle are not.
    EXPECT_EQ(wk.command, bytes({23, 7}) + " BK");
    EXPECT_EQ(rig.main.display.LTransmit, bytes({23, 7}));
}

TEST_F(KeyerLinkTest, SpeedPotSetsTheSpeedEverywhereInSpeedMode2)
{
    ASSERT_TRUE(rig.openPlainPort());
    rig.st.SpeedMode = 2;
    rig.sim.sendRaw(bytes({129}));
    ASSERT_TRUE(waitUntil([&] { return rig.st.PaddleSpeed == "11"; }));
    EXPECT_EQ(rig.link.display.LSpeedPaddle, "11");
    EXPECT_EQ(rig.main.display.LSpeedPaddle, "11");
    EXPECT_EQ(rig.st.Speed, 11);
    EXPECT_EQ(wk.edSpeed, 11);
    EXPECT_EQ(rig.main.display.LSpeed, "11");
}

TEST_F(KeyerLinkTest, TheCommandBoxIsEmptiedByPlusAndWhenFullAndShowsNumbersWhenAsked)
{
    ASSERT_TRUE(rig.openPlainPort());
    wk.command = "QRL?";
    rig.sim.sendRaw("TU+");
    ASSERT_TRUE(waitUntil([&] { return rig.main.display.LTransmit == "TU+"; }));
    EXPECT_EQ(wk.command, "");  // the sending line keeps the +

    // 125 characters are not over the limit; the byte after the 126th empties the box first.
    wk.command = std::string(125, 'x');
    rig.sim.sendRaw("AB");
    ASSERT_TRUE(waitUntil([&] { return rig.main.display.LTransmit == "TU+AB"; }));
    EXPECT_EQ(wk.command, "B");
    // A byte that shows nothing still empties an overlong box.
    wk.command = std::string(200, 'x');
    rig.sim.sendRaw(bytes({196}));
    EXPECT_TRUE(waitUntil([&] { return wk.command.empty(); }));

    wk.asci = true;
    rig.st.KeyerBusy = false;
    rig.sim.sendRaw(bytes({196, 'A', 43}));
    ASSERT_TRUE(waitUntil([&] { return wk.command == " 196 65 43"; })) << wk.command;
    // "+" is only a number here: nothing is emptied, and numbers never reach the sending line.
    EXPECT_EQ(rig.main.display.LTransmit, "TU+AB");
    EXPECT_TRUE(rig.st.KeyerBusy);
}

TEST_F(KeyerLinkTest, TheSendingLineKeepsOnlyItsTail)
{
    // A long paddle session: the line holds what a label can show, not the session.
    ASSERT_TRUE(rig.openPlainPort());
    std::string echo;
    for (int i = 0; i < 100; ++i)
        echo += "CQ TEST S5" + std::to_string(i) + " ";
    rig.sim.sendRaw(echo);
    ASSERT_TRUE(waitUntil([&] { return rig.main.display.LTransmit.ends_with("S599 "); }));
    EXPECT_EQ(rig.main.display.LTransmit, echo.substr(echo.size() - TransmitTail));
}

TEST_F(KeyerLinkTest, ALongMessageWaitsWhileTheKeyerSaysXoff)
{
    // The keyer holds 128 bytes and says XOFF when two thirds are taken: a message
    // written in one go would lose its middle.
    rig.sim.setBufferSize(128);
    openLink();
    rig.sim.setTimeScale(0.01);
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "TEST" + std::to_string(i) + " ";
    rig.link.SendCwMessage(text);
    EXPECT_TRUE(waitUntil([&] { return rig.sim.keyedText() == text + " "; }, 30000)) << rig.sim.keyedText();
    EXPECT_NE(rig.sim.sent().find('\xC5'), std::string::npos);  // the keyer did say XOFF
}

TEST_F(KeyerLinkTest, NoTextGoesWhileTheKeyerSaysXoffThoughRoomIsLeft)
{
    ASSERT_TRUE(rig.openPlainPort());
    rig.sim.sendRaw(bytes({0xC1}));  // idle, but XOFF
    ASSERT_TRUE(waitUntil([&] { return wk.command.ends_with(" BK"); })) << "the idle status was not decoded";
    rig.link.SendCwMessage("CQ");
    QTest::qWait(200);
    EXPECT_EQ(rig.sim.received(), "");
    rig.sim.sendRaw(bytes({0xC0}));
    EXPECT_TRUE(rig.received("CQ ")) << "after XON the keyer got \"" << rig.sim.received() << "\"";
}

TEST_F(KeyerLinkTest, ClosingSendsHostCloseOnceAndLeavesAClosedLinkAlone)
{
    // The close follows the Host Close at once; the port's close must not discard
    // what the line has not yet carried to the keyer.
    for (int round = 0; round < 100; ++round) {
        ASSERT_TRUE(rig.openPlainPort());
        rig.link.CloseKeyerLink();
        ASSERT_TRUE(rig.sim.waitUntil(
            [&](const std::string &r, const std::string &) { return r.size() == 2u * (round + 1); },
            std::chrono::seconds(3)))
            << "round " << round << ": " << rig.sim.received().size() << " bytes";
    }

    openLink();
    rig.sim.clearRecords();
    rig.link.CloseKeyerLink();
    EXPECT_FALSE(rig.port.Connected());
    // A status tick's sidetone frame may still be on its way; the Host Close comes last.
    EXPECT_TRUE(waitUntil([&] { return rig.sim.received().ends_with(bytes({0x00, 0x03})); }));
    expectClosed();
    EXPECT_EQ(rig.main.display.BModeColor, Colors::ColorWhite);

    const size_t before = rig.sim.received().size();
    rig.link.CloseKeyerLink();
    QTest::qWait(150);
    EXPECT_EQ(rig.sim.received().size(), before);
    EXPECT_TRUE(reported.messages.empty());

    // The program's end leaves host mode too, and the next start opens the link again.
    openLink();
    rig.link.leaveHostMode();
    EXPECT_TRUE(waitUntil([&] { return !rig.sim.hostOpen(); }));
    EXPECT_FALSE(rig.port.Connected());
    EXPECT_TRUE(rig.st.ComConnected);
}

// Not on line shows at a glance; a keyer that stops answering counts as gone after a few
// seconds and is back with its next byte.
TEST_F(KeyerLinkTest, AKeyerNotOnLineOrNotAnsweringShowsIt)
{
    EXPECT_EQ(rig.main.display.BModeColor, Colors::ColorWhite);
    EXPECT_NE(rig.main.display.BModeHint.find("Open Com"), std::string::npos);
    rig.link.setAnswerSlack(std::chrono::milliseconds(200));
    ASSERT_TRUE(rig.openPlainPort());  // outside host mode the keyer keys nothing and says nothing
    rig.st.KeyerOnline = rig.st.KeyerBusy = true;  // as Enter leaves them
    rig.link.SendCwMessage("E");
    ASSERT_TRUE(waitUntil([&] { return !rig.st.KeyerOnline; }, 5000)) << "the keyer never counted as silent";
    EXPECT_FALSE(rig.st.KeyerBusy);
    EXPECT_EQ(rig.main.display.BModeColor, Colors::ColorWhite);
    EXPECT_NE(rig.main.display.BModeHint.find("does not answer"), std::string::npos);
    rig.sim.sendRaw(bytes({192}));
    ASSERT_TRUE(waitUntil([&] { return rig.st.KeyerOnline; })) << "the keyer's byte did not bring it back";
    EXPECT_EQ(rig.main.display.BModeColor, Colors::ColorGreen);
}

TEST_F(KeyerLinkTest, TheStatusTickStoresTheSidetoneItSends)
{
    ASSERT_TRUE(rig.openPlainPort());
    rig.st.R01 = 99;
    rig.st.Sidetone = 8;
    rig.link.registers.paddleOnly = 1;
    rig.link.TimerReadWKTimer();
    EXPECT_TRUE(rig.received(bytes({0x01, 0x89})));
    EXPECT_EQ(rig.st.R01, 0x89);
}

TEST_F(KeyerLinkTest, UnpluggedKeyerClosesTheLinkWithoutAWriteAndOpensAgainOncePluggedIn)
{
    openLink();
    rig.sim.unplug();
    ASSERT_TRUE(waitUntil([&] { return !rig.port.Connected(); }));
    expectClosed();
    // A Host Close written to the gone device would have failed and been reported.
    EXPECT_TRUE(reported.messages.empty()) << reported.messages.front();

    // Plugged in again, the keyer comes back on a new line.
    ASSERT_TRUE(waitUntil([&] { return !rig.sim.running(); }));
    std::string error;
    ASSERT_TRUE(rig.sim.start(&error)) << error;
    rig.port.SetPort(rig.sim.slavePath());
    openLink();
}

} // namespace
