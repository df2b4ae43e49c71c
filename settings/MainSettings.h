#pragma once

#include <string>

class Clock;
struct ContestState;

// The main settings file in the program's folder (folder ends with '/'):
// the program name and "ini.ini" joined as they stand.
std::string MainSettingsFile(const std::string &folder);
// The keyer options window's file in the program's folder.
std::string KeyerWindowFile(const std::string &folder);

// Reads every key of the main settings file into the state, each with the state's
// current value as default (a missing file, section or key changes nothing), each
// integer clamped into the range it means something in, then makes a SpeedStep
// other than 1 or 2 into 1 and a negative CAT model or baud rate into 0. The file is
// read once, however large. Run once, first thing when the main window is created.
// Without a main settings file, or with one that only other windows have written into yet
// (the Network dialog, the Cabrillo header: no GENERAL, no WK), the state is made ready to
// work instead: CW on 80 m at 25 wpm, Run, ESM off and
// the standard messages; returns false then.
bool LoadMainSettings(ContestState &state, const std::string &folder);
void ApplyFirstStartSettings(ContestState &state);

// Writes every key of the main settings file in the file's fixed order, in one rewrite;
// lastDate is written under INFO/LastDate (see SystemShortDate). Run only when the main
// window closes. When that rewrite fails the keys are written one at a time, and
// ProfileWriteError ("Unable to write to <path>") is thrown at the first key that
// cannot be written; the keys before it stay written.
void SaveMainSettings(const ContestState &state, const std::string &folder, const std::string &lastDate);

// Today's local date of the clock in the system's short date format, 8-bit text.
std::string SystemShortDate(const Clock &clock);

// The keyer options window's position as kept in its file's VIEW section.
// The initial values are the window's own.
struct KeyerWindowPosition {
    int WKTop = 112;
    int WKLeft = 664;
    bool stored = false;  // the file held either value
};

// Reads WKTop and WKLeft with the current values as defaults.
void LoadKeyerWindowPosition(KeyerWindowPosition &position, const std::string &folder);
// Writes WKTop then WKLeft; throws ProfileWriteError as SaveMainSettings does.
void SaveKeyerWindowPosition(const KeyerWindowPosition &position, const std::string &folder);
