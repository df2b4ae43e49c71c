#pragma once

#include "aids/AidSettings.h"
#include "aids/CallHistory.h"
#include "aids/CheckLists.h"

#include <QObject>

class CheckWindow;
class Contest;
class MainWindow;
class QAction;

// The aids against busted calls, hung on the main window: the check window that follows
// the entry line and the log, the call history's exchange on Tab, and their menu items.
class ContestAids : public QObject {
    Q_OBJECT
public:
    // Reads the aids' settings and files from the contest's folder; a window that was
    // open when the program last closed opens again once the main window shows.
    ContestAids(Contest &contest, MainWindow &main);
    ~ContestAids() override;

    // Keeps the windows' places; run when the program ends.
    void save();

    CheckWindow *fCheckCalls;
    QAction *CheckMenu, *SaveHistoryMenu;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CheckMenuClick();
    void showCheckWindow();
    void refreshCheck();
    void callChosen(const std::string &call);
    void checkPlaceChanged(bool open);
    bool ECallTab();
    void SaveHistoryMenuClick();

    Contest &c_;
    MainWindow &w_;
    AidSettings settings_;
    CallChecker checker_;
    CallHistory history_;
};
