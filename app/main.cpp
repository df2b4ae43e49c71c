#include "app/QuitSignals.h"
#include "keyer/KeyerLink.h"
#include "keyer/TfMemo.h"
#include "keyer/TfWK.h"
#include "logging/Clock.h"
#include "logging/Contest.h"
#include "logging/ErrorReport.h"
#include "logging/GuiSupport.h"
#include "logging/LogTable.h"
#include "logging/TfMain.h"
#include "serial/ComPort.h"

#include <QApplication>
#include <QSessionManager>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    setApplicationErrorHandler([](const std::string &message) {
        showError(QApplication::activeWindow(), QString::fromLocal8Bit(message.c_str()));
    });

    // The program keeps its log and settings beside its executable.
    const std::string folder = QCoreApplication::applicationDirPath().toStdString() + "/";
    ContestState state;
    LogTable table;
    SystemClock clock;
    Contest contest(state, table, clock, folder);

    // The windows in their order: the main window (it loads the settings), the keyer
    // options window with the keyer's port, the message panel.
    TfMain fMain(contest);
    TComPort comPort;
    KeyerLink link(contest, comPort);
    TfWK fWK(link, &fMain);
    TfMemo fMemo(link, &fMain);

    // However the program is ended, the settings are saved as "Close" saves them.
    watchQuitSignals([&fMain] { fMain.close(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &fMain, [&fMain](QSessionManager &) {
        fMain.FormClose();
    });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &fMain, [&fMain] { fMain.FormClose(); });

    fMain.show();
    return app.exec();
}
