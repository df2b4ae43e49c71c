#pragma once

#include "logging/ContestState.h"

#include <string>

// The options window's indicators, as the keyer link last set them.
struct WkDisplay {
    std::string ShapeComColor = Colors::ColorRed;  // link lamp
    std::string LCCom = "Port";
    bool LCComBold = false;
    std::string LBCom = "BRate";
    std::string LInfo;   // "Winkeyer 2 - Open"
    std::string LInfo1;  // "WKConnected", or why the port did not open
    bool OutputHeld = false;  // the keyer holds back what is sent (XOFF)
    std::string BOpenCom = "Open Com";
    std::string ShapePadColor = Colors::ColorGreen;
    std::string LPad;
    std::string ShapePTTColor = Colors::ColorGreen;
    std::string LTun;
    std::string LSpeedPaddle = "10";
};

// What the keyer link asks of the options window beyond showing WkDisplay.
// Setting a control from here runs its handler, as the operator's change would.
class WkView {
public:
    virtual ~WkView() = default;
    virtual bool isShown() const = 0;
    virtual void showWindow() = 0;
    virtual std::string commandText() const = 0;
    virtual void setCommandText(const std::string &text) = 0;
    virtual void focusCommand() = 0;  // caret after the last character
    virtual bool asciChecked() const = 0;
    virtual bool edSpeedEnabled() const = 0;
    virtual void showEdSpeed(int value) = 0;
    virtual void showUpSpeed(int value) = 0;
    virtual void selectSidetone(int position) = 0;  // a choice by the program runs no handler
    virtual void setEsmChecked(bool checked) = 0;
    virtual void loadOptionsIntoWindow() = 0;
    virtual void displayChanged() = 0;
};

// The message panel, as the keyer side and the entry keys drive it.
class MemoView {
public:
    virtual ~MemoView() = default;
    virtual bool isShown() const = 0;
    virtual void setPanelVisible(bool shown) = 0;
    virtual void showRun(bool run) = 0;
    virtual void showEsm(bool shown) = 0;
    virtual void setTuneCaption(const std::string &caption) = 0;
};
