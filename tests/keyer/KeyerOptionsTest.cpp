// The options window's decisions without the window: limits, frames and keys.
#include "KeyerRig.h"

#include "logging/EntryKeys.h"
#include "settings/MainSettings.h"

#include <gtest/gtest.h>

namespace {

class KeyerOptionsTest : public KeyerRigTest {
protected:
    void SetUp() override
    {
        KeyerRigTest::SetUp();
        wk.options = &options;
        options.setView(&wk);
    }
    bool key(int code, bool ctrl = false) { return options.commandKeyDown(code, ctrl, false, false); }

    ContestState &st = rig.st;
    KeyerOptions options{rig.link};
};

TEST_F(KeyerOptionsTest, TimingBoxesKeepTheKeyersLimits)
{
    using K = KeyerOptions;
    const struct {
        K::TimingField field;
        std::string typed;
        std::optional<std::string> shownInstead;
        std::string stored;
    } cases[] = {
        {K::Lead, "300", "250", "250"},
        {K::Lead, "250", std::nullopt, "250"},
        {K::Lead, "0300", "250", "250"},
        {K::Tail, "99999999999999999999", "250", "250"},
        {K::FirstCarExt, "0", std::nullopt, "0"},
        {K::KeyComp, "16", "15", "15"},
        {K::KeyComp, "15", std::nullopt, "15"},
        {K::Ratio, "99", "67", "67"},
        {K::Ratio, "20", std::nullopt, "20"},   // no lower limit
        {K::Ratio, "0", std::nullopt, "old"},   // the box being retyped
        {K::Ratio, "", std::nullopt, "old"},
        {K::Lead, "", std::nullopt, "old"},
        {K::Lead, "12a", std::nullopt, "old"},  // pasted or hand-edited, not a number
    };
    for (const auto &c : cases) {
        std::string *stored[] = {&st.Lead, &st.Tail, &st.FirstCarExt, &st.KeyComp, &st.Ratio};
        *stored[c.field] = "old";
        EXPECT_EQ(options.timingChanged(c.field, c.typed), c.shownInstead) << c.typed;
        EXPECT_EQ(*stored[c.field], c.stored) << c.typed;
    }
}

TEST_F(KeyerOptionsTest, WriteToWinkeyerSendsNothingWhenOneValueIsNoNumber)
{
    ASSERT_TRUE(rig.openPlainPort());
    st.KeyerOnline = true;
    st.Lead = st.Tail = st.FirstCarExt = st.KeyComp = "0";
    st.Ratio = "x";
    EXPECT_THROW(options.writeToWinkeyer(), NumberConversionError);
    QTest::qWait(150);
    EXPECT_EQ(rig.sim.received(), "");
    EXPECT_TRUE(rig.pauses.empty());
}

TEST_F(KeyerOptionsTest, ModeAndSidetoneOptionsSendTheirRegisterUnderTheirGuards)
{
    // Port closed: the register is composed and kept, nothing goes out.
    options.modeOptionClicked(KeyerOptions::PaddleWatchdog, true);
    EXPECT_EQ(st.E0, 0x80);
    EXPECT_TRUE(st.PaddleWatchdog);

    // Each choice goes into its own bits of the register; the echo options are the window's test's.
    ASSERT_TRUE(rig.openPlainPort());
    options.paddleModeChosen(3);
    options.modeOptionClicked(KeyerOptions::WordSpace, false);
    options.modeOptionClicked(KeyerOptions::WordSpace, true);
    options.paddleModeChosen(1);
    options.paddleModeChosen(2);
    options.modeOptionClicked(KeyerOptions::PaddleSwap, true);
    options.modeOptionClicked(KeyerOptions::AutoSpace, true);
    options.paddleModeChosen(0);
    EXPECT_TRUE(rig.received(bytes({0x0E, 0xB0, 0x0E, 0xB1, 0x0E, 0xB0, 0x0E, 0x90, 0x0E, 0xA0, 0x0E, 0xA8,
                                    0x0E, 0xAA, 0x0E, 0x8A})))
        << rig.sim.received();
    EXPECT_EQ(st.PaddleMode, 0);
    EXPECT_TRUE(st.WordSpace && st.PaddleSwap && st.AutoSpace);

    // Sidetone waits for the keyer to be on line.
    rig.sim.clearRecords();
    options.sidetonePaddleClicked(true);
    options.sidetoneChosen(8);
    QTest::qWait(150);
    EXPECT_EQ(rig.sim.received(), "");
    EXPECT_EQ(st.Sidetone, 8);
    st.KeyerOnline = true;
    options.sidetoneChosen(0);
    EXPECT_TRUE(rig.received(bytes({0x01, 0x81})));
    EXPECT_EQ(st.R01, 0x81);
}

TEST_F(KeyerOptionsTest, SpeedGoesToTheKeyerOnlyWhileThePotDoesNotSetIt)
{
    ASSERT_TRUE(rig.openPlainPort());
    st.PaddleSpeed = "23";
    options.speedModeChosen(2);
    options.speedChanged(30);
    options.speedModeChosen(0);
    options.speedChanged(9);
    options.speedChanged(30);
    EXPECT_TRUE(rig.received(bytes({0x02, 0x00, 0x02, 30})));
    EXPECT_EQ(st.Speed, 30);
    EXPECT_EQ(rig.main.display.LSpeed, "30");
}

TEST_F(KeyerOptionsTest, CommandBoxKeys)
{
    // The speed steps themselves are the entry line's, driven end to end there.
    st.ComConnected = true;
    st.Speed = 49;
    st.SpeedStep = 2;
    EXPECT_FALSE(key(EntryKeys::PageUp));
    EXPECT_EQ(wk.edSpeed, 51);
    st.ComConnected = false;

    st.RunMode = false;
    st.EsmState = EsmStep::Logged;
    rig.main.display.LMemo = "F1";
    EXPECT_TRUE(key(EntryKeys::F10));
    EXPECT_TRUE(st.RunMode && rig.main.display.LRunIsRun);
    EXPECT_EQ(st.EsmState, EsmStep::Idle);
    EXPECT_EQ(rig.main.display.LMemo, "");

    key(EntryKeys::F11);
    EXPECT_TRUE(wk.esm && st.EnterSendMsg && rig.main.display.LESMVisible);
    key(EntryKeys::F11);
    EXPECT_FALSE(wk.esm || st.EnterSendMsg);
}

// The TUNE button and Ctrl+T (or Ctrl+F5) in the command box key the transmitter only
// once the keyer is on line; Ctrl+T is dead in phone.
TEST_F(KeyerOptionsTest, TuneOnlyOnceTheKeyerIsOnLine)
{
    ASSERT_TRUE(rig.openPlainPort());
    options.tuneClicked();
    EXPECT_TRUE(key(EntryKeys::KeyT, true));
    EXPECT_FALSE(st.TuneOn);
    st.KeyerOnline = true;
    options.tuneClicked();
    EXPECT_TRUE(st.TuneOn);
    EXPECT_EQ(wk.tuneCaption, "TUNE ON");
    EXPECT_EQ(rig.main.display.BModeColor, Colors::ColorRed);
    options.tuneClicked();
    EXPECT_FALSE(st.TuneOn);
    EXPECT_EQ(wk.tuneCaption, "TUNE");

    st.Mode = "SSB";
    EXPECT_FALSE(key(EntryKeys::F5, true));
    st.Mode = "CW";
    EXPECT_FALSE(options.commandKeyDown(EntryKeys::KeyT, true, true, false));
    EXPECT_FALSE(st.TuneOn);
    EXPECT_TRUE(key(EntryKeys::F5, true));
    EXPECT_TRUE(st.TuneOn);

    options.commandEscape();  // not sent: the link is not recorded as open
    st.ComConnected = true;
    options.commandEscape();
    EXPECT_TRUE(rig.received(bytes({0x0B, 0x01, 0x0B, 0x00, 0x0B, 0x01, 0x0A})));
}

// The position the file gives is the window's own test's concern.
TEST_F(KeyerOptionsTest, WindowFileGivesThePort)
{
    options.windowCreated();
    EXPECT_EQ(rig.port.Port(), "/dev/ttyUSB0");

    writeFileBytes(KeyerWindowFile(rig.folder),
                   "[VIEW]\r\nWKTop=40\r\nWKLeft=50\r\n[ComPort]\r\nPort=/dev/ttyUSB3\r\nBaudRate=9600\r\n");
    options.windowCreated();
    EXPECT_EQ(rig.port.Port(), "/dev/ttyUSB3");
    EXPECT_EQ(rig.port.BaudRate(), br9600);
}

} // namespace
