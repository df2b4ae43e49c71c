// The longest time the window's event loop is blocked while the program does what an
// operator and a keyer make it do. A 1 ms timer ticks on the window's thread; the
// largest gap between two ticks is the figure. Target: under 50 ms for each, apart
// from the start, whose log load is reported on its own.
//
//   bench_event_loop [echo bytes per ms] [random bytes]
#include "keyer/KeyerLink.h"
#include "keyer/sim/WinKeyerSim.h"
#include "logging/Contest.h"
#include "logging/LogTable.h"
#include "serial/SerialPort.h"
#include "ui/KeyerWindow.h"
#include "ui/MainWindow.h"
#include "ui/MessagePanel.h"
#include "support/FixedClock.h"
#include "BenchLog.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>

namespace {

using SteadyClock = std::chrono::steady_clock;

// Ticks every millisecond on the window's thread and keeps the largest gap.
class GapMeter {
public:
    GapMeter()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    }
    void start()
    {
        worst_ = 0;
        over_ = 0;
        last_ = SteadyClock::now();
        timer_.start();
    }
    double stop()
    {
        tick();
        timer_.stop();
        return worst_;
    }
    int over() const { return over_; }  // gaps of 50 ms or more

private:
    void tick()
    {
        const auto now = SteadyClock::now();
        const double gap = std::chrono::duration<double, std::milli>(now - last_).count();
        worst_ = std::max(worst_, gap);
        over_ += gap >= 50;
        last_ = now;
    }
    QTimer timer_;
    SteadyClock::time_point last_;
    double worst_ = 0;
    int over_ = 0;
};

// Runs the event loop until done() holds or the time is up; false when the time ran out.
bool runUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

void runFor(int ms)
{
    runUntil([] { return false; }, ms);
}

// Runs an action from the event loop, as a key or a click would, and measures the loop
// until done() holds and a little after.
struct Figure {
    double worst = 0;
    int over = 0;  // gaps of 50 ms or more: one means one long step, many a loaded machine or a slow stream
    bool finished = false;
};

Figure measure(const std::function<void()> &action, const std::function<bool()> &done, int timeoutMs)
{
    GapMeter meter;
    meter.start();
    QTimer::singleShot(0, action);
    Figure f;
    f.finished = runUntil(done, timeoutMs);
    runFor(100);
    f.worst = meter.stop();
    f.over = meter.over();
    return f;
}

void report(const char *what, const Figure &f)
{
    std::printf("%-50s longest block %7.1f ms %-14s gaps >= 50 ms: %d%s\n", what, f.worst,
                f.worst < 50 ? "(under 50 ms)" : "(OVER 50 ms)", f.over, f.finished ? "" : "  [did not finish]");
    std::fflush(stdout);
}

// The far end of a pseudo-terminal played by a thread: it writes what it is given as
// fast as the line takes it (or paced) and reads and drops what the program sends.
class FarEnd {
public:
    FarEnd()
    {
        char name[128] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
            std::perror("openpty");
            std::exit(1);
        }
        path = name;
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        reader_ = std::thread([this] { drain(); });
    }
    ~FarEnd()
    {
        stop_ = true;
        if (writer_.joinable())
            writer_.join();
        reader_.join();
        ::close(master_);
        ::close(slave_);
    }
    // Sends bytes in chunks of `chunk`, one chunk per `everyUs` microseconds (0: as fast as taken).
    void send(std::string bytes, size_t chunk, int everyUs)
    {
        sent_ = 0;
        writer_ = std::thread([this, bytes = std::move(bytes), chunk, everyUs] {
            size_t done = 0;
            auto next = SteadyClock::now();
            while (done < bytes.size() && !stop_) {
                if (everyUs > 0) {
                    next += std::chrono::microseconds(everyUs);
                    std::this_thread::sleep_until(next);
                }
                const size_t end = std::min(bytes.size(), done + chunk);
                while (done < end && !stop_) {
                    const ssize_t n = ::write(master_, bytes.data() + done, end - done);
                    if (n > 0) {
                        done += static_cast<size_t>(n);
                        sent_ = done;
                    } else {
                        pollfd p{master_, POLLOUT, 0};
                        ::poll(&p, 1, 5);
                    }
                }
            }
        });
    }
    void finishSending()
    {
        if (writer_.joinable())
            writer_.join();
    }
    size_t sent() const { return sent_; }
    std::string path;

