// Enter in the main window until the window is free again, the QSO's line on the disk by
// then, with the log shared through a mosquitto on this machine and without (target: no
// difference beyond noise). The two positions take turns, so a busy machine weighs on both.
#include "net/MosquittoRig.h"
#include "net/NetStation.h"
#include "support/FixedClock.h"
#include "ui/MainWindow.h"
#include "BenchLog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

// One position in a folder of its own, as the program wires it.
struct Position {
    TestFolder dir;
    ContestState st;
    LogTable table;
    FixedClock clock;
    Contest contest{st, table, clock, dir.path()};
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<NetStation> net;
    std::vector<double> micros;
    int logged = 0;

    explicit Position(const MosquittoRig *broker)
    {
        writeBenchLog(dir.path(), "S59ABC", 1000);
        window = std::make_unique<MainWindow>(contest);
        st.MyCall = "S59ABC", st.Mode = "CW", st.Band = "40", st.EnterSendMsg = false;
        window->show();
        waitUntil([&] { return st.QsoCount == 1000; }, 10000);
        if (!broker)
            return;
        NetSettings s;
        s.Enabled = true, s.Broker = broker->address(), s.Station = "RUN1", s.Group = "BENCH";
        net = std::make_unique<NetStation>(table, s, st.MyCall, dir.path());
        std::string error;
        if (!net->start(error) || !waitUntil([&] { return net->isUp(); }, 20000))
            std::fprintf(stderr, "the position did not reach the broker: %s %s\n", error.c_str(), net->stateText().c_str());
        contest.otherPositionDupe = [this](const std::string &call, const std::string &band, const std::string &mode) {
            return net->dupeStation(call, band, mode);
        };
    }

    void enter(int n)
    {
        window->ECall->setText(QStringLiteral("S5B%1 59").arg(n));
        const int before = st.QsoCount;
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        const auto start = std::chrono::steady_clock::now();
        QApplication::sendEvent(window->ECall, &key);
        const auto end = std::chrono::steady_clock::now();
        if (st.QsoCount == before)
            return;
        ++logged;
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        // An operator's next Enter comes no sooner: what follows an Enter has run by then.
        QTest::qWait(20);
    }

    void print(const char *name)
    {
        std::sort(micros.begin(), micros.end());
        if (micros.empty())
            return void(std::printf("%s: no Enter logged a QSO\n", name));
        std::printf("Enter until the line is on the disk and the window free, %s, %zu QSOs: median %.0f us, 90%% %.0f us, "
                    "worst %.0f us\n",
                    name, micros.size(), micros[micros.size() / 2], micros[micros.size() * 9 / 10], micros.back());
    }
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MosquittoRig broker;
    if (!MosquittoRig::installed() || !broker.start()) {
        std::fprintf(stderr, "mosquitto could not be started (Debian package mosquitto)\n");
        return 1;
    }
    Position off(nullptr), on(&broker);
    for (int i = 0; i < 500; ++i)  // each first in turn: neither is always the one after a pause
        i % 2 ? (off.enter(i), on.enter(i)) : (on.enter(i), off.enter(i));
    off.print("network off");
    on.print("network on ");
    return off.logged && on.logged ? 0 : 1;
}
