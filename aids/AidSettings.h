#pragma once

#include <string>

// Where an aid window stands and whether it was open when the program closed.
struct AidWindowPlace {
    int left = 0;
    int top = 0;
    bool visible = false;
    bool stored = false;  // the file gave a position
};

// The contest aids' section [AIDS] of the main settings file.
struct AidSettings {
    std::string HistoryField = "Exch1";  // the call history column that is the exchange
    AidWindowPlace check;
    AidWindowPlace rate;
};

// Reads [AIDS] with the current values as defaults; a missing file or key changes nothing.
void LoadAidSettings(AidSettings &settings, const std::string &folder);
// Writes [AIDS] in one rewrite; throws ProfileWriteError when the file cannot be written.
void SaveAidSettings(const AidSettings &settings, const std::string &folder);
