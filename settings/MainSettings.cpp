#include "settings/MainSettings.h"

#include "logging/Clock.h"
#include "logging/DurableFile.h"
#include "logging/ContestState.h"
#include "logging/ScreenText.h"
#include "settings/ProfileFile.h"

#include <QDate>
#include <QLocale>

#include <algorithm>
#include <climits>
#include <limits>
#include <type_traits>


namespace {

// The keyer's speeds, in words per minute, fit in a byte and it keys at most 99.
constexpr int kMaxWpm = 99;
// Far beyond any screen, yet window arithmetic on it cannot overflow.
constexpr int kScreenLimit = 100000;

// Every key of the main file, in the one order both reading and writing follow.
// S is ContestState when loading and const ContestState when saving. Each integer
// carries the range it means something in: a value read from a hand-edited file is
// clamped into it, so sums and list positions built on it stay in bounds. R09 is
// written back as it was read and nothing computes with it; SpeedStep has its own rule.
template <typename S, typename Visitor>
void visitMainSettings(S &s, Visitor &&v)
{
    v.text("GENERAL", "MyCall", s.MyCall);
    v.text("GENERAL", "MyYearLic", s.MyYearLic);
    v.text("GENERAL", "Mode", s.Mode);
    // The mode list's position is the mode again; a file that names no mode takes it from there.
    int listed = ModeListIndex(s.Mode);
    v.integer("GENERAL", "EMode", listed, -1, 1);
    if constexpr (!std::is_const_v<S>) {
        if (ModeListIndex(s.Mode) < 0 && listed >= 0)
            s.Mode = ModeAtListIndex(listed);
    }
    // Read after MyYearLic with the value just read as default, so it decides when both are there.
    v.text("GENERAL", "EExchange", s.MyYearLic);
    v.text("GENERAL", "EBand", s.Band);
    v.flag("GENERAL", "cbExchange", s.CbExchange);
    v.flag("GENERAL", "cbNumber", s.CbNumber);
    v.text("GENERAL", "ContestId", s.ContestId);

    v.integer("VIEW", "MainTop", s.MainTop, -kScreenLimit, kScreenLimit);
    v.integer("VIEW", "MainLeft", s.MainLeft, -kScreenLimit, kScreenLimit);
    v.flag("VIEW", "VisibleASCI", s.VisibleASCI);
    v.flag("VIEW", "VisibleMemo", s.VisibleMemo);

    v.date("INFO", "LastDate");

    v.flag("WK", "ComAuto", s.ComAuto);
    v.flag("WK", "ComConnected", s.ComConnected);
    v.flag("WK", "RunMode", s.RunMode);
    v.flag("WK", "EnterSendMsg", s.EnterSendMsg);
    v.integer("WK", "Speed", s.Speed, 0, kMaxWpm);
    v.integer("WK", "SpeedUp", s.SpeedUp, 0, 20);
    v.integer("WK", "SpeedMode", s.SpeedMode, 0, 2);
    v.integer("WK", "SpeedMin", s.SpeedMin, 0, kMaxWpm);
    v.integer("WK", "SpeedMax", s.SpeedMax, 0, kMaxWpm);
    v.integer("WK", "SpeedStep", s.SpeedStep, INT_MIN, INT_MAX);  // made 1 or 2 after loading
    v.integer("WK", "Sidetone", s.Sidetone, 0, 8);

    for (size_t i = 0; i < s.F.size(); ++i)
        v.text("Memo", "F" + std::to_string(i + 1), s.F[i]);
    for (size_t i = 0; i < s.Fs.size(); ++i)
        v.text("Memo", "F" + std::to_string(i + 1) + "s", s.Fs[i]);
    for (size_t i = 0; i < s.FText.size(); ++i)
        v.text("Memo", "F" + std::to_string(i + 1) + "Text", s.FText[i]);

    v.flag("SHORT CHAR", "Short0T Check", s.Short0T);
    v.flag("SHORT CHAR", "Short0O Check", s.Short0O);
    v.flag("SHORT CHAR", "Short9N Check", s.Short9N);

    v.flag("WKSetup", "PaddleWatchdog", s.PaddleWatchdog);
    v.flag("WKSetup", "PaddleEcho", s.PaddleEcho);
    v.flag("WKSetup", "PaddleSwap", s.PaddleSwap);
    v.flag("WKSetup", "SerialEcho", s.SerialEcho);
    v.flag("WKSetup", "AutoSpace", s.AutoSpace);
    v.flag("WKSetup", "WordSpace", s.WordSpace);
    v.integer("WKSetup", "PaddleMode", s.PaddleMode, 0, 3);
    v.flag("WKSetup", "SidetonePaddle", s.SidetonePaddle);
    v.text("WKSetup", "Lead", s.Lead);
    v.text("WKSetup", "Tail", s.Tail);
    v.text("WKSetup", "FirstCarExt", s.FirstCarExt);
    v.text("WKSetup", "KeyComp", s.KeyComp);
    v.text("WKSetup", "Ratio", s.Ratio);
    v.integer("WKSetup", "HangTime", s.HangTime, 0, 4);

    v.integer("REGISTER", "E0", s.E0, 0, 255);
    v.integer("REGISTER", "R01", s.R01, 0, 255);
    v.integer("REGISTER", "R09", s.R09, INT_MIN, INT_MAX);

    v.integer("CAT", "Model", s.CatModel, 0, INT_MAX);
    v.text("CAT", "Port", s.CatPort);
    v.integer("CAT", "BaudRate", s.CatBaudRate, 0, INT_MAX);
    v.flag("CAT", "Follow", s.CatFollow);
}

struct Reader {
    const ProfileText &file;

