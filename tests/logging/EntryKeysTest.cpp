#include "logging/Contest.h"
#include "logging/DurableFile.h"

#include "FakeMainView.h"

#include <sys/stat.h>

#include <algorithm>
#include <tuple>

namespace {

// The keyer side as the entry keys see it, recording what they ask for.
class FakeKeyer : public NoKeyer {
public:
    bool open = true;
    std::string written;  // text written straight to the port
    std::vector<std::string> commands;
    std::vector<std::string> messages;

    bool portOpen() const override { return open; }
    void writeText(const std::string &bytes) override { written += bytes; }
    void keyTransmitter(bool down) override { commands.push_back(down ? "key down" : "key up"); }
    void setSpeed(int wpm) override { commands.push_back("speed " + std::to_string(wpm)); }
    void sendCwMessage(const std::string &text) override { messages.push_back(text); }
    bool memoVisible() const override { return true; }
};

class EntryKeysTest : public ContestFixture {
protected:
    FakeKeyer keyer;

    EntryKeysTest()
    {
        c.setKeyer(&keyer);
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
    st.EsmState = EsmStep::AwaitingExchange;
    key(EntryKeys::F10);
    EXPECT_TRUE(st.RunMode);
    EXPECT_EQ(st.EsmState, EsmStep::Idle);
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
    EXPECT_EQ(keyer.commands, std::vector<std::string>{});
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
    EXPECT_EQ(keyer.commands, (std::vector<std::string>{"key down", "key up"}));

    key(EntryKeys::KeyT, true);
    st.EsmState = EsmStep::AwaitingExchange;
    st.SpStep = SpStage::AskedRepeat;
    st.KeyerBusy = true;
    c.display.LMemo = "F1";
    c.keys.escape();
    EXPECT_EQ(st.EsmState, EsmStep::Idle);
    EXPECT_EQ(st.SpStep, SpStage::Start);
    EXPECT_FALSE(st.KeyerBusy);
    EXPECT_EQ(c.display.LMemo, "");
    EXPECT_EQ(c.display.BModeColor, Colors::ColorGreen);

    // Offline, Ctrl+T is swallowed and does nothing.
    st.KeyerOnline = false;
    keyer.commands.clear();
    EXPECT_TRUE(key(EntryKeys::KeyT, true));
    EXPECT_EQ(keyer.commands, std::vector<std::string>{});
}

TEST_F(EntryKeysTest, RunEsmCommitThatFailsCanBeTriedAgain)
{
    st.EnterSendMsg = true;
    view.type("S5XYZ");
    c.keys.enter();
    // The keyer has sent the call and the exchange (the keyboard tests over the keyer line follow
    // that path); the operator types the received exchange.
    st.KeyerBusy = st.CallStreaming = false;
    st.EsmState = EsmStep::AwaitingExchange;
    view.type(" 1987");
    c.myCallChanged("S5FAIL");
    ASSERT_EQ(::mkdir(c.logPath().c_str(), 0755), 0);  // a folder where the log should be
    EXPECT_THROW(c.keys.enter(), FileError);
    EXPECT_EQ(st.EsmState, EsmStep::AwaitingExchange);
    EXPECT_EQ(st.QsoCount, 0);
    c.myCallChanged("S5ABC");
    c.keys.enter();
    EXPECT_EQ(st.QsoCount, 1);
    EXPECT_EQ(keyer.messages.back(), "RUN3");
}

namespace {

// The keyer as a case of Enter finds it.
enum class Keyer { Free, Busy, Closed, Offline, EsmOff, Phone };

// One Enter: the situation set up, and what must follow. S/P sends the Run set's F2, F4
// and F7, as the cut numbers are set up for those.
struct EnterCase {
    const char *rule;  // the row of EnterRules() that must take it; "" for none
    Keyer keyer;
    bool run;
    EsmStep esm;
    SpStage sp;
    bool due;
    const char *typed;
    const char *shown;  // the line as Enter finds it, not split again; nullptr: as typed
    std::vector<std::string> messages;
    std::string written;
    std::string lineAfter;
};

using ES = EsmStep;
using SS = SpStage;
const EnterCase kEnterCases[] = {
    {"Run, exchange in: log and thank", Keyer::Free, true, ES::AwaitingExchange, SS::Start, false, "S5XYZ 1987", nullptr, {"RUN3"}, "", ""},
    {"S/P, exchange armed: send it", Keyer::Free, false, ES::Idle, SS::Going, true, "S5XYZ", nullptr, {"RUN2"}, "", "S5XYZ"},
    {"S/P, exchange in before the own call: log, call", Keyer::Free, false, ES::Idle, SS::Start, false, "S5XYZ 1987", nullptr, {"RUN4"}, "", ""},
    {"S/P, exchange in: log", Keyer::Free, false, ES::Idle, SS::Going, false, "S5XYZ 1987", nullptr, {}, "", ""},
    {"S/P, call without exchange: ask for a repeat", Keyer::Free, false, ES::Idle, SS::Going, false, "S5XYZ", nullptr, {"RUN7"}, "", "S5XYZ"},
    // A call and exchange kept from a longer line are not what the line shows.
    {"S/P, call without exchange: ask for a repeat", Keyer::Free, false, ES::Idle, SS::Start, false, "S5XYZ 1987", "S", {"RUN7"}, "", "S"},
    // The corrected call goes out, never the exchange typed behind it.
    {"Run, a call: send it", Keyer::Free, true, ES::Idle, SS::Start, false, "S51ABX 1980", nullptr, {}, "S51ABX", "S51ABX 1980"},
    {"Run, call sent: the exchange again", Keyer::Free, true, ES::AwaitingExchange, SS::Start, false, "S5XYZ ", nullptr, {"RUN2"}, "", "S5XYZ "},
    {"S/P, empty line: own call", Keyer::Free, false, ES::Idle, SS::Start, false, "", nullptr, {"RUN4"}, "", ""},
    {"S/P, a line with nothing to log: own call", Keyer::Free, false, ES::Idle, SS::Start, false, "S5XYZ 1987", " ", {"RUN4"}, "", " "},
    {"Run, empty line: CQ", Keyer::Free, true, ES::Idle, SS::Start, false, "", nullptr, {"RUN1"}, "", ""},
    {"CW without ESM: log call and exchange", Keyer::EsmOff, true, ES::Idle, SS::Start, false, "S5XYZ 1987", nullptr, {}, "", ""},
    {"ESM without a keyer: log call and exchange", Keyer::Closed, true, ES::Idle, SS::Start, false, "W1AW 42", nullptr, {}, "", ""},
    {"ESM without a keyer: log call and exchange", Keyer::Offline, false, ES::Idle, SS::Start, false, "W1AW 42", nullptr, {}, "", ""},
    {"ESM without a keyer, nothing to log: say so", Keyer::Offline, true, ES::Idle, SS::Start, false, "W1AW", nullptr, {}, "", "W1AW"},
    {"ESM without a keyer, nothing to log: say so", Keyer::Closed, false, ES::Idle, SS::Start, false, "", nullptr, {}, "", ""},
    {"Phone: log the line", Keyer::Phone, true, ES::Idle, SS::Start, false, "S5XYZ", nullptr, {}, "", ""},
    {"", Keyer::Busy, true, ES::Idle, SS::Start, false, "S5XYZ 1987", nullptr, {}, "", "S5XYZ 1987"},
    {"", Keyer::EsmOff, true, ES::Idle, SS::Start, false, "S5XYZ", nullptr, {}, "", "S5XYZ"},
    {"", Keyer::Free, true, ES::AwaitingExchange, SS::Start, false, "S5", nullptr, {}, "", "S5"},
    {"", Keyer::EsmOff, true, ES::Idle, SS::Start, false, "S5XX 5", "S5YY", {}, "", "S5YY"},
    {"", Keyer::Phone, true, ES::Idle, SS::Start, false, "S5XX 5", "S", {}, "", "S"},
    {"Phone: log the line", Keyer::Phone, true, ES::Idle, SS::Start, false, "S5XX 5", "S5PH", {}, "", ""},
};

const EnterRule *ruleNamed(const std::string &name)
{
    for (const EnterRule &rule : EnterRules())
        if (name == rule.name)
            return &rule;
    return nullptr;
}

} // namespace

// Every row of the rules has its case, and each case ends as its row says: the messages, the
// bytes straight to the port, the line, whether it logged, and the ESM and S/P steps after.
TEST_F(EntryKeysTest, EnterFollowsItsRulesRowByRow)
{
    for (const EnterRule &rule : EnterRules()) {
        const auto has = [&](const EnterCase &c) { return c.rule == std::string(rule.name); };
        EXPECT_TRUE(std::any_of(std::begin(kEnterCases), std::end(kEnterCases), has)) << "no case for " << rule.name;
    }
    for (const EnterCase &k : kEnterCases) {
        SCOPED_TRACE(std::string(k.rule) + " / " + k.typed);
        const EnterRule *rule = *k.rule ? ruleNamed(k.rule) : nullptr;
        ASSERT_TRUE(rule || !*k.rule) << "no such rule";
        view.setEntryText("");
        keyer = FakeKeyer();
        keyer.open = k.keyer != Keyer::Closed;
        st.KeyerOnline = k.keyer != Keyer::Offline;
        st.EnterSendMsg = k.keyer != Keyer::EsmOff;
        st.Mode = k.keyer == Keyer::Phone ? "SSB" : "CW";
        st.RunMode = k.run;
        st.CallStreaming = false;
        view.type(k.typed);
        view.entry = k.shown ? k.shown : k.typed;
        const size_t blank = view.entry.find(' ');
        const std::string shownExchange = blank == std::string::npos ? "" : view.entry.substr(blank + 1);
        st.KeyerBusy = k.keyer == Keyer::Busy;
        std::tie(st.EsmState, st.SpStep, st.SpExchangeDue) = std::tuple(k.esm, k.sp, k.due);
        c.display.LInfo1.clear();
        const int count = st.QsoCount;

        c.keys.enter();
        const bool logs = rule && rule->logs();
        ASSERT_EQ(st.QsoCount, count + (logs ? 1 : 0));
        if (logs) {
            EXPECT_EQ(table.row(count).Exchange, shownExchange);  // what the line showed
        }
        EXPECT_EQ(keyer.messages, k.messages);
        EXPECT_EQ(keyer.written, k.written);
        EXPECT_EQ(view.entry, k.lineAfter);
        EXPECT_EQ(c.display.LInfo1 == "not sent", rule && rule->steps[0] == EnterStep::SayNotSent);
        EXPECT_EQ(st.EsmState, logs ? EsmStep::Idle : k.esm);
        EXPECT_EQ(st.SpStep, rule && rule->spAfter ? *rule->spAfter : k.sp);
        EXPECT_EQ(st.SpExchangeDue, rule && rule->exchangeDueAfter ? *rule->exchangeDueAfter : k.due);
    }
}