private:
    void drain()
    {
        char buffer[4096];
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0)
                while (::read(master_, buffer, sizeof buffer) > 0) {
                }
        }
    }
    int master_ = -1, slave_ = -1;
    std::thread reader_, writer_;
    std::atomic<bool> stop_{false};
    std::atomic<size_t> sent_{0};
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int echoPerMs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
    const size_t randomBytes = argc > 2 ? static_cast<size_t>(std::atol(argv[2])) : 1 << 20;

    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    writeBenchLog(folder, "S59ABC", 100000);

    WinKeyerSim sim;
    std::string error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    sim.setTimeScale(0);

    ContestState st;
    st.MyCall = "S59ABC";
    st.Mode = "CW";
    st.Band = "40";
    st.RunMode = true;
    st.Speed = 24;
    st.SpeedMode = 1;
    st.SerialEcho = true;
    LogTable table;
    FixedClock clock;
    Contest contest(st, table, clock, folder);
    SerialPort port;

    // (1) Start: the three windows in their order, shown, the log counted and loaded.
    std::unique_ptr<MainWindow> fMain;
    std::unique_ptr<KeyerLink> link;
    std::unique_ptr<KeyerWindow> fWK;
    std::unique_ptr<MessagePanel> fMemo;
    Figure f = measure(
        [&] {
            fMain = std::make_unique<MainWindow>(contest);
            link = std::make_unique<KeyerLink>(contest, port);
            fWK = std::make_unique<KeyerWindow>(*link, fMain.get());
            fMemo = std::make_unique<MessagePanel>(*link, fMain.get());
            fMain->show();
        },
        [&] { return st.QsoCount == 100000; }, 30000);
    runFor(300);  // the start timer and the panel's timer have run
    report("program start, 100,000-QSO log (on its own)", f);

    // (2) Opening and closing the keyer link, the simulator at the far end.
    port.SetPort(sim.slavePath());
    fWK->show();
    f = measure([&] { fWK->BOpenCom->click(); }, [&] { return st.KeyerOnline; }, 10000);
    report("open the keyer link (Open Com)", f);
    f = measure([&] { fWK->BOpenCom->click(); }, [&] { return !port.Connected(); }, 10000);
    report("close the keyer link (Close Com)", f);
    fWK->hide();

    // (3) Ctrl+Delete: the last QSO goes, the log file is written anew.
    f = measure([&] { fMain->DeleteLastQSO->trigger(); }, [&] { return st.QsoCount == 99999; }, 30000);
    report("Ctrl+Delete on a 100,000-QSO log", f);

    // The keyer's bytes come from a far end of our own from here on.
    FarEnd keyer;
    port.SetPort(keyer.path);
    link->OpenKeyerLink();
    runFor(300);

    // (4) Ten minutes of echo at 1200 baud: 72,000 characters, sent faster.
    {
        std::string echo;
        std::mt19937 random(7);
        const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ";
        for (int i = 0; i < 72000; ++i)
            echo += letters[random() % letters.size()];
        f = measure([&] { keyer.send(echo, static_cast<size_t>(echoPerMs), 1000); },
                    [&] { return keyer.sent() == echo.size() && port.InputQueueCount() == 0; }, 600000);
        keyer.finishSending();
        char what[96];
        std::snprintf(what, sizeof what, "10 min of echo (72,000 bytes, %d per ms)", echoPerMs);
        report(what, f);
    }

    // (5) Random bytes from the keyer, XON and XOFF among them, as fast as the line takes them.
    {
        std::string noise(randomBytes, '\0');
        std::mt19937 random(11);
        for (char &c : noise)
            c = static_cast<char>(random() & 0xFF);
        noise += '\x11';  // the line ends free to send
        f = measure([&] { keyer.send(noise, 4096, 0); },
                    [&] { return keyer.sent() == noise.size() && port.InputQueueCount() == 0; }, 600000);
        keyer.finishSending();
        char what[96];
        std::snprintf(what, sizeof what, "%zu random bytes from the keyer", randomBytes);
        report(what, f);
    }

    link->CloseKeyerLink();
    fMemo.reset();
    fWK.reset();
    link.reset();
    fMain.reset();
    return 0;
}
