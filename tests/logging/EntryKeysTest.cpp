#include "logging/Contest.h"
#include "logging/DurableFile.h"

#include "FakeMainView.h"

#include <sys/stat.h>

namespace {

// The keyer side as the entry keys see it, recording what they ask for.
class FakeKeyer : public NoKeyer {
public:
    bool open = true;
    std::string written;  // bytes written straight to the port
    std::vector<std::string> messages;

    bool portOpen() const override { return open; }
    void writeText(const std::string &bytes) override { written += bytes; }
    void sendCwMessage(const std::string &text) override { messages.push_back(text); }
    bool memoVisible() const override { return true; }
};

class EntryKeysTest : public ContestFixture {
protected:
    FakeKeyer keyer;

    EntryKeysTest()
    {
        c.setKeyer(&keyer);
        st.EModeIndex = 0;
        st.Speed = 20;
        st.SpeedStep = 1;
        st.ComConnected = true;
        st.KeyerOnline = true;
        st.RunMode = true;
        for (int i = 0; i < 9; ++i) {
            st.F[static_cast<size_t>(i)] = "RUN" + std::to_string(i + 1);
            st.Fs[static_cast<size_t>(i)] = "SP" + std::to_string(i + 1);
        }
        start();
    }
    bool key(int code, bool ctrl = false) { return c.keys.keyDown(code, ctrl, false, false); }
};

} // namespace

// The labels F10 and F11 change the keyboard tests show.
TEST_F(EntryKeysTest, FunctionKeysSendTheSetOfTheWorkingStyle)
{
    EXPECT_TRUE(key(EntryKeys::F1 + 2));
    EXPECT_EQ(st.LastKey, "F3");
    EXPECT_EQ(c.display.LMemo, "F3");
    key(EntryKeys::F10);
    EXPECT_FALSE(st.RunMode);
    key(EntryKeys::F1 + 2, true);  // with Ctrl too
    key(EntryKeys::F11);
    EXPECT_EQ(keyer.messages, (std::vector<std::string>{"RUN3", "SP3", "Z Z"}));
    st.EsmState = 1;
    key(EntryKeys::F10);
    EXPECT_TRUE(st.RunMode);
    EXPECT_EQ(st.EsmState, 0);
    EXPECT_EQ(c.display.LMemo, "");
}

// With the port closed the speed changes and nothing is sent; without the link the keys do
// nothing, the keyboard tests show.
TEST_F(EntryKeysTest, SpeedKeysWithoutAPort)
{
    keyer.open = false;
    key(EntryKeys::PageUp);
    EXPECT_EQ(st.Speed, 21);
    EXPECT_EQ(c.display.LSpeed, "21");
    EXPECT_EQ(keyer.written, "");
}

// Ctrl+T's command, the TUNE ON caption, and Esc's clearing that leaves the tune on with the
// caption TUNE, the keyboard tests show.
TEST_F(EntryKeysTest, CtrlTTunesAndEscStopsSendingButNotTheTune)
{
    view.type("S5A");
    EXPECT_TRUE(key(EntryKeys::KeyT, true));
    EXPECT_EQ(st.EnterLength, 3);
    EXPECT_TRUE(key(EntryKeys::F5, true));
    EXPECT_FALSE(st.TuneOn);
    EXPECT_EQ(keyer.written, std::string("\x0B\x01\x0B\x00", 4));

    key(EntryKeys::KeyT, true);
    st.EsmState = 1;
    st.SpStep = 3;
    st.KeyerBusy = true;
    c.display.LMemo = "F1";
    c.keys.escape();
    EXPECT_EQ(st.EsmState, 0);
    EXPECT_EQ(st.SpStep, 0);
    EXPECT_FALSE(st.KeyerBusy);
    EXPECT_EQ(c.display.LMemo, "");
    EXPECT_EQ(c.display.BModeColor, Colors::ColorGreen);

    // Offline, Ctrl+T is swallowed and does nothing.
    st.KeyerOnline = false;
    keyer.written.clear();
    EXPECT_TRUE(key(EntryKeys::KeyT, true));
    EXPECT_EQ(keyer.written, "");
}

TEST_F(EntryKeysTest, RunEsmCommitThatFailsCanBeTriedAgain)
{
    st.EnterSendMsg = true;
    view.type("S5XYZ");
    c.keys.enter();
    // The keyer has sent the call and the exchange (the keyboard tests over the keyer line follow
    // that path); the operator types the received exchange.
    st.KeyerBusy = st.CallStreaming = false;
    st.EsmState = 1;
    view.type(" 1987");
    c.myCallChanged("S5FAIL");
    ASSERT_EQ(::mkdir(c.logPath().c_str(), 0755), 0);  // a folder where the log should be
    EXPECT_THROW(c.keys.enter(), FileError);
    EXPECT_EQ(st.EsmState, 1);
    EXPECT_EQ(st.QsoCount, 0);
    c.myCallChanged("S5ABC");
    c.keys.enter();
    EXPECT_EQ(st.QsoCount, 1);
    EXPECT_EQ(keyer.messages.back(), "RUN3");
}

// The call went out and the operator corrected it with the exchange already typed: the
// other station's exchange never goes back on the air.
TEST_F(EntryKeysTest, RunEsmSendsTheCallPartOnly)
{
    st.EnterSendMsg = true;
    view.type("S51ABX 1980");
    c.keys.enter();
    EXPECT_EQ(keyer.written, "S51ABX");
    EXPECT_EQ(st.CallSent, "S51ABX");
}

// A keyer that cannot send: Enter logs a call with its exchange and says when it sent nothing.
TEST_F(EntryKeysTest, EsmWithoutAKeyerLogsAndSaysWhatItCouldNotSend)
{
    st.EnterSendMsg = true;
    const struct { bool open, online; } keyers[] = {{false, true}, {true, false}};
    for (const auto &k : keyers) {
        keyer.open = k.open;
        st.KeyerOnline = k.online;
        const int before = st.QsoCount;
        log("W1AW");
        EXPECT_EQ(c.display.LInfo1, "not sent");
        EXPECT_EQ(view.entry, "W1AW");
        log("W1AW 42");
        EXPECT_EQ(st.QsoCount, before + 1);
        EXPECT_EQ(table.row(before).Exchange, "42");
        EXPECT_EQ(view.entry, "");
    }
    EXPECT_EQ(keyer.messages.size() + keyer.written.size(), 0u);
}

TEST_F(EntryKeysTest, EsmNeverLogsFromAShortLine)
{
    st.EnterSendMsg = true;
    st.RunMode = false;
    view.type("S5XYZ 1987");
    view.setEntryText("S");  // the parts are kept, the line no longer shows them
    c.keys.enter();
    EXPECT_EQ(st.QsoCount, 0);
}
