#pragma once

#include "logging/ContestState.h"

#include <array>
#include <string>

// What the main window shows, as the contest logic last decided it.
// The window copies it onto its controls when told that it changed.
struct MainDisplay {
    std::string Caption;
    std::string LCall;
    std::string LTest;
    std::string LTestFrequency;  // beside the band while it follows the radio
    bool LTestWarning = false;   // the frequency lies outside the contest bands, or the radio is lost
    std::string LClock;
    std::string LSecond;
    std::string LInfo;
    std::string LInfo1;
    bool LDouble = false;  // "DVOJNA ZVEZA" while shown
    std::string LDoubleBy;  // the other position of the station that logged the dupe
    std::string LQSO;
    std::string LMemo;
    std::string LTransmit;
    bool LRunIsRun = false;  // "RUN" in red, else "S/P" in black
    bool LESMVisible = false;
    std::string LSpeed;
    std::string LSpeedPaddle;
    std::string BModeText = "  CW";
    std::string BModeColor = Colors::ColorGreen;
    std::string BModeHint;
    std::string EWinkeyerColor = Colors::ColorRed;
    std::string ECATColor = Colors::ColorRed;  // green while the radio answers
    std::string ECATHint;                      // the radio link's state in words
    bool CwControlsVisible = true;  // LSpeed, LSpeed1, LSpeedPaddle
    bool EWinkeyerVisible = true;
    std::string ShapeCallColor = Colors::ColorGreen;
    std::string ShapeExchangeColor = Colors::ColorGreen;
    std::string EDate;
    std::string EMyCall;
    std::string EExchange;
    int EModeIndex = -1;  // -1 leaves the list as it is
    int EBandIndex = -1;
    // Last three ESM states and S/P steps, newest first; each shows its own name until the first Enter.
    std::array<std::string, 3> Lcwtx{"Lcwtx", "LcwtxB", "LcwtxBB"};
    std::array<std::string, 3> Lsptx{"Lsptx", "LsptxB", "LsptxBB"};
};
