#include "app/QuitSignals.h"
#include "keyer/KeyerLink.h"
#include "ui/MessagePanel.h"
#include "ui/KeyerWindow.h"
#include "logging/Clock.h"
#include "logging/Contest.h"
#include "logging/ErrorReport.h"
#include "ui/GuiSupport.h"
#include "logging/LogTable.h"
#include "ui/MainWindow.h"
#include "serial/SerialPort.h"
#include "radio/RadioLink.h"
#include "ui/RadioSetupDialog.h"

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
    MainWindow fMain(contest);
    SerialPort comPort;
    KeyerLink link(contest, comPort);
    KeyerWindow fWK(link, &fMain);
    MessagePanel fMemo(link, &fMain);
    // The radio is read on its own thread; its setup dialog opens from the setup panel
    // and from "CAT" in the band list.
    RadioLink radio(contest);
    RadioSetupDialog fCat(radio, &fMain);
    radio.setSetupOpener([&fCat] { fCat.showDialog(); });

    // However the program is ended, the settings are saved as "Close" saves them.
    watchQuitSignals([&fMain] { fMain.close(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &fMain, [&fMain](QSessionManager &) {
        fMain.FormClose();
    });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &fMain, [&fMain] { fMain.FormClose(); });

    fMain.show();
    return app.exec();
}
