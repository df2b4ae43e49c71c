#include "keyer/sim/WinKeyerSim.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

namespace {

std::string b(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

// The logger's end of the line, opened with plain POSIX calls as a serial port would be.
class HostPort {
public:
    explicit HostPort(const std::string &path)
    {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY);
        if (fd_ >= 0) {
            termios tio{};
            tcgetattr(fd_, &tio);
            cfmakeraw(&tio);
            tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~HostPort() { close(); }
    void close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    bool isOpen() const { return fd_ >= 0; }

    void write(const std::string &bytes)
    {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // Reads until `done` holds for what came so far or the time runs out.
    template <typename Done>
    std::string readUntil(Done done, std::chrono::milliseconds timeout = 3000ms)
    {
        const auto end = SteadyClock::now() + timeout;
        while (!done(in_)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - SteadyClock::now());
            if (left <= 0ms)
                break;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                break;
            if (p.revents & (POLLHUP | POLLERR)) {
                hungUp_ = true;
                break;
            }
            char buf[256];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) {
                hungUp_ = true;
                break;
            }
            in_.append(buf, static_cast<size_t>(n));
        }
        return take();
    }
    std::string readBytes(size_t count, std::chrono::milliseconds timeout = 3000ms)
    {
        return readUntil([count](const std::string &in) { return in.size() >= count; }, timeout);
    }
    std::string readThrough(unsigned char last, std::chrono::milliseconds timeout = 3000ms)
    {
        return readUntil([last](const std::string &in) {
            return !in.empty() && static_cast<unsigned char>(in.back()) == last; }, timeout);
    }
    std::string readFor(std::chrono::milliseconds time)
    {
        return readUntil([](const std::string &) { return false; }, time);
    }
    bool hungUp() const { return hungUp_; }
    int fd() const { return fd_; }

private:
    std::string take()
    {
        std::string out;
        out.swap(in_);
        return out;
    }
    int fd_ = -1;
    std::string in_;
    bool hungUp_ = false;
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
    void openHost()
    {
        host->write(b({0x00, 0x02}));
        ASSERT_EQ(host->readBytes(1), b({23}));
    }
    WinKeyerSim sim;
    std::unique_ptr<HostPort> host;
};

} // namespace

TEST_F(WinKeyerSimTest, HostOpenAndEchoTest)
{
    EXPECT_EQ(sim.slavePath().rfind("/dev/pts/", 0), 0u);
    host->write(b({0x00, 0x02}));
    EXPECT_EQ(host->readBytes(1), b({23}));
    EXPECT_TRUE(sim.hostOpen());
    host->write(b({0x00, 0x04, 0x07}));
    EXPECT_EQ(host->readBytes(1), b({7}));
    EXPECT_TRUE(sim.waitForReceived(5, 1000ms));
    EXPECT_EQ(sim.received(), b({0x00, 0x02, 0x00, 0x04, 0x07}));
    EXPECT_EQ(sim.sent(), b({23, 7}));

    host->write(b({0x00, 0x03}));
    EXPECT_TRUE(sim.waitForReceived(7, 1000ms));
    EXPECT_FALSE(sim.hostOpen());
}

TEST_F(WinKeyerSimTest, TextGoesBusyEchoedThenIdle)
{
    sim.setTimeScale(0);
    openHost();
    host->write(b({0x0E, 0x94}) + "CQ TEST");
    EXPECT_EQ(host->readThrough(192), b({196}) + "CQ TEST" + b({192}));
    EXPECT_EQ(sim.keyedText(), "CQ TEST");
    EXPECT_EQ(sim.modeRegister(), 0x94);
}

TEST_F(WinKeyerSimTest, NoEchoWithoutSerialEchoBit)
{
    sim.setTimeScale(0);
    openHost();
    host->write(b({0x0E, 0x00}) + "5NN");
    EXPECT_EQ(host->readThrough(192), b({196, 192}));
    EXPECT_EQ(sim.keyedText(), "5NN");
}

TEST_F(WinKeyerSimTest, TextOutsideHostModeIsNotKeyed)
{
    sim.setTimeScale(0);
    host->write("CQ" + b({0x0B, 0x01}));
    EXPECT_EQ(host->readFor(200ms), "");
    EXPECT_EQ(sim.keyedText(), "");
    openHost();
    host->write(b({0x00, 0x03}) + "CQ");
    EXPECT_EQ(host->readFor(200ms), "");
    EXPECT_EQ(sim.keyedText(), "");
}

TEST_F(WinKeyerSimTest, ParametersAreNeverTakenForText)
{
    sim.setTimeScale(0);
    openHost();
    // Each of these parameters is a printable character; none may be keyed.
    host->write(b({0x02, 'A', 0x04, 'B', 'C', 0x05, 'D', 'E', 0x00, 0x10, 'F', 0x11, 'G',
                   0x17, 'H', 0x01, 'I', 0x0E, 0x94, 0x00, 0x04, 'J'}));
    EXPECT_EQ(host->readBytes(1), "J");
    host->write(b({0x0F, 'K', 'K', 'K', 'K', 'K', 'K', 'K', 'K', 'K', 'K', 'K', 'K', 'K', 'K', 'K'})
                + "E");
    EXPECT_EQ(host->readThrough(192), b({196}) + "E" + b({192}));
    EXPECT_EQ(sim.keyedText(), "E");
}

TEST_F(WinKeyerSimTest, BufferedSpeedAppliesToTheTextAfterIt)
{
    sim.setTimeScale(0);
    openHost();
    host->write(b({0x02, 20}) + "A" + b({0x1C, 30}) + "B" + b({0x1C, 0x3E}) + "C" + b({0x1E}) + "D");
    host->readThrough(192);
    const auto keyed = sim.keyed();
    ASSERT_EQ(keyed.size(), 4u);
    EXPECT_EQ(keyed[0].wpm, 20);
    EXPECT_EQ(keyed[1].wpm, 30);
    EXPECT_EQ(keyed[2].character, 'C');
    EXPECT_EQ(keyed[2].wpm, 62);  // a speed byte that reads as '>' is still a speed
    EXPECT_EQ(keyed[3].wpm, 20);

    // A buffered speed lasts only for the message it came with.
    host->write(b({0x1C, 40}) + "E");
    host->readThrough(192);
    host->write("T");
    host->readThrough(192);
    ASSERT_EQ(sim.keyed().size(), 6u);
    EXPECT_EQ(sim.keyed()[5].wpm, 20);
}

TEST_F(WinKeyerSimTest, KeyingTakesRoughlyTheMorseTime)
{
    openHost();
    // "EEEEE" is 20 dits with its letter spaces: 400 ms at 60 wpm, 800 ms at 30.
    auto timeText = [&](const std::string &frame) {
        host->write(frame);
        EXPECT_EQ(host->readBytes(1), b({196}));
        const auto start = SteadyClock::now();
        EXPECT_EQ(host->readThrough(192, 5000ms), b({192}));
        return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
    };
    const auto fast = timeText(b({0x02, 60}) + "EEEEE");
    const auto slow = timeText(b({0x1C, 30}) + "EEEEE");
    EXPECT_GT(fast, 250);
    EXPECT_LT(fast, 2000);
    EXPECT_GT(slow, fast * 3 / 2);
}

TEST_F(WinKeyerSimTest, EchoFollowsKeying)
{
    openHost();
    host->write(b({0x0E, 0x04, 0x02, 60}) + "TT");
    EXPECT_EQ(host->readBytes(1), b({196}));
    const auto start = SteadyClock::now();
    EXPECT_EQ(host->readBytes(1), "T");
    const auto firstEcho = SteadyClock::now() - start;
    EXPECT_GE(firstEcho, 30ms);  // a dah at 60 wpm is 60 ms
    EXPECT_EQ(host->readThrough(192), "T" + b({192}));
}

TEST_F(WinKeyerSimTest, ClearBufferStopsSendingAndReportsIdle)
{
    openHost();
    const std::string text = "TEST TEST TEST TEST";
    host->write(b({0x0E, 0x04, 0x02, 30}) + text);
    EXPECT_EQ(host->readBytes(2), b({196, 'T'}));
    host->write(b({0x0A}));
    const std::string rest = host->readThrough(192, 1000ms);
    ASSERT_FALSE(rest.empty());
    EXPECT_EQ(static_cast<unsigned char>(rest.back()), 192);
    EXPECT_EQ(host->readFor(300ms), "");
    EXPECT_LT(sim.keyedText().size(), text.size());

    // Clearing an idle keyer reports nothing: no status changed.
    host->write(b({0x0A}));
    EXPECT_EQ(host->readFor(200ms), "");
}

TEST_F(WinKeyerSimTest, TuneKeysDownAndUp)
{
    openHost();
    host->write(b({0x0B, 0x01}));
    EXPECT_EQ(host->readBytes(1), b({216}));
    host->write(b({0x0B, 0x00}));
    EXPECT_EQ(host->readBytes(1), b({192}));
    // Esc ends a tune too: clear buffer lets the key up.
    host->write(b({0x0B, 0x01}));
    EXPECT_EQ(host->readBytes(1), b({216}));
    host->write(b({0x0A}));
    EXPECT_EQ(host->readBytes(1), b({192}));
}

TEST_F(WinKeyerSimTest, KnobSendsSpeedPotBytes)
{
    sim.turnKnob(30);  // before host mode: the keyer says nothing
    openHost();
    EXPECT_EQ(sim.sent(), b({23}));
    sim.turnKnob(11);
    EXPECT_EQ(host->readBytes(1), b({129}));
    sim.turnKnob(30);
    EXPECT_EQ(host->readBytes(1), b({148}));
    host->write(b({0x07}));  // the host may ask for the pot too
    EXPECT_EQ(host->readBytes(1), b({148}));
    host->write(b({0x05, 15, 20, 0}));
    ASSERT_TRUE(sim.waitForReceived(7, 1000ms));
    sim.turnKnob(20);
    EXPECT_EQ(host->readBytes(1), b({128 + 5}));
    sim.turnKnob(60);  // the knob's end: 15 + 20
    EXPECT_EQ(host->readBytes(1), b({128 + 20}));
    sim.turnKnob(5);
    EXPECT_EQ(host->readBytes(1), b({128}));
}

TEST_F(WinKeyerSimTest, SpeedZeroFollowsTheKnob)
{
    sim.setTimeScale(0);
    openHost();
    sim.turnKnob(35);
    host->readBytes(1);
    host->write(b({0x02, 0x00}) + "E");
    host->readThrough(192);
    ASSERT_EQ(sim.keyed().size(), 1u);
    EXPECT_EQ(sim.keyed()[0].wpm, 35);
}

TEST_F(WinKeyerSimTest, PaddleBreaksIn)
{
    openHost();
    sim.touchPaddle();
    EXPECT_EQ(host->readBytes(1), b({198}));
    EXPECT_EQ(host->readFor(100ms), "");  // held: no idle yet
    sim.releasePaddle();
    EXPECT_EQ(host->readBytes(1), b({192}));

    host->write(b({0x02, 20}) + "TEST TEST TEST");
    EXPECT_EQ(host->readBytes(1), b({196}));
    sim.touchPaddle();
    EXPECT_EQ(host->readBytes(1), b({198}));
    sim.releasePaddle();
    EXPECT_EQ(host->readBytes(1), b({192}));
    EXPECT_EQ(host->readFor(300ms), "");
    EXPECT_LT(sim.keyedText().size(), 4u);  // the rest of the text was dropped
}

TEST_F(WinKeyerSimTest, ThePaddleSaysNothingOutsideHostMode)
{
    sim.touchPaddle();
    sim.releasePaddle();
    openHost();
    EXPECT_EQ(host->readFor(100ms), "");
}

TEST_F(WinKeyerSimTest, RawBytesArriveInOneChunk)
{
    openHost();
    sim.sendRaw(b({23, 7, 196, 192}));
    EXPECT_EQ(host->readBytes(4), b({23, 7, 196, 192}));
}

TEST_F(WinKeyerSimTest, HostMayCloseAndReopenThePort)
{
    sim.setTimeScale(0);
    openHost();
    host->close();
    host = std::make_unique<HostPort>(sim.slavePath());
    ASSERT_TRUE(host->isOpen());
    openHost();
    host->write("E");
    EXPECT_EQ(host->readThrough(192), b({196, 192}));
}

TEST_F(WinKeyerSimTest, UnplugHangsUpTheHostSide)
{
    openHost();
    sim.unplug();
    host->readFor(2000ms);
    EXPECT_TRUE(host->hungUp());
    EXPECT_EQ(::write(host->fd(), "E", 1), -1);
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
    again.write(b({0x00, 0x02}));
    EXPECT_EQ(again.readBytes(1), b({23}));
}

TEST_F(WinKeyerSimTest, RecordsCarryArrivalTimes)
{
    openHost();
    const auto before = SteadyClock::now();
    host->write(b({0x02, 25}));
    ASSERT_TRUE(sim.waitForReceived(4, 1000ms));
    const auto chunks = sim.receivedChunks();
    ASSERT_GE(chunks.size(), 2u);
    EXPECT_GE(chunks.back().at, before);
    EXPECT_EQ(sim.sentChunks().size(), 1u);
    sim.clearRecords();
    EXPECT_EQ(sim.received(), "");
}
