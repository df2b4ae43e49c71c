// The shared log through a mosquitto on this machine: a QSO logged at one position until
// another's dupe check knows it (median and worst of 1,000; target: worst 50 ms), and a
// position joining late catching up three positions of 10,000 QSOs each (target 2 s).
#include "net/MosquittoRig.h"
#include "net/NetStation.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using SteadyClock = std::chrono::steady_clock;

namespace {

struct Position {
    TestFolder dir;
    LogTable table;
    int count = 0;
    std::unique_ptr<NetStation> net;

    Position(const std::string &station, const MosquittoRig &rig, int rows, const std::string &group = "BENCH")
    {
        table.setRowCount(rows);
        NetSettings s;
        s.Enabled = true, s.Broker = rig.address(), s.Station = station, s.Group = group;
        net = std::make_unique<NetStation>(table, s, "S50A", dir.path());
        std::string error;
        if (!net->start(error))
            std::fprintf(stderr, "%s\n", error.c_str());
    }
    std::string log(const std::string &prefix)
    {
        const std::string call = prefix + std::to_string(count);
        table.commitQso(count, QsoRow{"1200", call, "599", std::to_string(count + 1), "40", "CW", "2026-12-07"});
        ++count;
        return call;
    }
};

// Runs the event loop until done, asleep until something comes as the program's is. The
// tests' wait sleeps 10 ms between its looks, which would add its naps to every figure; one
// that never sleeps would take a core from the threads the figure waits for.
bool waitFor(const std::function<bool()> &done, int ms)
{
    QTimer tick;  // wakes the loop now and then, so a wait for nothing ends at its bound
    tick.start(5);
    for (const auto end = SteadyClock::now() + std::chrono::milliseconds(ms); !done();)
        if (QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents), SteadyClock::now() > end)
            return done();
    return true;
}

double ms(SteadyClock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // As README configures the station's broker: a late position is sent every event at once.
    MosquittoRig broker(false, "max_queued_messages 0\n");
    if (!MosquittoRig::installed() || !broker.start()) {
        std::fprintf(stderr, "mosquitto could not be started (Debian package mosquitto)\n");
        return 1;
    }
    const int commits = 1000, big = 10000;
    {
        Position run1("RUN1", broker, commits + 1), run2("RUN2", broker, 1);
        if (!waitUntil([&] { return run1.net->isUp() && run2.net->isUp(); }, 20000)) {
            std::fprintf(stderr, "the positions did not reach the broker in 20 s\n");
            return 1;
        }
        std::vector<double> times;
        for (int i = 0; i < commits; ++i) {
            const auto start = SteadyClock::now();
            const std::string call = run1.log("S5A");
            if (!waitFor([&] { return !run2.net->dupeStation(call, "40", "CW").empty(); }, 5000)) {
                std::fprintf(stderr, "QSO %d did not reach the other position in 5 s\n", i + 1);
                return 1;
            }
            times.push_back(ms(SteadyClock::now() - start));
        }
        std::sort(times.begin(), times.end());
        std::printf("commit until the other position's dupe check knows it, %d QSOs: median %.2f ms, worst %.2f ms"
                    " (target: worst 50 ms)\n",
                    commits, times[times.size() / 2], times.back());
    }
    {
        std::vector<std::unique_ptr<Position>> logging;
        for (const char *name : {"RUN3", "RUN4", "MULT"}) {
            logging.push_back(std::make_unique<Position>(name, broker, 1, "CATCHUP"));
            std::vector<QsoRow> rows;  // a whole log opened at once: one write of the journal
            for (int i = 0; i < big; ++i)
                rows.push_back(QsoRow{"1200", "S5" + std::string(1, name[3]) + std::to_string(i), "599",
                                      std::to_string(i + 1), "40", "CW", "2026-12-07"});
            logging.back()->table.replaceAll(std::move(rows));
        }
        const int total = 3 * big;
        auto told = [&] {
            return std::all_of(logging.begin(), logging.end(),
                               [&](const auto &p) { return p->net->sharedLog().liveCount() == total; });
        };
        if (!waitUntil(told, 120000)) {
            std::fprintf(stderr, "the three positions did not get their %d QSOs through in 120 s:", total);
            for (const auto &p : logging)
                std::fprintf(stderr, " %d", p->net->sharedLog().liveCount());
            std::fprintf(stderr, "\n");
            return 1;
        }
        const auto start = SteadyClock::now();
        Position late("LATE", broker, 1, "CATCHUP");
        if (!waitFor([&] { return late.net->sharedLog().liveCount() == total; }, 60000)) {
            std::fprintf(stderr, "the late position had %d of %d QSOs after 60 s\n", late.net->sharedLog().liveCount(), total);
            return 1;
        }
        std::printf("a late position catching up 3 x %d QSOs: %.0f ms (target 2000 ms)\n", big, ms(SteadyClock::now() - start));
    }
    return 0;
}
