#include "keyer/KeyerDecoder.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Effects = std::vector<std::string>;

// Every effect of the bytes in order, the command box short and showing characters:
// the box's own cases run through the keyer link.
Effects decode(const std::string &bytes, ContestState &state)
{
    Effects effects;
    for (unsigned char b : bytes)
        DecodeKeyerByte(b, state, {}, [&](const KeyerEffect &e) { effects.push_back(describe(e)); });
    return effects;
}

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
    EXPECT_EQ(decode(GetParam().input, state), GetParam().expected);
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
    {"BytesNotShownAsCharacters", bytes({0, 1, 2, 12, 20, 100, 127, 195, 199}), nullptr,
     {"BreakIn(Pad)", "BreakIn(Pad)"}},  // break-in, one with XOFF
    {"ShownRangeEdges", bytes({3, 9, 21, 99, 200, 255}),
     [](ContestState &s) { s.KeyerVersion = "2"; },
     {"AppendCommand(\\x03)", "AppendTransmit(\\x03)", "AppendCommand(\\x09)",
      "AppendTransmit(\\x09)", "AppendCommand(\\x15)", "AppendTransmit(\\x15)",
      "AppendCommand(c)", "AppendTransmit(c)", "Tune(TUNE)",  // 200 is a status byte
      "AppendCommand(\\xFF)", "AppendTransmit(\\xFF)"}},
    {"BreakInSpeedMode0SendsPaddleSpeed", bytes({198}),
     [](ContestState &s) { s.SpeedMode = 0; s.PaddleSpeed = "25"; },
     {"Write(02 19)", "BreakIn(Pad)"}},
    {"BreakInSpeedMode0WithoutPotReading", bytes({198}),
     [](ContestState &s) { s.SpeedMode = 0; s.PaddleSpeed.clear(); },
     {"Write(02 0A)", "BreakIn(Pad)"}},
    // The pot itself sets the speed in mode 2: a speed frame would fight it.
    {"BreakInSpeedMode2SendsNoSpeed", bytes({198}), [](ContestState &s) { s.SpeedMode = 2; s.PaddleSpeed = "25"; },
     {"BreakIn(Pad)"}},
    // Every byte 0xC0..0xDF is a status byte, never text: waiting and key down included.
    {"StatusBytesAreNeverText", bytes({216, 0xD0, 0xDF, 0xE0}), nullptr,
     {"Tune(TUNE)", "Busy", "Tune(TUNE)", "AppendCommand(\\xE0)", "AppendTransmit(\\xE0)"}},
    // Status bytes by their bits: XOFF (1) rides on the others and loses none of them.
    {"BusyWithXoff", bytes({0xC5}), nullptr, {"Busy"}},
    {"BreakInWithXoff", bytes({0xC7}), nullptr, {"BreakIn(Pad)"}},
    {"IdleWithXoff", bytes({0xC1}), nullptr, {"Idle", "AppendCommand( BK)"}},
    {"IdleAfterLiveCallInSpSendsSpExchange", bytes({192}),
     [](ContestState &s) { s.CallStreaming = true; s.RunMode = false; s.F[1] = "5NN #"; s.Fs[1] = "TU 5NN #"; },
     {"Idle", "AppendCommand( BK)", "SendMessage( TU 5NN #)", "EntryBlank"}},
};

INSTANTIATE_TEST_SUITE_P(KeyerDecoder, ByteTable, ::testing::ValuesIn(byteCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace

TEST(KeyerDecoder, TuneEndsWithIdle)
{
    ContestState s;
    s.LastKey = "F1";
    decode(bytes({196, 216}), s);
    EXPECT_TRUE(s.TuneOn);
    decode(bytes({192}), s);
    EXPECT_FALSE(s.KeyerBusy);
    EXPECT_FALSE(s.TuneOn);
    EXPECT_EQ(s.LastKey, "");
}
