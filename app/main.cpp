#include "app/CommandLine.h"
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
#include "logging/ScreenText.h"
#include "logging/Version.h"
#include "ui/MainWindow.h"
#include "ui/CabrilloHeaderDialog.h"
#include "ui/ContestAids.h"
#include "serial/SerialPort.h"
#include "settings/ProgramFolder.h"
#include "radio/RadioLink.h"
#include "net/NetStation.h"
#include "net/WholeStation.h"
#include "ui/NetworkDialog.h"
#include "ui/NetworkWindow.h"
#include "ui/RadioSetupDialog.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSessionManager>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

int main(int argc, char **argv)
{
    // The program's own options are read before the toolkit starts, so that --help and
    // --version answer without a display.
    const CommandLine options = ParseCommandLine(std::vector<std::string>(argv, argv + argc));
    if (!options.error.empty()) {
        std::fprintf(stderr, "quillfeather: %s\n%s", options.error.c_str(), UsageText().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("quillfeather %s\n", QuillfeatherVersion);
        return 0;
    }
    std::vector<std::string> toolkitArgs = options.rest;
    std::vector<char *> toolkitArgv;
    for (std::string &a : toolkitArgs)
        toolkitArgv.push_back(a.data());
    toolkitArgv.push_back(nullptr);
    int toolkitArgc = int(toolkitArgs.size());

    QApplication app(toolkitArgc, toolkitArgv.data());
    setApplicationErrorHandler([](const std::string &message) {
        showError(QApplication::activeWindow(), messageToScreen(message));
    });

    const std::string folder = ChooseProgramFolder(
        ReadFolderFacts(QCoreApplication::applicationDirPath().toStdString(), options.folder));
    if (const std::string failure = EnsureFolder(folder); !failure.empty()) {
        showError(nullptr, messageToScreen(failure) +
                               QStringLiteral("\nSet QUILLFEATHER_HOME or start with --folder DIR."));
        return 1;
    }

    // One program per folder, for the program's whole life; a second one touches nothing.
    FolderLock folderLock;
    if (!folderLock.claim(folder)) {
        const QString message = QStringLiteral("Quillfeather is already running with its log in %1.\n"
                                               "Two programs on one folder would write over each other's QSOs. "
                                               "Go on logging in the program that is already open, or close it "
                                               "and start this one again.")
                                    .arg(QString::fromLocal8Bit(folder.c_str()));
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        showWarning(nullptr, QStringLiteral("Quillfeather"), message);
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
    // The radio is read on its own thread; its setup dialog opens from the setup panel
    // and from "CAT" in the band list.
    RadioLink radio(contest);
    RadioSetupDialog fCat(radio, &fMain);
    radio.setSetupOpener([&fCat] { fCat.showDialog(); });
    ContestAids aids(contest, fMain);
    CabrilloHeaderDialog fCabrillo(contest.folder, &fMain);
    QAction *cabrilloHeader = new QAction(QStringLiteral("Cabrillo Header"), &fMain);
    QObject::connect(cabrilloHeader, &QAction::triggered, &fCabrillo, &CabrilloHeaderDialog::showDialog);
    menuNamed(fMain, QStringLiteral("File"))->insertAction(fMain.SaveAdifMenu, cabrilloHeader);

    // With [NET] Enabled the log is shared with the station's other positions through its
    // broker; the own log and its file stay as they are without it.
    // The box in the menu bar tells the link's state, never a message box mid-contest.
    NetworkDialog fNet(folder, &fMain);
    QObject::connect(&fMain, &MainWindow::networkSetupClicked, &fNet, &NetworkDialog::showDialog);
    NetSettings netSettings;
    LoadNetSettings(netSettings, folder);
    std::unique_ptr<NetStation> net;
    QTimer netStatus;
    if (netSettings.Enabled) {
        net = std::make_unique<NetStation>(table, netSettings, state.MyCall, folder);
        std::string failure;
        if (net->start(failure)) {
            contest.otherPositionDupe = [&net](const std::string &call, const std::string &band, const std::string &mode) {
                return net->dupeStation(call, band, mode);
            };
            // Save CBR, Save ADIF, the check window and the rate window take the whole station's
            // log; the grid, the log file and the serial numbers stay the position's own.
            contest.stationQsos = [&net, &state, &table, &netSettings] {
                return WholeStationQsos(state, table, net->sharedLog(), net->station(), netSettings.Transmitter);
            };
            QObject::connect(net.get(), &NetStation::sharedLogChanged, &aids, &ContestAids::stationChanged);
            QObject::connect(net.get(), &NetStation::stateChanged, &fMain, [&fMain](bool up, const QString &text) {
                std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
                fMain.showNetState(up, text);
            });
            fMain.showNetState(net->isUp(), QString::fromStdString(net->stateText()));
            // The others see this position's band, mode and Run or S/P within a second.
            QObject::connect(&netStatus, &QTimer::timeout, net.get(), [&net, &state] {
                net->setStatus(state.Band, state.Mode, state.RunMode);
            });
            netStatus.start(1000);
        } else {
            const QString text = QStringLiteral("The log is not shared with the other positions: ") + messageToScreen(failure)
                                 + QStringLiteral(". Correct it in Setup, \"Setup Network\", and start the program again.");
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
            fMain.showNetState(false, text);
            net.reset();
        }
    }
    NetworkWindow fNetwork(net.get(), &fMain);
    QAction *network = new QAction(QStringLiteral("Network"), &fMain);
    QObject::connect(network, &QAction::triggered, &fNetwork, &NetworkWindow::showWindow);
    menuNamed(fMain, QStringLiteral("Other"))->insertAction(fMain.By, network);

    // However the program is ended, the settings are saved as "Close" saves them.
    watchQuitSignals([&fMain] { fMain.close(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &fMain, [&fMain, &aids](QSessionManager &) {
        fMain.FormClose();
        aids.save();
    });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &fMain, [&fMain, &aids] {
        fMain.FormClose();
        aids.save();
    });
    // The keyer leaves host mode with the program; ComConnected stays for the next start.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &link, [&link] { link.leaveHostMode(); });

    fMain.show();
    return app.exec();
}
