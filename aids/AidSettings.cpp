#include "aids/AidSettings.h"

#include "settings/MainSettings.h"
#include "settings/ProfileFile.h"

namespace {

constexpr const char *Section = "AIDS";
// Far beyond any screen, yet window arithmetic on it cannot overflow.
constexpr int ScreenLimit = 100000;

int onScreen(int value)
{
    return value < -ScreenLimit ? -ScreenLimit : value > ScreenLimit ? ScreenLimit : value;
}

void loadPlace(const ProfileText &file, const std::string &name, AidWindowPlace &place)
{
    const int none = -ScreenLimit - 1;
    const int left = file.readInteger(Section, name + "Left", none);
    const int top = file.readInteger(Section, name + "Top", none);
    if (left != none && top != none) {
        place.left = onScreen(left);
        place.top = onScreen(top);
        place.stored = true;
    }
    place.visible = file.readBool(Section, name + "Visible", place.visible);
}

void savePlace(ProfileText &file, const std::string &name, const AidWindowPlace &place)
{
    if (place.stored) {
        file.writeInteger(Section, name + "Left", place.left);
        file.writeInteger(Section, name + "Top", place.top);
    }
    file.writeBool(Section, name + "Visible", place.visible);
}

} // namespace

void LoadAidSettings(AidSettings &settings, const std::string &folder)
{
    const ProfileText file = ProfileFile(MainSettingsFile(folder)).read();
    settings.HistoryField = file.readString(Section, "HistoryField", settings.HistoryField);
    if (settings.HistoryField.empty())
        settings.HistoryField = "Exch1";
    loadPlace(file, "Check", settings.check);
    loadPlace(file, "Rate", settings.rate);
}

void SaveAidSettings(const AidSettings &settings, const std::string &folder)
{
    ProfileFile(MainSettingsFile(folder)).write([&](ProfileText &file) {
        file.writeString(Section, "HistoryField", settings.HistoryField);
        savePlace(file, "Check", settings.check);
        savePlace(file, "Rate", settings.rate);
    });
}
