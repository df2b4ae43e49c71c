#pragma once

#include "logging/Clock.h"
#include "logging/ContestState.h"
#include "logging/EntryKeys.h"
#include "logging/KeyerActions.h"
#include "logging/LogCommands.h"
#include "logging/LogTable.h"
#include "logging/MainDisplay.h"
#include "logging/MainView.h"
#include "logging/QsoEntry.h"
#include "logging/RadioActions.h"
#include "logging/StationQso.h"

#include <functional>
#include <string>

// The contest logic of the main window: start-up, clock, band and mode, the setup
// panel, and the entry, log and key handling it owns. Runs without a window;
// the window hands it the operator's actions and shows MainDisplay.
class Contest {
public:
    // folder: the program's folder, ending in '/', where the log lives.
    Contest(ContestState &state, LogTable &table, const Clock &clock, std::string folder);

    ContestState &st;
    LogTable &table;
    const Clock &clock;
    const std::string folder;
    MainDisplay display;
    // On a networked station: the other position that logged this call on this band and
    // mode, or empty. Not set on a station of one computer.
    std::function<std::string(const std::string &call, const std::string &band, const std::string &mode)>
        otherPositionDupe;
    // On a networked station: the whole station's QSOs in time order, for the files after the
    // contest and the aids. Not set on a station of one computer.
    std::function<std::vector<StationQso>()> stationQsos;

    QsoEntry entry{*this};
    LogCommands log{*this};
    EntryKeys keys{*this};

    MainView &view() { return *view_; }
    KeyerActions &keyer() { return *keyer_; }
    RadioActions &radio() { return *radio_; }
    void setView(MainView *view) { view_ = view ? view : &nullView_; }
    void setKeyer(KeyerActions *keyer) { keyer_ = keyer ? keyer : &noKeyer_; }
    void setRadio(RadioActions *radio) { radio_ = radio ? radio : &noRadio_; }

    // The own log; a file whose name differs only in letter case stands for a missing one.
    std::string logPath() const;
    void showQsoCount();  // LQSO
    void refresh() { view_->displayChanged(); }

    // Window creation, after the settings are loaded.
    void formCreate();
    // Window show: labels, date, restored log. Returns the malformed log lines skipped.
    std::vector<int> formShow();
    // 100 ms after showing: the keyer link if it was open last time, and the first time stamp.
    void startTimerTick();
    void clockTick();

    void bandSelected(int index);
    void modeSelected(int index);
    // The radio's frequency (as shown), its band ("" outside the contest bands) and
    // mode ("" when it is neither CW nor phone); followed while the band list stands on "CAT".
    void radioTuned(const std::string &frequency, const std::string &band, const std::string &mode);
    // The radio link's state: connected, or failing to reach the radio, in words.
    void radioStatus(bool connected, bool failing, const std::string &text);
    void myCallChanged(const std::string &text);
    void exchangeChanged(const std::string &text);
    void openSetup();   // the "Setup" menu
    // "Izhod"; the log of a changed own call is loaded. Returns its malformed lines skipped.
    std::vector<int> closeSetup();
    void modeBoxClicked();
    void showRunMode();  // LRun from RunMode
    void setEnterSendMsg(bool on);  // ESM and its label

private:
    void showShapes();
    void showMode();
    void applyMode(int index);
    void refreshTime(const UtcStamp &now);

    NullMainView nullView_;
    NoKeyer noKeyer_;
    NoRadio noRadio_;
    MainView *view_ = &nullView_;
    KeyerActions *keyer_ = &noKeyer_;
    RadioActions *radio_ = &noRadio_;
};
