#pragma once

#include "aids/AidSettings.h"
#include "aids/CallHistory.h"
#include "aids/CheckLists.h"
#include "logging/StationQso.h"

#include <QObject>

class CheckWindow;
class RateWindow;
class QWidget;
class Contest;
class MainWindow;
class QAction;

// The contest aids hung on the main window: the check window that follows the entry line
// and the log, the call history's exchange on Tab, the rate window, and their menu items.
class ContestAids : public QObject {
    Q_OBJECT
public:
    // Reads the aids' settings and files from the contest's folder; a window that was
    // open when the program last closed opens again once the main window shows.
    ContestAids(Contest &contest, MainWindow &main);
    ~ContestAids() override;

    // Keeps the windows' places; run when the program ends.
    void save();
    // On a networked station: another position's QSOs changed; the lists and figures count them.
    void stationChanged();

    CheckWindow *fCheckCalls;
    RateWindow *fRate;
    QAction *CheckMenu, *RateMenu, *SaveHistoryMenu;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void toggle(QWidget *window, AidWindowPlace &place);
    void show(QWidget *window, AidWindowPlace &place);
    void placeChanged(QWidget *window, AidWindowPlace &place, bool open);
    void logChanged();
    void refreshCheck();
    void refreshRate();
    // The whole station's QSOs as Contest::stationQsos last gave them, asked again after a change.
    const std::vector<StationQso> &stationQsos();
    void callChosen(const std::string &call);
    bool ECallTab();
    void SaveHistoryMenuClick();

    Contest &c_;
    MainWindow &w_;
    AidSettings settings_;
    CallChecker checker_;
    CallHistory history_;
    int shownMinute_ = -1;
    bool refreshDue_ = false;
    std::vector<StationQso> station_;
    bool stationDue_ = true;
};
