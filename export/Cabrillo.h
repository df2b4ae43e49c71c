#pragma once

#include "export/CabrilloHeader.h"
#include "logging/StationQso.h"

#include <QString>

#include <stdexcept>
#include <string>
#include <vector>

class LogTable;
struct ContestState;

// Why an export stopped, in words for the operator: 8-bit text like every program
// text (show it with toScreen). When it is raised no export file has been replaced.
class CabrilloError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The export's file: the program's folder (ending with '/'), the own call as it
// stands, ".cbr".
std::string CabrilloFilePath(const ContestState &state, const std::string &folder);

// Writes the Cabrillo file of the first QsoCount rows of the log, 2.0 or 3.0 as the
// [CABRILLO] section of the folder's main settings file says (2.0 without it). The file is
// written beside the old one and renamed over it only when complete, so any stop
// leaves an earlier export as it was. Throws CabrilloError when both or neither of
// "Exchange" and "Number" are ticked, when a band or mode cell is outside the
// export's tables, when a received number is not an integer with "Number" ticked,
// and when the file cannot be created or written.
void ExportCabrillo(const ContestState &state, const LogTable &log, const std::string &folder);
// The same for a list of QSOs in the order they are written, a networked station's whole log:
// in 3.0 a QSO with a transmitter id carries it at the end of its line.
void ExportCabrillo(const ContestState &state, const std::vector<StationQso> &qsos, const std::string &folder);
// The bytes ExportCabrillo writes with this header; throws CabrilloError for the same table faults.
std::string CabrilloText(const ContestState &state, const LogTable &log, const CabrilloHeader &header = {});
std::string CabrilloText(const ContestState &state, const std::vector<StationQso> &qsos,
                         const CabrilloHeader &header = {});

// The question "Save CBR" asks before exporting: four lines joined by line feed
// then carriage return. Only "OK" exports.
QString CabrilloConfirmationText();
