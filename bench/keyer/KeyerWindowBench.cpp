// Latency figures of the keyer options window with the simulated keyer behind its
// port: (a) a status byte written by the keyer until the window's indicator shows it
// on the GUI thread, (b) a message button pressed until the keyer reads the message's
// first byte. Both targets are 2 ms at the median.
#include "keyer/KeyerLink.h"
#include "ui/KeyerWindow.h"
#include "keyer/sim/WinKeyerSim.h"
#include "logging/Contest.h"
#include "logging/LogTable.h"
#include "serial/SerialPort.h"
#include "support/FixedClock.h"

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using SteadyClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

// The options window that notes when its indicators were last painted.
class TimedWK : public KeyerWindow {
public:
    TimedWK(KeyerLink &link) : KeyerWindow(link), link_(link) {}
    void displayChanged() override
    {
        KeyerWindow::displayChanged();
        if (link_.display.ShapePTTColor != shownPtt) {
            shownPtt = link_.display.ShapePTTColor;
            shownAt = SteadyClock::now();
            if (waiting)
                waiting->quit();
        }
    }
    std::string shownPtt;
    SteadyClock::time_point shownAt;
    QEventLoop *waiting = nullptr;

private:
    KeyerLink &link_;
};

void print(const char *what, std::vector<double> v)
{
    if (v.empty()) {
        std::printf("%-58s no samples\n", what);
        return;
    }
    std::sort(v.begin(), v.end());
    std::printf("%-58s median %7.3f  p90 %7.3f  max %7.3f ms  (%zu samples)\n", what, v[v.size() / 2],
                v[v.size() * 9 / 10], v.back(), v.size());
}

double ms(SteadyClock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    ContestState st;
    LogTable table;
    FixedClock clock;
    Contest contest(st, table, clock, dir.path().toStdString() + "/");
    st.Mode = "CW";
    st.Speed = 30;
    st.SpeedMode = 1;
    st.SerialEcho = true;
    st.F[0] = "E";
    SerialPort port;
    KeyerLink link(contest, port);
    link.setPause([](int) {});
    WinKeyerSim sim;
    std::string error;
    if (!sim.start(&error)) {
        std::printf("simulator did not start: %s\n", error.c_str());
        return 1;
    }
    sim.setTimeScale(0);
    TimedWK window(link);
    port.SetPort(sim.slavePath());
    window.show();
    link.OpenKeyerLink();
    if (!port.Connected()) {
        std::printf("the keyer port did not open: %s\n", link.display.LInfo1.c_str());
        return 1;
    }
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();

    // (a) Busy and idle in turn, each awaited by the GUI thread sleeping in its event loop.
    std::vector<double> statusToIndicator;
    for (int i = 0; i < 400; ++i) {
        const int status = i % 2 ? 192 : 196;
        const size_t before = sim.sentChunks().size();
        QEventLoop loop;
        window.waiting = &loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        timeout.start(1000);
        sim.sendRaw(std::string(1, static_cast<char>(status)));
        loop.exec();
        window.waiting = nullptr;
        const auto chunks = sim.sentChunks();
        if (chunks.size() > before && timeout.isActive())
            statusToIndicator.push_back(ms(window.shownAt - chunks[before].at));
    }
    print("(a) keyer status byte -> indicator shown (GUI thread)", statusToIndicator);

    // (b) The F1 test button: the message's first byte read by the keyer.
    std::vector<double> keyToKeyer;
    for (int i = 0; i < 300; ++i) {
        const size_t before = sim.receivedChunks().size();
        const size_t bytesBefore = sim.received().size();
        const auto pressed = SteadyClock::now();
        window.BF[0]->click();
        if (!sim.waitForReceived(bytesBefore + 1, 1000ms))
            continue;
        const auto chunks = sim.receivedChunks();
        if (chunks.size() > before)
            keyToKeyer.push_back(ms(chunks[before].at - pressed));
        // Let the keyer's busy, echo and idle bytes be handled before the next press.
        QEventLoop drain;
        QTimer::singleShot(5, &drain, &QEventLoop::quit);
        drain.exec();
    }
    print("(b) message key handled -> first byte read by the keyer", keyToKeyer);

    link.CloseKeyerLink();
    return 0;
}
