// A settings file from another system or a hand edit: the profile reader's index, its
// rewrite, and the main settings load with every integer inside its range.
#include "fuzz/FuzzTarget.h"
#include "keyer/Macros.h"
#include "logging/ContestState.h"
#include "settings/MainSettings.h"
#include "settings/ProfileFile.h"

#include <fstream>

int QuillFuzz_settings_file(const uint8_t *data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);

    // Writing the text back is stable, and a key written reads back as written.
    ProfileText text(bytes);
    const std::string once = text.bytes();
    if (ProfileText(once).bytes() != once)
        FuzzFail("a rewritten file changes again when read and written");
    text.writeString("GENERAL", "MyCall", "S59FUZZ");
    text.writeInteger("WK", "Speed", 31);
    const ProfileText again(text.bytes());
    if (again.readString("general", "mycall", "") != "S59FUZZ" || again.readInteger("wk", "SPEED", 0) != 31)
        FuzzFail("a written key does not read back");

    const std::string folder = FuzzFolder();
    std::ofstream(MainSettingsFile(folder), std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ContestState state;
    LoadMainSettings(state, folder);
    const auto within = [](int value, int low, int high, const char *name) {
        if (value < low || value > high)
            FuzzFail(std::string(name) + " outside its range: " + std::to_string(value));
    };
    within(state.Speed, 0, 99, "Speed");
    within(state.SpeedUp, 0, 20, "SpeedUp");
    within(state.Sidetone, 0, 8, "Sidetone");
    within(state.SpeedStep, 1, 2, "SpeedStep");
    // What the loaded values feed: message composition with the speed macros.
    for (const std::string &memory : state.F)
        (void)ComposeCwMessage(memory + "<>%", state);
    return 0;
}
