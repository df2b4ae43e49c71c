#include "app/QuitSignals.h"
#include "keyer/KeyerLink.h"
#include "ui/MessagePanel.h"
#include "ui/KeyerWindow.h"
#include "logging/Clock.h"
#include "logging/Contest.h"
#include "logging/ErrorReport.h"
#include "logging/FolderLock.h"
#include "ui/GuiSupport.h"
#include "logging/LogTable.h"
#include "ui/MainWindow.h"
#include "serial/SerialPort.h"

#include <QApplication>
#include <QSessionManager>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    setApplicationErrorHandler([](const std::string &message) {
        showError(QApplication::activeWindow(), QString::fromLocal8Bit(message.c_str()));
    });

    // The program keeps its log and settings beside its executable.
    const std::string folder = QCoreApplication::applicationDirPath().toStdString() + "/";

    // One program per folder, for the program's whole life; a second one touches nothing.
    FolderLock folderLock;
    if (!folderLock.claim(folder)) {
        const QString message = QStringLiteral("Quillfeather is already running with its log in %1.\n"
                                               "Two programs on one folder would write over each other's QSOs. "
                                               "Go on logging in the program that is already open, or close it "
                                               "and start this one again.")
                                    .arg(QCoreApplication::applicationDirPath());
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        showError(nullptr, message);
        return 1;
    }
    ContestState state;
    LogTable table;
    SystemClock clock;
    Contest contest(state, table, clock, folder);

    // The windows in their order: the main window (it loads the settings), the keyer
    // options window with the keyer's port, the message panel.
    MainWindow fMain(contest);
    SerialPort comPort;
    KeyerLink link(contest, comPort);
    KeyerWindow fWK(link, &fMain);
    MessagePanel fMemo(link, &fMain);

    // However the program is ended, the settings are saved as "Close" saves them.
    watchQuitSignals([&fMain] { fMain.close(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &fMain, [&fMain](QSessionManager &) {
        fMain.FormClose();
    });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &fMain, [&fMain] { fMain.FormClose(); });

    fMain.show();
    return app.exec();
}
