#include "keyer/sim/WinKeyerSim.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <utility>

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

namespace {

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
    std::string take() { return std::exchange(in_, {}); }
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
    void openHost(HostPort *port = nullptr)
    {
        (port ? port : host.get())->write(bytes({0x00, 0x02}));
        ASSERT_EQ((port ? port : host.get())->readBytes(1), bytes({23}));
    }
    WinKeyerSim sim;
    std::unique_ptr<HostPort> host;
};

} // namespace

TEST_F(WinKeyerSimTest, HostOpenEchoTestReopenAndClose)
{
    EXPECT_EQ(sim.slavePath().rfind("/dev/pts/", 0), 0u);
    openHost();
    EXPECT_TRUE(sim.hostOpen());
    host->write(bytes({0x00, 0x04, 0x07}));
    EXPECT_EQ(host->readBytes(1), bytes({7}));
    EXPECT_TRUE(sim.waitForReceived(5, 1000ms));
    EXPECT_EQ(sim.received(), bytes({0x00, 0x02, 0x00, 0x04, 0x07}));
    EXPECT_EQ(sim.sent(), bytes({23, 7}));

    // The host may close the port and open it again.
    sim.setTimeScale(0);
    host = std::make_unique<HostPort>(sim.slavePath());
    ASSERT_TRUE(host->isOpen());
    openHost();
    host->write("E");
    EXPECT_EQ(host->readThrough(192), bytes({196, 192}));
    host->write(bytes({0x00, 0x03}));
    EXPECT_TRUE(sim.waitForReceived(10, 1000ms));
    EXPECT_FALSE(sim.hostOpen());
}

TEST_F(WinKeyerSimTest, TextGoesBusyEchoedOnlyWithTheSerialEchoBitThenIdle)
{
    sim.setTimeScale(0);
    openHost();
    host->write(bytes({0x0E, 0x94}) + "CQ TEST");
    EXPECT_EQ(host->readThrough(192), bytes({196}) + "CQ TEST" + bytes({192}));
    EXPECT_EQ(sim.modeRegister(), 0x94);
    host->write(bytes({0x0E, 0x00}) + "5NN");
    EXPECT_EQ(host->readThrough(192), bytes({196, 192}));
    EXPECT_EQ(sim.keyedText(), "CQ TEST5NN");
}

TEST_F(WinKeyerSimTest, NothingIsKeyedOrReportedOutsideHostMode)
{
    sim.setTimeScale(0);
    host->write("CQ" + bytes({0x0B, 0x01}));
    sim.touchPaddle();
    sim.releasePaddle();
    EXPECT_EQ(host->readFor(200ms), "");
    openHost();
    host->write(bytes({0x00, 0x03}) + "CQ");
    EXPECT_EQ(host->readFor(200ms), "");
    EXPECT_EQ(sim.keyedText(), "");
}

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

TEST_F(WinKeyerSimTest, KeyingAndEchoTakeRoughlyTheMorseTime)
{
    openHost();
    // "EEEEE" is 20 dits with its letter spaces: 400 ms at 60 wpm, 800 ms at 30.
    auto timeText = [&](const std::string &frame) {
        host->write(frame);
        EXPECT_EQ(host->readBytes(1), bytes({196}));
        const auto start = SteadyClock::now();
        EXPECT_EQ(host->readThrough(192, 5000ms), bytes({192}));
        return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
    };
    const auto fast = timeText(bytes({0x02, 60}) + "EEEEE");
    const auto slow = timeText(bytes({0x1C, 30}) + "EEEEE");
    EXPECT_GT(fast, 250);
    EXPECT_LT(fast, 2000);
    EXPECT_GT(slow, fast * 3 / 2);

    host->write(bytes({0x0E, 0x04, 0x02, 60}) + "TT");
    EXPECT_EQ(host->readBytes(1), bytes({196}));
    const auto start = SteadyClock::now();
    EXPECT_EQ(host->readBytes(1), "T");
    EXPECT_GE(SteadyClock::now() - start, 30ms);  // a dah at 60 wpm is 60 ms
    EXPECT_EQ(host->readThrough(192), "T" + bytes({192}));
}

