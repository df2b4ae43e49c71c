// The cost of one echoed character on the GUI thread, early in a paddle session and
// after 60 kB of echo: the keyer's echo byte read, decoded and shown on the main
// window's sending line. The two figures should be the same.
#include "keyer/KeyerLink.h"
#include "keyer/sim/WinKeyerSim.h"
#include "logging/Contest.h"
#include "logging/LogTable.h"
#include "serial/SerialPort.h"
#include "ui/MainWindow.h"
#include "support/FixedClock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    QTemporaryDir dir;
    ContestState st;
    LogTable table;
    FixedClock clock;
    Contest contest(st, table, clock, dir.path().toStdString() + "/");
    st.Mode = "CW";
    MainWindow window(contest);
    window.show();
    SerialPort port;
    KeyerLink link(contest, port);
    WinKeyerSim sim;
    std::string error;
    if (!sim.start(&error)) {
        std::printf("simulator did not start: %s\n", error.c_str());
        return 1;
    }
    ConfigureKeyerPort(port);
    port.SetPort(sim.slavePath());
    port.SetConnected(true);  // the echo alone: no host mode, so the keyer says nothing else
    if (!port.Connected()) {
        std::printf("the keyer port did not open\n");
        return 1;
    }

    // Every handler run is timed; the bytes arrive one at a time, as the keyer sends them.
    std::chrono::nanoseconds spent{0};
    long handled = 0;
    auto decode = port.OnRxChar;
    port.OnRxChar = [&](SerialPort &sender, int count) {
        QElapsedTimer timer;
        timer.start();
        decode(sender, count);
        spent += std::chrono::nanoseconds(timer.nsecsElapsed());
        handled += count;
    };
    const auto echo = [&](long bytes, long perWrite) {
        const char *text = "CQ TEST S50A ";
        for (long i = 0; i < bytes; i += perWrite) {
            const long want = handled + perWrite;
            std::string chunk;
            for (long k = 0; k < perWrite; ++k)
                chunk.push_back(text[(i + k) % 13]);
            sim.sendRaw(chunk);
            QElapsedTimer waited;
            waited.start();
            while (handled < want && waited.elapsed() < 1000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    };
    const auto perByte = [&](const char *what, long bytes) {
        spent = {};
        const long before = handled;
        echo(bytes, 1);
        const long got = handled - before;
        std::printf("%-44s %8.2f us per byte (%ld bytes)\n", what,
                    got ? std::chrono::duration<double, std::micro>(spent).count() / got : 0.0, got);
    };

    perByte("echo bytes 1..1000", 1000);
    echo(58000, 100);  // the session's middle, quickly
    perByte("echo bytes 59001..60000", 1000);
    port.SetConnected(false);
    return 0;
}
