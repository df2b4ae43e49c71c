// Figures for the practice sound: what rendering a busy pileup costs the processor, and
// how long a character written to the keyer takes to sound in the stream.
#include "keyer/sim/PracticeStation.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

using SteadyClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

constexpr int Rate = 48000;
constexpr size_t Block = Rate / 200;  // 5 ms, as the sound card and the clock ask for it
constexpr double CardBufferMs = 30;   // what the sound card holds ahead of the ear

double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Five callers keying without a pause for the whole minute, all fading, one fluttering,
// in band noise: busier than any real pileup.
AirScene busyBand(double seconds, bool qrn)
{
    AirScene scene;
    scene.noise = 0.02;
    const char *texts[] = {"S59ABC S59ABC", "DL1XYZ", "5NN 123", "OK2ABC OK2ABC", "TU 5NN 0815"};
    for (int i = 0; i < 5; ++i) {
        AirStation st;
        st.pitch = 350 + 120 * i;
        st.amplitude = 0.1 + 0.04 * i;
        st.qsbDepth = 0.6;
        st.qsbHz = 0.1 + 0.05 * i;
        st.flutter = i == 4 ? 0.7 : 0;
        const int wpm = 18 + 4 * i;
        for (double t = 0.01 * i; t < seconds;)
            t = KeyText(texts[i], wpm, t, st.keying) + 7 * DitSeconds(wpm);
        scene.stations.push_back(st);
    }
    for (double t = 0.2; qrn && t < seconds; t += 1.5)
        scene.crashes.push_back({t, 0.3, 0.04});
    return scene;
}

void benchRendering(bool qrn)
{
    const double seconds = 60;
    const AirScene scene = busyBand(seconds, qrn);
    AirRenderer renderer(Rate, 3);
    std::vector<float> out(Block);
    const auto blocks = static_cast<int64_t>(seconds * Rate / Block);
    const double cpu0 = threadCpuSeconds();
    float loudest = 0;
    for (int64_t b = 0; b < blocks; ++b) {
        renderer.render(scene, b * static_cast<int64_t>(Block), out.data(), Block);
        for (float x : out)
            loudest = std::max(loudest, x < 0 ? -x : x);
    }
    const double cpu = threadCpuSeconds() - cpu0;
    std::printf("render 5 callers, noise, QSB%s at 48 kHz: %6.3f ms processor per second of sound, "
                "%.2f %% of one core (target under 5 %%); loudest sample %.3f\n",
                qrn ? ", QRN" : "     ", cpu / seconds * 1000, cpu / seconds * 100, loudest);
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

// Reads what the keyer sends until the idle status (192) comes, or a second passes.
bool waitIdle(int fd)
{
    const auto until = SteadyClock::now() + 1s;
    char buf[64];
    while (SteadyClock::now() < until) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const ssize_t n = ::read(fd, buf, sizeof buf);
        for (ssize_t i = 0; i < n; ++i)
            if (static_cast<unsigned char>(buf[i]) == 192)
                return true;
    }
    return false;
}

void benchSidetoneLatency()
{
    WinKeyerSim sim;
    std::string error;
    if (!sim.start(&error)) {
        std::printf("simulator did not start: %s\n", error.c_str());
        return;
    }
    PracticeSettings settings;
    settings.noise = 0;
    PracticeStation station(settings, PracticeCalls({}, {}));
    sim.setAirMonitor([&](const WinKeyerSim::AirEvent &e) { station.keyerEvent(e); });
    std::atomic<int64_t> sounded{0};  // steady clock ticks of the first block with sidetone
    ClockPace pace(
        station,
        [&](const float *s, size_t n) {
            if (sounded == 0 && std::any_of(s, s + n, [](float x) { return x != 0; }))
                sounded = SteadyClock::now().time_since_epoch().count();
        },
        1);

    const int fd = openHost(sim.slavePath());
    const std::string open("\x00\x02\x02\x28", 4);  // host open, 40 wpm: short rounds
    ::write(fd, open.data(), open.size());
    std::this_thread::sleep_for(100ms);
    tcflush(fd, TCIFLUSH);

    std::vector<double> ms;
    for (int round = 0; round < 60; ++round) {
        sounded = 0;
        const auto t0 = SteadyClock::now();
        ::write(fd, "E", 1);
        const bool idle = waitIdle(fd);
        std::this_thread::sleep_for(40ms);  // the dit's fall in the stream
        if (!idle || sounded == 0) {
            std::printf("round %d: %s\n", round, idle ? "no sidetone in the stream" : "the keyer did not fall idle");
            continue;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(SteadyClock::duration(sounded.load()) - t0.time_since_epoch())
                         .count());
    }
    ::close(fd);
    if (ms.empty())
        return;
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2], p90 = ms[ms.size() * 9 / 10], max = ms.back();
    std::printf("keyer byte -> its sidetone in the stream: median %.1f  p90 %.1f  max %.1f ms; "
                "with the sound card's %.0f ms buffer: max %.1f ms (target under 50 ms)\n",
                median, p90, max, CardBufferMs, max + CardBufferMs);
}

} // namespace

int main()
{
    benchRendering(false);
    benchRendering(true);
    benchSidetoneLatency();
    return 0;
}
