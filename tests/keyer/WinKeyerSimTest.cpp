#include "keyer/sim/WinKeyerSim.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <functional>
#include <utility>

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

namespace {

// The logger's end of the line, opened with plain POSIX calls as a serial port would be.
class HostPort {
public:
    explicit HostPort(const std::string &path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY))
    {
        termios tio{};
        if (fd_ >= 0 && tcgetattr(fd_, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~HostPort()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }
    void write(const std::string &bytes)
    {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // Reads until `done` holds for what came so far, the line hangs up or the time runs out.
    std::string readUntil(const std::function<bool(const std::string &)> &done,
                          std::chrono::milliseconds timeout = 3000ms)
    {
        std::string in;
        const auto end = SteadyClock::now() + timeout;
        while (!done(in) && SteadyClock::now() < end) {
            pollfd p{fd_, POLLIN, 0};
            char buf[256];
            ssize_t n = 0;
            if (::poll(&p, 1, 20) > 0 && ((p.revents & (POLLHUP | POLLERR)) || (n = ::read(fd_, buf, sizeof buf)) <= 0)) {
                hungUp = true;
                break;
            }
            in.append(buf, static_cast<size_t>(n));
        }
        return in;
    }
    std::string readBytes(size_t count) { return readUntil([=](const std::string &in) { return in.size() >= count; }); }
    std::string readThrough(unsigned char last)
    {
        return readUntil([=](const std::string &in) { return !in.empty() && static_cast<unsigned char>(in.back()) == last; });
    }
    std::string readFor(std::chrono::milliseconds time) { return readUntil([](const std::string &) { return false; }, time); }

    bool hungUp = false;
    const int fd_;
};

class WinKeyerSimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(sim.start(&error)) << error;
        host = std::make_unique<HostPort>(sim.slavePath());
        ASSERT_TRUE(host->isOpen());
    }
    void openHost(HostPort *port = nullptr)
    {
        (port ? port : host.get())->write(bytes({0x00, 0x02}));
        ASSERT_EQ((port ? port : host.get())->readBytes(1), bytes({23}));
    }
    WinKeyerSim sim;
    std::unique_ptr<HostPort> host;
};

} // namespace

TEST_F(WinKeyerSimTest, ParametersAreNeverTakenForText)
{
    sim.setTimeScale(0);
    openHost();
    // Each of these parameters is a printable character; none may be keyed.
    host->write(bytes({0x02, 'A', 0x04, 'B', 'C', 0x05, 'D', 'E', 0x00, 0x10, 'F', 0x11, 'G',
                   0x17, 'H', 0x01, 'I', 0x0E, 0x94, 0x00, 0x04, 'J'}));
    EXPECT_EQ(host->readBytes(1), "J");
    host->write(bytes({0x0F}) + std::string(15, 'K') + "E");
    EXPECT_EQ(host->readThrough(192), bytes({196}) + "E" + bytes({192}));
    EXPECT_EQ(sim.keyedText(), "E");
}

TEST_F(WinKeyerSimTest, BufferedSpeedAppliesToTheTextAfterIt)
{
    sim.setTimeScale(0);
    openHost();
    host->write(bytes({0x02, 20}) + "A" + bytes({0x1C, 30}) + "B" + bytes({0x1C, 0x3E}) + "C" + bytes({0x1E}) + "D");
    host->readThrough(192);
    // A buffered speed lasts only for the message it came with.
    host->write(bytes({0x1C, 40}) + "E");
    host->readThrough(192);
    host->write("T");
    host->readThrough(192);
    std::string keyed;
    std::vector<int> wpm;
    for (const auto &k : sim.keyed()) {
        keyed += k.character;
        wpm.push_back(k.wpm);
    }
    EXPECT_EQ(keyed, "ABCDET");
    EXPECT_EQ(wpm, (std::vector<int>{20, 30, 62, 20, 40, 20}));  // a speed byte that reads as '>' is still a speed
}

// What the keyer says on its own: each step's action, then the host's bytes, then the reply.
TEST_F(WinKeyerSimTest, PaddleAndKnobBytes)
{
    sim.turnKnob(30);  // before host mode: the keyer says nothing
    openHost();
    struct Step {
        std::function<void()> act;
        std::string write, reply;
    };
    const auto knob = [&](int wpm) { return [this, wpm] { sim.turnKnob(wpm); }; };
    const Step steps[] = {
        {[&] { sim.touchPaddle(); }, "", bytes({198})},
        {[&] { sim.releasePaddle(); }, "", bytes({192})},
        {nullptr, bytes({0x02, 20}) + "TEST TEST TEST", bytes({196})},
        {[&] { sim.touchPaddle(); }, "", bytes({198})},
        {[&] { sim.releasePaddle(); }, "", bytes({192})},  // the rest of the text is dropped
        {knob(11), "", bytes({129})},
        {knob(30), "", bytes({148})},
        {nullptr, bytes({0x07}), bytes({148})},  // the host may ask for the pot too
        {nullptr, bytes({0x05, 15, 20, 0}), ""},
        {knob(20), "", bytes({128 + 5})},
        {knob(60), "", bytes({128 + 20})},  // the knob's end: 15 + 20
        {knob(5), "", bytes({128})},
    };
    std::string written = bytes({0x00, 0x02});
    for (const Step &step : steps) {
        SCOPED_TRACE(written.size());
        if (step.act)
            step.act();
        host->write(step.write);
        written += step.write;
        ASSERT_TRUE(sim.waitForReceived(written.size(), 1000ms));
        EXPECT_EQ(host->readBytes(step.reply.size()), step.reply);
    }
    EXPECT_EQ(host->readFor(300ms), "");
    EXPECT_LT(sim.keyedText().size(), 4u);

    // Speed 0 hands the speed to the knob.
    sim.setTimeScale(0);
    sim.turnKnob(31);
    host->readBytes(1);
    host->write(bytes({0x02, 0x00}) + "E");
    host->readThrough(192);
    ASSERT_FALSE(sim.keyed().empty());
    EXPECT_EQ(sim.keyed().back().wpm, 31);
}

TEST_F(WinKeyerSimTest, UnplugHangsUpTheHostSide)
{
    openHost();
    sim.unplug();
    host->readFor(2000ms);
    EXPECT_TRUE(host->hungUp);
    EXPECT_EQ(::write(host->fd_, "E", 1), -1);
    EXPECT_TRUE(sim.waitUntil([&](const std::string &, const std::string &) { return true; }, 10ms));
    for (int i = 0; i < 100 && sim.running(); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(sim.running());
    EXPECT_FALSE(sim.hostOpen());
    // Plugging in again gives a fresh keyer on a new line.
    std::string error;
    ASSERT_TRUE(sim.start(&error)) << error;
    HostPort again(sim.slavePath());
    ASSERT_TRUE(again.isOpen());
    openHost(&again);
}
