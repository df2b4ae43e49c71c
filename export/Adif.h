#pragma once

#include "logging/Clock.h"
#include "logging/StationQso.h"

#include <stdexcept>
#include <string>
#include <vector>

class LogTable;
struct ContestState;

// Why the ADIF export stopped, in words for the operator (8-bit text, shown with
// toScreen). When it is raised no file has been replaced.
class AdifError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What an export wrote, for the message the operator sees afterwards.
struct AdifExport {
    std::string path;
    int qsos = 0;
    // ADI carries ASCII only: QSOs (0-based, in the order written) whose call or received exchange
    // lost characters, and whether the own call, own exchange or contest name did.
    std::vector<int> rowsLosingCharacters;
    bool ownFieldsLosingCharacters = false;
    // Neither or both of "Exchange" and "Number" ticked: no sent exchange is written.
    bool sentExchangeLeftOut = false;
};

// The export's file: the program's folder (ending with '/'), the own call as the log
// file's name has it, ".adi".
std::string AdifFilePath(const ContestState &state, const std::string &folder);

// The ADI text of the first QsoCount rows, created at the given UTC moment. Throws
// AdifError for a row whose call is empty or whose band, mode, time or date cell is
// outside what ADIF can say, naming the row.
std::string AdifText(const ContestState &state, const LogTable &log, const UtcStamp &created, AdifExport &info);
// The same for a list of QSOs in the order they are written, a networked station's whole log.
std::string AdifText(const ContestState &state, const std::vector<StationQso> &qsos, const UtcStamp &created,
                     AdifExport &info);

// Writes AdifText to the file beside the old one and renames it over the old one only
// when complete, so a stop leaves an earlier export as it was. Throws AdifError as
// AdifText does, and when the file cannot be created or written.
AdifExport ExportAdif(const ContestState &state, const LogTable &log, const std::string &folder,
                      const UtcStamp &created);
AdifExport ExportAdif(const ContestState &state, const std::vector<StationQso> &qsos, const std::string &folder,
                      const UtcStamp &created);

// The message shown after a successful export: the file, the number of QSOs, and
// what was left out.
std::string AdifReport(const AdifExport &result, const LogTable &log);
// The same for an export of this list of QSOs.
std::string AdifReport(const AdifExport &result, const std::vector<StationQso> &qsos);
