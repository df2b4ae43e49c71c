// The simulated keyer where the keyer link never takes it: parameters that look like
// text, buffered speeds, the operator at the paddle and the knob. Host mode, the echo
// test, status bytes, XOFF and the unplugged keyer are proven through the link.
#include "KeyerRig.h"

#include <gtest/gtest.h>

#include <functional>

using namespace std::chrono_literals;

namespace {

class WinKeyerSimTest : public KeyerRigTest {
protected:
    // Frames straight to the keyer, acted on before the test goes on.
    void write(const std::string &frames)
    {
        written += frames;
        rig.port.WriteText(frames);
        ASSERT_TRUE(rig.sim.waitForReceived(written.size(), 3000ms));
    }
    // What the keyer said since the last call, once it said at least count bytes.
    std::string said(size_t count)
    {
        rig.sim.waitForSent(heard + count, 3000ms);
        const std::string fresh = rig.sim.sent().substr(heard);
        heard += fresh.size();
        return fresh;
    }
    // "A20 B30": the characters keyed since the first `from`, each with its speed.
    std::string keyedSince(size_t from)
    {
        std::string out;
        const auto keyed = rig.sim.keyed();
        for (size_t i = from; i < keyed.size(); ++i)
            out += (i > from ? " " : "") + std::string(1, keyed[i].character)
                   + std::to_string(keyed[i].wpm);
        return out;
    }

    std::string written;
    size_t heard = 0;
};

TEST_F(WinKeyerSimTest, MessagesAreKeyedAtTheirSpeedAndParametersNeverAsText)
{
    ASSERT_TRUE(rig.openPlainPort());
    write(bytes({0x00, 0x02}));
    ASSERT_EQ(said(1), bytes({23}));
    const auto busy = [](const std::string &echo) { return bytes({196}) + echo + bytes({192}); };
    struct Message {
        const char *name;
        std::string frames, reply, keyed;
    };
    const Message messages[] = {
        // Each parameter is a printable character; the echo test's J comes only if all were
        // taken as such.
        {"parameters",
         bytes({0x02, 'A', 0x04, 'B', 'C', 0x05, 'D', 'E', 0x00, 0x10, 'F', 0x11, 'G', 0x17, 'H',
                0x01, 'I', 0x0E, 0x94, 0x00, 0x04, 'J', 0x0F})
             + std::string(15, 'K') + "E",
         "J" + busy("E"), "E65"},
        // A speed byte that reads as '>' is still a speed.
        {"buffered speeds",
         bytes({0x02, 20}) + "A" + bytes({0x1C, 30}) + "B" + bytes({0x1C, 0x3E}) + "C"
             + bytes({0x1E}) + "D",
         busy("ABCD"), "A20 B30 C62 D20"},
        // A buffered speed lasts only for the message it came with.
        {"buffered speed", bytes({0x1C, 40}) + "E", busy("E"), "E40"},
        {"the message after it", "T", busy("T"), "T20"},
    };
    for (const Message &m : messages) {
        SCOPED_TRACE(m.name);
        const size_t before = rig.sim.keyed().size();
        write(m.frames);
        EXPECT_EQ(said(m.reply.size()), m.reply);
        EXPECT_EQ(keyedSince(before), m.keyed);
    }
}

// What the keyer says on its own: each step's action, then the host's bytes, then the reply.
TEST_F(WinKeyerSimTest, PaddleAndKnobBytes)
{
    rig.sim.setTimeScale(1);  // the text is still being keyed when the paddle breaks in
    ASSERT_TRUE(rig.openPlainPort());
    rig.sim.turnKnob(30);  // before host mode: the keyer says nothing
    write(bytes({0x00, 0x02}));
    ASSERT_EQ(said(1), bytes({23}));
    struct Step {
        std::function<void()> act;
        std::string write, reply;
    };
    const auto knob = [&](int wpm) { return [this, wpm] { rig.sim.turnKnob(wpm); }; };
    const Step steps[] = {
        {[&] { rig.sim.touchPaddle(); }, "", bytes({198})},
        {[&] { rig.sim.releasePaddle(); }, "", bytes({192})},
        {nullptr, bytes({0x02, 20}) + "TEST TEST TEST", bytes({196})},
        {[&] { rig.sim.touchPaddle(); }, "", bytes({198})},
        {[&] { rig.sim.releasePaddle(); }, "", bytes({192})},  // the rest of the text is dropped
        {knob(11), "", bytes({129})},
        {knob(30), "", bytes({148})},
        {nullptr, bytes({0x07}), bytes({148})},  // the host may ask for the pot too
        {nullptr, bytes({0x05, 15, 20, 0}), ""},
        {knob(20), "", bytes({128 + 5})},
        {knob(60), "", bytes({128 + 20})},  // the knob's end: 15 + 20
        {knob(5), "", bytes({128})},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(written.size());
        if (step.act)
            step.act();
        write(step.write);
        EXPECT_EQ(said(step.reply.size()), step.reply);
    }
    QTest::qWait(300);
    EXPECT_EQ(said(0), "");
    EXPECT_LT(rig.sim.keyedText().size(), 4u);

    // Speed 0 hands the speed to the knob.
    rig.sim.setTimeScale(0);
    rig.sim.turnKnob(31);
    const size_t before = rig.sim.keyed().size();
    write(bytes({0x02, 0x00}) + "E");
    EXPECT_EQ(said(3), bytes({128 + 16, 196, 192}));
    EXPECT_EQ(keyedSince(before), "E31");
}

} // namespace