    void text(const char *section, const std::string &key, std::string &value)
    {
        value = file.readString(section, key, value);
    }
    void integer(const char *section, const std::string &key, int &value, int low, int high)
    {
        value = std::clamp(file.readInteger(section, key, value), low, high);
    }
    void flag(const char *section, const std::string &key, bool &value)
    {
        value = file.readBool(section, key, value);
    }
    void date(const char *, const std::string &) {}  // written for the operator's eyes only
};

template <typename File>
struct Writer {
    File &file;
    const std::string &lastDate;

    void text(const char *section, const std::string &key, const std::string &value)
    {
        file.writeString(section, key, value);
    }
    void integer(const char *section, const std::string &key, int value, int, int)
    {
        file.writeInteger(section, key, value);
    }
    void flag(const char *section, const std::string &key, bool value)
    {
        file.writeBool(section, key, value);
    }
    void date(const char *section, const std::string &key)
    {
        file.writeString(section, key, lastDate);
    }
};

} // namespace

std::string MainSettingsFile(const std::string &folder)
{
    return folder + "Quillfeather" + "ini.ini";
}

std::string KeyerWindowFile(const std::string &folder)
{
    return folder + "Quillfeather" + ".ini";
}

void ApplyFirstStartSettings(ContestState &state)
{
    state.Mode = "CW";
    state.Band = "80";
    state.Speed = 25;
    state.SpeedStep = 1;
    state.RunMode = true;
    state.EnterSendMsg = false;
    state.F = {"CQ TEST * *", "! 5NN #", "TU *", "*", "!", "?", "AGN?", "NR?", "QRL?"};
    state.Fs = {"*", "5NN #", "TU", "*", "!", "?", "AGN?", "NR?", "*"};
}

bool LoadMainSettings(ContestState &state, const std::string &folder)
{
    const ProfileFile profile(MainSettingsFile(folder));
    if (!fileExists(profile.path())) {
        ApplyFirstStartSettings(state);
        return false;
    }
    const ProfileText file = profile.read();
    // A file that only other windows have written into before the first close holds nothing
    // of the contest: still a first start. An empty one keeps every setting at its initial value.
    const bool firstStart = file.hasSections() && !file.hasSection("GENERAL") && !file.hasSection("WK");
    if (firstStart)
        ApplyFirstStartSettings(state);
    visitMainSettings(state, Reader{file});
    if (state.SpeedStep != 1 && state.SpeedStep != 2)
        state.SpeedStep = 1;
    // A hand-edited radio that cannot be one means no radio, and a rate that cannot be one the radio's own.
    if (state.CatModel < 0)
        state.CatModel = 0;
    if (state.CatBaudRate < 0)
        state.CatBaudRate = 0;
    // F4 and F5 are read-only boxes that always mean the own call and the other
    // station's call; empty, they would send "?".
    for (auto *set : {&state.F, &state.Fs}) {
        if ((*set)[3].empty())
            (*set)[3] = "*";
        if ((*set)[4].empty())
            (*set)[4] = "!";
    }
    return !firstStart;
}

void SaveMainSettings(const ContestState &state, const std::string &folder, const std::string &lastDate)
{
    ProfileFile file(MainSettingsFile(folder));
    try {
        file.write([&](ProfileText &text) { visitMainSettings(state, Writer<ProfileText>{text, lastDate}); });
    } catch (const ProfileWriteError &) {
        // The keys are written one at a time then, so those that fit stay written.
        visitMainSettings(state, Writer<ProfileFile>{file, lastDate});
    }
}

std::string SystemShortDate(const Clock &clock)
{
    const QDate date = QDate::fromString(QString::fromStdString(clock.localDate()), QStringLiteral("yyyy-MM-dd"));
    return fromScreen(QLocale::system().toString(date, QLocale::ShortFormat));
}

void LoadKeyerWindowPosition(KeyerWindowPosition &position, const std::string &folder)
{
    const ProfileText file = ProfileFile(KeyerWindowFile(folder)).read();
    // No stored position is told apart by a value no window has.
    constexpr int none = std::numeric_limits<int>::min();
    const int top = file.readInteger("VIEW", "WKTop", none);
    const int left = file.readInteger("VIEW", "WKLeft", none);
    position.stored = position.stored || top != none || left != none;
    if (top != none)
        position.WKTop = std::clamp(top, -kScreenLimit, kScreenLimit);
    if (left != none)
        position.WKLeft = std::clamp(left, -kScreenLimit, kScreenLimit);
}

void SaveKeyerWindowPosition(const KeyerWindowPosition &position, const std::string &folder)
{
    ProfileFile file(KeyerWindowFile(folder));
    file.writeInteger("VIEW", "WKTop", position.WKTop);
    file.writeInteger("VIEW", "WKLeft", position.WKLeft);
}
