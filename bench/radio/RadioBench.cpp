// A frequency change at the radio until the new band is on the screen: Hamlib's dummy
// radio behind rigctld, the main window following it with the band list on "CAT".
// Median and worst of 100 changes; the target is the poll interval plus at most 50 ms.
#include "logging/Contest.h"
#include "logging/LogTable.h"
#include "radio/RadioLink.h"
#include "ui/MainWindow.h"
#include "support/FixedClock.h"
#include "support/FreePort.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using SteadyClock = std::chrono::steady_clock;

namespace {

// The main window that notes when its band label last changed.
class TimedMain : public MainWindow {
public:
    using MainWindow::MainWindow;
    void displayChanged() override
    {
        MainWindow::displayChanged();
        if (!awaited.isEmpty() && LTest->text().endsWith(awaited)) {
            shownAt = SteadyClock::now();
            awaited.clear();
            if (waiting)
                waiting->quit();
        }
    }
    QString awaited;
    SteadyClock::time_point shownAt;
    QEventLoop *waiting = nullptr;
};

// One command in rigctld's protocol; true when it answers "RPRT 0".
bool rigctl(int port, const std::string &command)
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string reply;
    char c;
    if (connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0
        && send(s, command.data(), command.size(), 0) == static_cast<ssize_t>(command.size()))
        while (recv(s, &c, 1, 0) == 1 && c != '\n')
            reply += c;
    close(s);
    return reply == "RPRT 0";
}

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const int port = freePort();
    QProcess rigctld;
    rigctld.start(QStringLiteral("rigctld"), {"-m", "1", "-T", "127.0.0.1", "-t", QString::number(port)});
    bool up = rigctld.waitForStarted();
    for (int i = 0; up && i < 100 && !rigctl(port, "M CW 500\n"); ++i)
        QThread::msleep(100);
    if (!up || !rigctl(port, "F 7025000\n")) {
        std::printf("rigctld (Debian package libhamlib-utils) did not start\n");
        return 1;
    }

    QTemporaryDir dir;
    ContestState st;
    st.MyCall = "S5ABC";
    st.Mode = "CW";
    st.Band = "40";
    st.CatModel = 2;
    st.CatPort = "127.0.0.1:" + std::to_string(port);
    LogTable table;
    FixedClock clock;
    Contest contest(st, table, clock, dir.path().toStdString() + "/");
    TimedMain window(contest);
    RadioLink radio(contest);
    window.show();
    window.EBand->setCurrentIndex(6);
    emit window.EBand->activated(6);
    wait(1000);

    std::vector<double> samples;
    for (int i = 0; i < 100; ++i) {
        const bool twenty = i % 2 == 0;
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        window.awaited = twenty ? QStringLiteral("20 m") : QStringLiteral("40 m");
        window.waiting = &loop;
        timeout.start(5000);
        const auto changed = SteadyClock::now();
        rigctl(port, twenty ? "F 14025000\n" : "F 7025000\n");
        if (window.awaited.isEmpty() || (loop.exec(), timeout.isActive()))
            samples.push_back(std::chrono::duration<double, std::milli>(window.shownAt - changed).count());
        window.waiting = nullptr;
        // Changes come at any moment of the poll cycle, as an operator's do.
        wait(QRandomGenerator::global()->bounded(RadioLink::PollMs));
    }
    std::sort(samples.begin(), samples.end());
    if (samples.empty()) {
        std::printf("no band change reached the screen\n");
        return 1;
    }
    std::printf("frequency changed at the radio -> new band on the screen: median %.1f ms, worst %.1f ms "
                "(%zu of 100; target %d ms)\n",
                samples[samples.size() / 2], samples.back(), samples.size(), RadioLink::PollMs + 50);
    rigctld.kill();
    rigctld.waitForFinished();
    return 0;
}
