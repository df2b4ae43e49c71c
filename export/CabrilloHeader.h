#pragma once

#include <string>
#include <vector>

// What the organisers' robots read from a log's header, kept in [CABRILLO] of the main
// settings file. Version "2.0" keeps the export as it always was; "3.0" writes these.
struct CabrilloHeader {
    std::string Version = "2.0";
    std::string Contest;
    std::string CategoryOperator = "SINGLE-OP";
    std::string CategoryBand = "ALL";
    std::string CategoryMode = "CW";
    std::string CategoryPower;
    std::string CategoryAssisted;
    std::string CategoryStation;
    std::string CategoryTransmitter;
    std::string Name;
    std::string Address1;
    std::string Address2;
    std::string Address3;
    std::string Email;
    std::string Club;
    std::string Operators;
    std::string GridLocator;
    std::string Location;
    std::string Soapbox;

    bool isVersion3() const { return Version == "3.0"; }
};

// One header line of the 3.0 file: its tag, its key in [CABRILLO], the header's field,
// the values the format allows (none: free text), and whether it is written even empty.
struct CabrilloTag {
    const char *tag;
    const char *key;
    std::string CabrilloHeader::*field;
    std::vector<const char *> values;
    bool always = false;
};

// In the order the 3.0 file writes them, CALLSIGN (the own call) left out.
const std::vector<CabrilloTag> &CabrilloTags();

// Reads [CABRILLO] with the current values as defaults; a missing file or key changes nothing.
void LoadCabrilloHeader(CabrilloHeader &header, const std::string &folder);
// Writes [CABRILLO] in one rewrite; throws ProfileWriteError when the file cannot be written.
void SaveCabrilloHeader(const CabrilloHeader &header, const std::string &folder);
