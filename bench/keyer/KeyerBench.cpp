// Figures for the keyer core and the simulator's line: decoding and message
// composition costs, and the pseudo-terminal's share of the two latency targets
// (a frame written by the host reaching the keyer, a status byte reaching the host).
#include "keyer/KeyerDecoder.h"
#include "keyer/Macros.h"
#include "keyer/sim/WinKeyerSim.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

using SteadyClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

struct Figures {
    double median, p90, max;
};

Figures figures(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[v.size() * 9 / 10], v.back()};
}

void print(const char *what, const Figures &f, const char *unit)
{
    std::printf("%-58s median %8.3f  p90 %8.3f  max %8.3f %s\n", what, f.median, f.p90, f.max, unit);
}

double micros(SteadyClock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

void benchDecoder()
{
    ContestState s;
    s.CallStreaming = false;
    const std::string chunk = std::string("\x17\x07\xC4", 3) + "CQ TEST S50A S50A TEST" + "\x81\xC0";
    std::vector<double> perByte;
    size_t sink = 0;
    for (int round = 0; round < 200; ++round) {
        const auto t0 = SteadyClock::now();
        for (int rep = 0; rep < 100; ++rep) {
            s.KeyerVersion.clear();
            for (unsigned char b : chunk)
                DecodeKeyerByte(b, s, KeyerDisplay{10, false}, [&](const KeyerEffect &e) { sink += e.text.size(); });
        }
        perByte.push_back(micros(SteadyClock::now() - t0) * 1000.0 / (100.0 * chunk.size()));
    }
    print("decode one received byte", figures(perByte), "ns");
    if (sink == 0)
        std::printf("(nothing decoded)\n");
}

void benchMacros()
{
    ContestState s;
    s.MyCall = "S50A";
    s.QsoCall = "S59ABC";
    s.MyYearLic = "95";
    s.Speed = 24;
    s.SpeedUp = 5;
    s.Short9N = true;
    std::vector<double> each;
    size_t sink = 0;
    for (int round = 0; round < 200; ++round) {
        const auto t0 = SteadyClock::now();
        for (int rep = 0; rep < 100; ++rep)
            sink += ComposeCwMessage("! 599 # TU <*>% TEST", s).size();
        each.push_back(micros(SteadyClock::now() - t0) * 1000.0 / 100.0);
    }
    print("compose one message with macros", figures(each), "ns");
    if (sink == 0)
        std::printf("(nothing composed)\n");
}

int openHost(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

void benchLine()
{
    WinKeyerSim sim;
    std::string error;
    if (!sim.start(&error)) {
        std::printf("simulator did not start: %s\n", error.c_str());
        return;
    }
    const int fd = openHost(sim.slavePath());
    const std::string hostOpen("\x00\x02", 2);
    ::write(fd, hostOpen.data(), hostOpen.size());
    sim.waitForSent(1, 1000ms);
    char buf[64];
    ::read(fd, buf, sizeof buf);

    // Host to keyer: a speed frame written, then seen by the keyer.
    std::vector<double> toKeyer;
    for (int i = 0; i < 500; ++i) {
        const std::string frame{'\x02', static_cast<char>(20 + i % 20)};
        const size_t before = sim.received().size();
        const auto t0 = SteadyClock::now();
        ::write(fd, frame.data(), frame.size());
        sim.waitForReceived(before + 2, 1000ms);
        toKeyer.push_back(micros(sim.receivedChunks().back().at - t0));
    }
    print("host write -> byte read by the simulator", figures(toKeyer), "us");

    // Keyer to host: a status byte written by the keyer, then read by the host.
    std::vector<double> toHost;
    for (int i = 0; i < 500; ++i) {
        const size_t before = sim.sentChunks().size();
        sim.sendRaw(std::string(1, static_cast<char>(i % 2 ? 196 : 192)));
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, 1000);
        const auto got = SteadyClock::now();
        ::read(fd, buf, sizeof buf);
        sim.waitForSent(before + 1, 1000ms);
        const auto chunks = sim.sentChunks();
        toHost.push_back(micros(got - chunks.back().at));
    }
    print("simulator status byte written -> read by the host", figures(toHost), "us");
    ::close(fd);
}

} // namespace

int main()
{
    benchDecoder();
    benchMacros();
    benchLine();
    return 0;
}
