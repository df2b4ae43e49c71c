#include "keyer/KeyerDecoder.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// The two echo boxes as a window keeps them, and every effect in order.
struct FakeWindows {
    std::string ECommand;
    std::string LTransmit;
    bool cASCI = false;
    std::vector<std::string> effects;

    void feed(const std::string &bytes, ContestState &state)
    {
        for (unsigned char b : bytes) {
            const KeyerDisplay display{static_cast<int>(ECommand.size()), cASCI};
            DecodeKeyerByte(b, state, display, [&](const KeyerEffect &e) {
                effects.push_back(describe(e));
                if (e.kind == KeyerEffect::AppendCommand)
                    ECommand += e.text;
                else if (e.kind == KeyerEffect::ClearCommand)
                    ECommand.clear();
                else if (e.kind == KeyerEffect::AppendTransmit)
                    LTransmit += e.text;
            });
        }
    }
};

using Effects = std::vector<std::string>;

struct ByteCase {
    const char *name;
    std::string input;
    std::function<void(ContestState &)> setup;
    Effects expected;
};

void PrintTo(const ByteCase &c, std::ostream *out) { *out << c.name; }

class ByteTable : public ::testing::TestWithParam<ByteCase> {};

TEST_P(ByteTable, Effects)
{
    ContestState state;
    state.PaddleSpeed = "10";
    state.SpeedMode = 1;
    if (GetParam().setup)
        GetParam().setup(state);
    FakeWindows w;
    w.feed(GetParam().input, state);
    EXPECT_EQ(w.effects, GetParam().expected);
}

const ByteCase byteCases[] = {
    {"RevisionOneAndThree", bytes({10}), nullptr, {"Revision(Winkeyer 1 - Open)"}},
    {"RevisionThirtyOne", bytes({31}), nullptr,
     {"AppendCommand(\\x1F)", "AppendTransmit(\\x1F)", "Revision(Winkeyer 3 - Open)"}},
    {"SecondRevisionOnlyEchoes", bytes({23, 23}), nullptr,
     {"AppendCommand(\\x17)", "AppendTransmit(\\x17)", "Revision(Winkeyer 2 - Open)",
      "AppendCommand(\\x17)", "AppendTransmit(\\x17)"}},
    {"RevisionAfterVersionKnownIgnored", bytes({11, 22}),
     [](ContestState &s) { s.KeyerVersion = "2"; },
     {"AppendCommand(\\x16)", "AppendTransmit(\\x16)"}},
    {"SpeedPotEdges", bytes({128, 129, 189, 190, 191}), nullptr,
     {"PaddleSpeed(11)", "PaddleSpeed(71)"}},
    {"SpeedPotSetsSpeedInMode2", bytes({148}), [](ContestState &s) { s.SpeedMode = 2; },
     {"PaddleSpeed(30)", "Speed(30)"}},
    {"EchoedTextAndEndOfMessage", "CQ+", nullptr,
     {"AppendCommand(C)", "AppendTransmit(C)", "AppendCommand(Q)", "AppendTransmit(Q)",
      "AppendCommand(+)", "AppendTransmit(+)", "ClearCommand"}},
    {"BytesNotShownAsCharacters", bytes({0, 1, 2, 12, 20, 100, 127, 195, 199}), nullptr,
     {"BreakIn(Pad)", "BreakIn(Pad)"}},  // break-in, one with XOFF
    {"ShownRangeEdges", bytes({3, 9, 21, 99, 200, 255}),
     [](ContestState &s) { s.KeyerVersion = "2"; },
     {"AppendCommand(\\x03)", "AppendTransmit(\\x03)", "AppendCommand(\\x09)",
      "AppendTransmit(\\x09)", "AppendCommand(\\x15)", "AppendTransmit(\\x15)",
      "AppendCommand(c)", "AppendTransmit(c)", "AppendCommand(\\xC8)", "AppendTransmit(\\xC8)", "Tune(TUNE)",
      "AppendCommand(\\xFF)", "AppendTransmit(\\xFF)"}},
    {"BreakInSpeedMode0SendsPaddleSpeed", bytes({198}),
     [](ContestState &s) { s.SpeedMode = 0; s.PaddleSpeed = "25"; },
     {"Write(02 19)", "BreakIn(Pad)"}},
    {"BreakInSpeedMode0WithoutPotReading", bytes({198}),
     [](ContestState &s) { s.SpeedMode = 0; s.PaddleSpeed.clear(); },
     {"Write(02 0A)", "BreakIn(Pad)"}},
    {"BreakInSpeedMode1", bytes({198}), [](ContestState &s) { s.SpeedMode = 1; }, {"BreakIn(Pad)"}},
    {"TuneIsAlsoShownAsCharacter", bytes({216}), nullptr,
     {"AppendCommand(\\xD8)", "AppendTransmit(\\xD8)", "Tune(TUNE)"}},
    // Status bytes by their bits: XOFF (1) rides on the others and loses none of them.
    {"BusyWithXoff", bytes({0xC5}), nullptr, {"Busy"}},
    {"BreakInWithXoff", bytes({0xC7}), nullptr, {"BreakIn(Pad)"}},
    {"IdleWithXoff", bytes({0xC1}), nullptr, {"Idle", "AppendCommand( BK)"}},
    {"IdleAfterLiveCallInSpSendsSpExchange", bytes({192}),
     [](ContestState &s) { s.CallStreaming = true; s.RunMode = false; s.F[1] = "5NN #"; s.Fs[1] = "TU 5NN #"; },
     {"Idle", "AppendCommand( BK)", "SendMessage( TU 5NN #)", "EntryBlank"}},
    {"SecondIdleSendsNoSecondExchange", bytes({192, 192}),
     [](ContestState &s) { s.CallStreaming = true; s.RunMode = true; },
     {"Idle", "AppendCommand( BK)", "SendMessage( )", "EntryBlank", "Idle", "AppendCommand( BK)"}},
};

INSTANTIATE_TEST_SUITE_P(KeyerDecoder, ByteTable, ::testing::ValuesIn(byteCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace

TEST(KeyerDecoder, TuneEndsWithIdle)
{
    ContestState s;
    s.LastKey = "F1";
    FakeWindows w;
    w.feed(bytes({196, 216}), s);
    EXPECT_TRUE(s.TuneOn);
    w.feed(bytes({192}), s);
    EXPECT_FALSE(s.KeyerBusy);
    EXPECT_FALSE(s.TuneOn);
    EXPECT_EQ(s.LastKey, "");
}

TEST(KeyerDecoder, NumbersInsteadOfCharactersWhenAsciChecked)
{
    ContestState s;
    FakeWindows w;
    w.cASCI = true;
    w.feed(bytes({196, 'A', 43}), s);
    EXPECT_TRUE(s.KeyerBusy);
    EXPECT_EQ(w.ECommand, " 196 65 43");  // "+" is only a number here: nothing is emptied
    EXPECT_EQ(w.LTransmit, "");
}

TEST(KeyerDecoder, LongCommandBoxIsEmptiedBeforeTheNextByte)
{
    ContestState s;
    FakeWindows w;
    w.ECommand = std::string(125, 'x');
    w.feed("A", s);
    EXPECT_EQ(w.ECommand.size(), 126u);  // 125 is not over the limit
    w.feed("B", s);
    EXPECT_EQ(w.ECommand, "B");
    // A byte that shows nothing still empties an overlong box.
    w.ECommand = std::string(200, 'x');
    w.feed(bytes({196}), s);
    EXPECT_EQ(w.ECommand, "");
}

