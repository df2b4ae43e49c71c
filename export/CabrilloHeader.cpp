#include "export/CabrilloHeader.h"

#include "settings/MainSettings.h"
#include "settings/ProfileFile.h"

namespace {
constexpr const char *Section = "CABRILLO";
}

const std::vector<CabrilloTag> &CabrilloTags()
{
    using H = CabrilloHeader;
    static const std::vector<CabrilloTag> tags = {
        {"CONTEST", "Contest", &H::Contest, {}, true},
        {"CATEGORY-OPERATOR", "CategoryOperator", &H::CategoryOperator, {"SINGLE-OP", "MULTI-OP", "CHECKLOG"}, true},
        {"CATEGORY-ASSISTED", "CategoryAssisted", &H::CategoryAssisted, {"ASSISTED", "NON-ASSISTED"}},
        {"CATEGORY-BAND", "CategoryBand", &H::CategoryBand,
         {"ALL", "160M", "80M", "40M", "20M", "15M", "10M", "6M", "4M", "2M", "222", "432", "902", "1.2G", "2.3G",
          "3.4G", "5.7G", "10G", "24G", "47G", "75G", "122G", "134G", "241G", "Light", "VHF-3-BAND", "VHF-FM-ONLY"},
         true},
        {"CATEGORY-MODE", "CategoryMode", &H::CategoryMode, {"CW", "DIGI", "FM", "RTTY", "SSB", "MIXED"}, true},
        {"CATEGORY-POWER", "CategoryPower", &H::CategoryPower, {"HIGH", "LOW", "QRP"}},
        {"CATEGORY-STATION", "CategoryStation", &H::CategoryStation,
         {"DISTRIBUTED", "FIXED", "MOBILE", "PORTABLE", "ROVER", "ROVER-LIMITED", "ROVER-UNLIMITED", "EXPEDITION",
          "HQ", "SCHOOL", "EXPLORER"}},
        {"CATEGORY-TRANSMITTER", "CategoryTransmitter", &H::CategoryTransmitter,
         {"ONE", "TWO", "LIMITED", "UNLIMITED", "SWL"}},
        {"CLUB", "Club", &H::Club, {}},
        {"GRID-LOCATOR", "GridLocator", &H::GridLocator, {}},
        {"LOCATION", "Location", &H::Location, {}},
        {"NAME", "Name", &H::Name, {}},
        {"ADDRESS", "Address1", &H::Address1, {}},
        {"ADDRESS", "Address2", &H::Address2, {}},
        {"ADDRESS", "Address3", &H::Address3, {}},
        {"EMAIL", "Email", &H::Email, {}},
        {"OPERATORS", "Operators", &H::Operators, {}},
        {"SOAPBOX", "Soapbox", &H::Soapbox, {}},
    };
    return tags;
}

void LoadCabrilloHeader(CabrilloHeader &header, const std::string &folder)
{
    const ProfileText file = ProfileFile(MainSettingsFile(folder)).read();
    header.Version = file.readString(Section, "Version", header.Version);
    for (const CabrilloTag &tag : CabrilloTags())
        header.*tag.field = file.readString(Section, tag.key, header.*tag.field);
}

void SaveCabrilloHeader(const CabrilloHeader &header, const std::string &folder)
{
    ProfileFile(MainSettingsFile(folder)).write([&](ProfileText &file) {
        file.writeString(Section, "Version", header.Version);
        for (const CabrilloTag &tag : CabrilloTags())
            file.writeString(Section, tag.key, header.*tag.field);
    });
}
