// Prints the time from an Enter key in the entry line to the first byte of the
// message at the keyer, with a 100,000-QSO log loaded and the simulated keyer on a
// pseudo-terminal.
#include "keyer/KeyerLink.h"
#include "keyer/sim/WinKeyerSim.h"
#include "logging/Contest.h"
#include "ui/MainWindow.h"
#include "serial/SerialPort.h"
#include "support/FixedClock.h"
#include "BenchLog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

void waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void press(QWidget *w, int key, const QString &text = QString())
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &down);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
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
    LogTable table;
    FixedClock clock;
    Contest contest(st, table, clock, folder);
    MainWindow w(contest);
    // After the window has read its settings: a folder without them starts from the fresh defaults.
    st.MyCall = "S59ABC";
    st.Mode = "CW";
    st.Band = "40";
    st.RunMode = true;
    st.EnterSendMsg = true;
    st.Speed = 24;
    st.SpeedMode = 1;
    st.F[0] = "CQ * TEST";
    SerialPort port;
    KeyerLink link(contest, port);
    ConfigureKeyerPort(port);
    port.SetPort(sim.slavePath());
    link.setPause([](int) {});
    w.show();
    waitFor([&] { return st.QsoCount == 100000; }, 5000);
    link.OpenKeyerLink();
    waitFor([&] { return st.KeyerOnline; }, 2000);

    // One typed character: the line's change, the split, the duplicate check and the labels.
    std::vector<double> typing;
    for (int i = 0; i < 2000; ++i) {
        w.ECall->setText(i % 2 ? QStringLiteral("S5A0004") : QStringLiteral("S5ZZZZ"));
        const auto start = std::chrono::steady_clock::now();
        press(w.ECall, Qt::Key_1, QStringLiteral("1"));
        typing.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    w.ECall->clear();
    std::sort(typing.begin(), typing.end());
    std::printf("A character typed into the entry line, 100,000 QSOs loaded: median %.0f us, 99%% %.0f us\n",
                typing[typing.size() / 2], typing[typing.size() * 99 / 100]);

    std::vector<double> micros;
    for (int i = 0; i < 300; ++i) {
        waitFor([&] { return !st.KeyerBusy; }, 2000);
        const size_t before = sim.receivedChunks().size();
        const auto start = WinKeyerSim::Clock::now();
        press(w.ECall, Qt::Key_Return);  // empty line in Run: the CQ goes out
        waitFor([&] { return sim.receivedChunks().size() > before; }, 2000);
        const auto chunks = sim.receivedChunks();
        if (chunks.size() <= before) {
            if (i >= 4 && micros.empty())
                break;  // Enter sends nothing at all: say so now, not after 300 waits
            continue;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(chunks[before].at - start).count());
    }
    std::sort(micros.begin(), micros.end());
    if (micros.empty()) {
        std::fprintf(stderr, "no message reached the keyer\n");
        return 1;
    }
    std::printf("Enter to first message byte at the keyer, 100,000 QSOs loaded, %zu presses: "
                "median %.0f us, 90%% %.0f us, max %.0f us\n",
                micros.size(), micros[micros.size() / 2], micros[micros.size() * 9 / 10], micros.back());
    return 0;
}
