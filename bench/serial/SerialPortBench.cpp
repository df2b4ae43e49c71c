// Timed figures for the keyer port: how soon a byte from the keyer reaches the
// receive handler on the GUI thread, and what an open, idle port costs.

#include "serial/SerialPort.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <fcntl.h>
#include <pty.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

struct Pty {
    int master = -1, slave = -1;
    std::string path;
    Pty()
    {
        char name[128] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
            std::perror("openpty");
            std::exit(1);
        }
        path = name;
    }
    ~Pty()
    {
        close(master);
        close(slave);
    }
};

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * double(v.size() - 1) + 0.5));
    return v[i];
}

void latency(int count)
{
    Pty pty;
    SerialPort port;
    port.SetPort(pty.path);
    port.SetBaudRate(br1200);
    port.FlowControl().SetControlDTR(dtrEnable);
    port.FlowControl().SetFlowControl(fcNone);  // every byte value is data here
    const auto guiThread = std::this_thread::get_id();
    QEventLoop loop;
    Clock::time_point arrived;
    bool wrongThread = false;
    int received = 0;
    port.OnRxChar = [&](SerialPort &sender, int n) {
        arrived = Clock::now();
        wrongThread |= std::this_thread::get_id() != guiThread;
        std::string text;
        received += sender.ReadText(text, n);
        loop.quit();
    };
    port.Open();

    std::vector<double> micros;
    micros.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const char byte = static_cast<char>(i & 0xFF);
        const auto sent = Clock::now();
        if (write(pty.master, &byte, 1) != 1) {
            std::perror("write");
            return;
        }
        loop.exec();
        micros.push_back(std::chrono::duration<double, std::micro>(arrived - sent).count());
    }
    port.Close();
    std::printf("far-end byte -> OnRxChar on the GUI thread, %d bytes (%d received%s):\n", count, received,
                wrongThread ? ", SOME OFF THE GUI THREAD" : "");
    std::printf("  median %.1f us, 99th percentile %.1f us, max %.1f us (target: median <= 1000 us)\n",
                percentile(micros, 0.5), percentile(micros, 0.99), percentile(micros, 1.0));
}

void idle(int seconds)
{
    Pty pty;
    SerialPort port;
    port.SetPort(pty.path);
    port.SetBaudRate(br1200);
    port.FlowControl().SetControlDTR(dtrEnable);
    port.FlowControl().SetFlowControl(fcSoftware);
    port.OnRxChar = [](SerialPort &sender, int n) {
        std::string text;
        sender.ReadText(text, n);
    };
    port.Open();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    const double cpu0 = cpuSeconds();
    const auto wall0 = Clock::now();
    loop.exec();
    const double cpu = cpuSeconds() - cpu0;
    const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
    port.Close();
    std::printf("open idle port (keyer settings, all events), %.1f s: CPU %.4f s = %.3f %% of one core "
                "(target <= 1 %%)\n", wall, cpu, 100.0 * cpu / wall);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    latency(count);
    idle(seconds);
    return 0;
}
