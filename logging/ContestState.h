#pragma once

#include "logging/EsmSteps.h"

#include <array>
#include <string>

// Colours are kept as "$00BBGGRR" texts, as the settings and the windows exchange them.
namespace Colors {
inline constexpr const char *ColorBlue = "$00FFEEAA";
inline constexpr const char *ColorRed = "$00AAAAFF";
inline constexpr const char *ColorGreen = "$00A5FDBF";
inline constexpr const char *ColorWhite = "$00FFFFFF";
} // namespace Colors

// The mode list of the setup panel shows "CW" first and phone ("PH") second; -1 is no mode chosen.
inline int ModeListIndex(const std::string &mode) { return mode == "CW" ? 0 : mode == "SSB" ? 1 : -1; }
inline std::string ModeAtListIndex(int index) { return index == 0 ? "CW" : index == 1 ? "SSB" : ""; }

// The program-wide contest state shared by every window and the keyer link.
// The program holds one instance; tests make their own. Texts are 8-bit bytes.
struct ContestState {
    // Station and working data.
    std::string MyCall;
    std::string MyYearLic;
    std::string Mode;  // "CW", "SSB" or empty until chosen; the mode list shows it (ModeListIndex)
    std::string Band;  // a band's name in ContestBands (logging/Bands.h)
    bool RunMode = false;
    bool EnterSendMsg = false;
    bool VisibleMemo = false;
    bool VisibleASCI = false;

    // Values that stand for window controls in the settings file.
    bool CbExchange = false;  // setup panel "Exchange"
    bool CbNumber = false;    // setup panel "Number"
    std::string ContestId;    // the contest's name for the logbook services; set in the settings file
    int MainTop = 104;
    int MainLeft = 206;

    // Keyer link and speed.
    bool ComAuto = false;
    bool ComConnected = false;
    int Speed = 0;
    int SpeedUp = 0;
    int SpeedMode = 0;  // 0 pot sets paddle only, 1 pot ignored, 2 pot sets speed
    int SpeedMin = 0;
    int SpeedMax = 0;
    int SpeedStep = 0;
    int Sidetone = 0;  // list position, 0 = 4000 Hz .. 8 = 444 Hz

    // Message memories: index 0 is F1.
    std::array<std::string, 9> F;      // Run set
    std::array<std::string, 9> Fs;     // S/P set
    std::array<std::string, 9> FText;  // visual labels of the message panel

    // Cut numbers.
    bool Short0T = false;
    bool Short0O = false;
    bool Short9N = false;

    // Keyer options as shown in the keyer options window.
    bool PaddleWatchdog = false;
    bool PaddleEcho = false;
    bool PaddleSwap = false;
    bool SerialEcho = false;
    bool AutoSpace = false;
    bool WordSpace = false;
    int PaddleMode = 0;
    bool SidetonePaddle = false;
    std::string Lead;
    std::string Tail;
    std::string FirstCarExt;
    std::string KeyComp;
    std::string Ratio;
    int HangTime = 0;

    // Register images, loaded and saved but never sent as loaded.
    int E0 = 0;
    int R01 = 0;
    int R09 = 0;

    // The radio read through Hamlib (CAT).
    int CatModel = 0;        // Hamlib model number, 0 = no radio
    std::string CatPort;     // serial device, or host:port for rigctld
    int CatBaudRate = 0;     // 0: the radio's own default
    bool CatFollow = false;  // the band list stands on "CAT": band and mode follow the radio

    // Log and time.
    int QsoCount = 0;
    std::string LogDate;       // "yyyy-mm-dd", local date at window show
    std::string LogTime;       // "hh:mm"; a commit drops the colon until the next refresh
    std::string LogUtcDate;    // UTC date belonging to LogTime
    std::string ClockSeconds;  // "ss"
    bool HasLog = false;

    // Entry line.
    std::string EntryText;
    int EntryLength = 0;
    int BlankPos = 0;  // 1-based position of the first blank, 0 when none
    std::string QsoCall;
    std::string QsoExchange;
    std::string LastCall;
    bool IsDupe = false;

    // Enter-sends-message and keyer bookkeeping.
    EsmStep EsmState = EsmStep::Idle;
    bool KeyerBusy = false;
    bool KeyerOnline = false;
    bool TuneOn = false;
    std::string CallSent;
    bool CallStreaming = false;
    SpStage SpStep = SpStage::Start;
    bool SpExchangeDue = false;
    int EnterLength = 0;
    std::string LastKey;
    std::string MessageText;
    std::string KeyerVersion;
    std::string PaddleSpeed;
};
