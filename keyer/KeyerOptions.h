#pragma once

#include "keyer/WkView.h"
#include "settings/MainSettings.h"

#include <optional>
#include <stdexcept>
#include <string>

class KeyerLink;
class Contest;
struct ContestState;

// What the option handlers ask of the options window beyond what the keyer link asks.
class OptionsView : public WkView {
public:
    virtual void enableEdSpeed(bool enabled) = 0;
    virtual void setEdSpeedStep(int step) = 0;
    virtual void setTuneCaption(const std::string &caption) = 0;  // BTune
};

// A text that should hold a whole number and does not; the message is the one an
// operator sees in the error box.
class NumberConversionError : public std::runtime_error {
public:
    explicit NumberConversionError(const std::string &text);
};

// The number in a text of decimal digits; throws NumberConversionError for an empty
// text, any other character or a value beyond int.
int TextToInt(const std::string &text);

// The keyer options window's decisions: which frame each option sends and when, the
// limits of the timing boxes, the speed-pot choices, tune and the command box keys.
// The window hands it what the operator did and shows the outcome; setting one of
// its controls through OptionsView runs that control's handler, as the window does.
class KeyerOptions {
public:
    explicit KeyerOptions(KeyerLink &link);

    void setView(OptionsView *view) { view_ = view; }
    KeyerLink &link() { return link_; }

    // Window creation: the port gets the keyer's line settings, then the stored ones
    // from the keyer window file; the result is the stored window position.
    KeyerWindowPosition windowCreated();
    // "Close": the window position first, then the port's settings, into the same file.
    void closeClicked(const KeyerWindowPosition &position);

    // Showing, around the control settings the window makes itself.
    void showing();  // indicators a fresh showing starts from
    void shown();    // status timer, paddle speed default
    // Before the stored options reach the controls: empty timing texts become "0",
    // and the sidetone code follows the stored list position.
    void loadingOptions();

    enum ModeOption { PaddleWatchdog, PaddleEcho, PaddleSwap, SerialEcho, AutoSpace, WordSpace };
    void modeOptionClicked(ModeOption option, bool checked);
    void paddleModeChosen(int position);
    void sidetoneChosen(int position);
    void sidetonePaddleClicked(bool checked);

    void speedChanged(int value);        // EdSpeed
    void speedModeChosen(int mode);      // SM1, SM2, SM3 checked: 0, 1, 2
    void speedStepChosen(int step);      // RB1, RB2 checked: 1, 2
    void speedFactorChanged(int value);  // UpSpeed
    // SpeedMin, then SpeedMax, from the two boxes; a text that is no number throws
    // NumberConversionError and nothing is sent.
    void sendSpeedRange(const std::string &minText, const std::string &maxText);

    enum TimingField { Lead, Tail, FirstCarExt, KeyComp, Ratio };
    // Stores an accepted text; returns the text the box must show instead when the
    // typed number is over the field's limit.
    std::optional<std::string> timingChanged(TimingField field, const std::string &text);
    void hangTimeChosen(int position);
    // The four timing frames with the keyer's pauses, once the keyer is on line.
    void writeToWinkeyer();

    void tuneClicked();
    void testMessage(int number);  // BF1 .. BF9
    void esmClicked(bool checked);
    void memoClicked(bool checked);
    void asciClicked(bool checked);
    void autoConnectClicked(bool checked);
    void messageEdited(int set, int index, const std::string &text);  // set 0 Run, 1 S/P, 2 visual
    void shortCharClicked(int which, bool checked);                   // 0 "0=T", 1 "0=O", 2 "9=N"

    // The command box: a key going down (EntryKeys codes); true when it is consumed.
    bool commandKeyDown(int key, bool ctrl, bool shift, bool alt);
    void commandEscape();

private:
    ContestState &st();
    Contest &main();
    void sendMode();
    void sendSidetone();
    void showSpeedOnMain();
    void focusCommand();

    KeyerLink &link_;
    OptionsView *view_ = nullptr;
};
