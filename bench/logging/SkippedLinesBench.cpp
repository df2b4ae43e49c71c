// Prints how long the program takes from showing its window to showing the message about
// unreadable log lines, for logs of 30,000, 300,000 and 1,000,000 such lines, and how tall
// that message is: the time must grow in step with the file and the message fit the screen.
#include "logging/Clock.h"
#include "logging/Contest.h"
#include "logging/DurableFile.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

void run(int badLines)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    std::string text = "2013-04-14 0712 S5AAA 1987 80 CW\r\n";
    for (int i = 0; i < badLines; ++i)
        text += "2013-04-14 ab:c S5BBB 1987 80 CW\r\n";
    appendDurably(folder + "S5.log", text);

    ContestState st;
    LogTable table;
    SystemClock clock;
    Contest contest(st, table, clock, folder);
    QElapsedTimer timer;
    timer.start();
    MainWindow window(contest);
    double shownMs = -1;
    int height = 0;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            shownMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
            height = box->sizeHint().height();
            poll.stop();
            box->close();
            QTimer::singleShot(0, &loop, &QEventLoop::quit);
        }
    });
    poll.start(1);
    window.show();
    loop.exec();
    std::printf("%8d unreadable lines: message shown after %8.1f ms (%.2f us per line), message %d px tall\n",
                badLines, shownMs, shownMs * 1000 / badLines, height);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (int lines : {30000, 300000, 1000000})
        run(lines);
    return 0;
}