TEST_F(WinKeyerSimTest, ClearBufferStopsSendingAndReportsIdle)
{
    openHost();
    const std::string text = "TEST TEST TEST TEST";
    host->write(bytes({0x0E, 0x04, 0x02, 30}) + text);
    EXPECT_EQ(host->readBytes(2), bytes({196, 'T'}));
    host->write(bytes({0x0A}));
    const std::string rest = host->readThrough(192, 1000ms);
    ASSERT_FALSE(rest.empty());
    EXPECT_EQ(static_cast<unsigned char>(rest.back()), 192);
    EXPECT_EQ(host->readFor(300ms), "");
    EXPECT_LT(sim.keyedText().size(), text.size());
    host->write(bytes({0x0A}));  // clearing an idle keyer reports nothing: no status changed
    EXPECT_EQ(host->readFor(200ms), "");
}

TEST_F(WinKeyerSimTest, TuneKeysDownAndUp)
{
    openHost();
    // Key-up and clear buffer (Esc) both end a tune.
    for (const std::string &up : {bytes({0x0B, 0x00}), bytes({0x0A})}) {
        host->write(bytes({0x0B, 0x01}));
        EXPECT_EQ(host->readBytes(1), bytes({216}));
        host->write(up);
        EXPECT_EQ(host->readBytes(1), bytes({192}));
    }
}

TEST_F(WinKeyerSimTest, KnobSendsSpeedPotBytesAndSpeedZeroFollowsIt)
{
    sim.turnKnob(30);  // before host mode: the keyer says nothing
    openHost();
    EXPECT_EQ(sim.sent(), bytes({23}));
    sim.turnKnob(11);
    EXPECT_EQ(host->readBytes(1), bytes({129}));
    sim.turnKnob(30);
    EXPECT_EQ(host->readBytes(1), bytes({148}));
    host->write(bytes({0x07}));  // the host may ask for the pot too
    EXPECT_EQ(host->readBytes(1), bytes({148}));
    host->write(bytes({0x05, 15, 20, 0}));
    ASSERT_TRUE(sim.waitForReceived(7, 1000ms));
    sim.turnKnob(20);
    EXPECT_EQ(host->readBytes(1), bytes({128 + 5}));
    sim.turnKnob(60);  // the knob's end: 15 + 20
    EXPECT_EQ(host->readBytes(1), bytes({128 + 20}));
    sim.turnKnob(5);
    EXPECT_EQ(host->readBytes(1), bytes({128}));

    sim.setTimeScale(0);
    sim.turnKnob(31);
    host->readBytes(1);
    host->write(bytes({0x02, 0x00}) + "E");
    host->readThrough(192);
    ASSERT_EQ(sim.keyed().size(), 1u);
    EXPECT_EQ(sim.keyed()[0].wpm, 31);
}

TEST_F(WinKeyerSimTest, PaddleBreaksIn)
{
    openHost();
    sim.touchPaddle();
    EXPECT_EQ(host->readBytes(1), bytes({198}));
    EXPECT_EQ(host->readFor(100ms), "");  // held: no idle yet
    sim.releasePaddle();
    EXPECT_EQ(host->readBytes(1), bytes({192}));

    host->write(bytes({0x02, 20}) + "TEST TEST TEST");
    EXPECT_EQ(host->readBytes(1), bytes({196}));
    sim.touchPaddle();
    EXPECT_EQ(host->readBytes(1), bytes({198}));
    sim.releasePaddle();
    EXPECT_EQ(host->readBytes(1), bytes({192}));
    EXPECT_EQ(host->readFor(300ms), "");
    EXPECT_LT(sim.keyedText().size(), 4u);  // the rest of the text was dropped
}

TEST_F(WinKeyerSimTest, RawBytesArriveInOneChunkAndRecordsCarryArrivalTimes)
{
    openHost();
    sim.sendRaw(bytes({23, 7, 196, 192}));
    EXPECT_EQ(host->readBytes(4), bytes({23, 7, 196, 192}));
    const auto before = SteadyClock::now();
    host->write(bytes({0x02, 25}));
    ASSERT_TRUE(sim.waitForReceived(4, 1000ms));
    const auto chunks = sim.receivedChunks();
    ASSERT_GE(chunks.size(), 2u);
    EXPECT_GE(chunks.back().at, before);
    EXPECT_EQ(sim.sentChunks().size(), 2u);
    sim.clearRecords();
    EXPECT_EQ(sim.received(), "");
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
    openHost(&again);
}
