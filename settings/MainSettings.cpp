#include "settings/MainSettings.h"

#include "logging/Clock.h"
#include "logging/ContestState.h"
#include "logging/ScreenText.h"
#include "settings/ProfileFile.h"

#include <QDate>
#include <QLocale>

#include <limits>


namespace {

// Every key of the main file, in the one order both reading and writing follow.
// S is ContestState when loading and const ContestState when saving.
template <typename S, typename Visitor>
void visitMainSettings(S &s, Visitor &&v)
{
    v.text("GENERAL", "MyCall", s.MyCall);
    v.text("GENERAL", "MyYearLic", s.MyYearLic);
    v.text("GENERAL", "Mode", s.Mode);
    v.integer("GENERAL", "EMode", s.EModeIndex);
    // Read after MyYearLic with the value just read as default, so it decides when both are there.
    v.text("GENERAL", "EExchange", s.MyYearLic);
    v.text("GENERAL", "EBand", s.Band);
    v.flag("GENERAL", "cbExchange", s.CbExchange);
    v.flag("GENERAL", "cbNumber", s.CbNumber);
    v.text("GENERAL", "ContestId", s.ContestId);

    v.integer("VIEW", "MainTop", s.MainTop);
    v.integer("VIEW", "MainLeft", s.MainLeft);
    v.flag("VIEW", "VisibleASCI", s.VisibleASCI);
    v.flag("VIEW", "VisibleMemo", s.VisibleMemo);

    v.date("INFO", "LastDate");

    v.flag("WK", "ComAuto", s.ComAuto);
    v.flag("WK", "ComConnected", s.ComConnected);
    v.flag("WK", "RunMode", s.RunMode);
    v.flag("WK", "EnterSendMsg", s.EnterSendMsg);
    v.integer("WK", "Speed", s.Speed);
    v.integer("WK", "SpeedUp", s.SpeedUp);
    v.integer("WK", "SpeedMode", s.SpeedMode);
    v.integer("WK", "SpeedMin", s.SpeedMin);
    v.integer("WK", "SpeedMax", s.SpeedMax);
    v.integer("WK", "SpeedStep", s.SpeedStep);
    v.integer("WK", "Sidetone", s.Sidetone);

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
    v.integer("WKSetup", "PaddleMode", s.PaddleMode);
    v.flag("WKSetup", "SidetonePaddle", s.SidetonePaddle);
    v.text("WKSetup", "Lead", s.Lead);
    v.text("WKSetup", "Tail", s.Tail);
    v.text("WKSetup", "FirstCarExt", s.FirstCarExt);
    v.text("WKSetup", "KeyComp", s.KeyComp);
    v.text("WKSetup", "Ratio", s.Ratio);
    v.integer("WKSetup", "HangTime", s.HangTime);

    v.integer("REGISTER", "E0", s.E0);
    v.integer("REGISTER", "R01", s.R01);
    v.integer("REGISTER", "R09", s.R09);

    v.integer("CAT", "Model", s.CatModel);
    v.text("CAT", "Port", s.CatPort);
    v.integer("CAT", "BaudRate", s.CatBaudRate);
    v.flag("CAT", "Follow", s.CatFollow);
}

struct Reader {
    const ProfileFile &file;

    void text(const char *section, const std::string &key, std::string &value)
    {
        value = file.readString(section, key, value);
    }
    void integer(const char *section, const std::string &key, int &value)
    {
        value = file.readInteger(section, key, value);
    }
    void flag(const char *section, const std::string &key, bool &value)
    {
        value = file.readBool(section, key, value);
    }
    void date(const char *, const std::string &) {}  // written for the operator's eyes only
};

struct Writer {
    ProfileFile &file;
    const std::string &lastDate;

    void text(const char *section, const std::string &key, const std::string &value)
    {
        file.writeString(section, key, value);
    }
    void integer(const char *section, const std::string &key, int value)
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

void LoadMainSettings(ContestState &state, const std::string &folder)
{
    const ProfileFile file(MainSettingsFile(folder));
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
}

void SaveMainSettings(const ContestState &state, const std::string &folder, const std::string &lastDate)
{
    ProfileFile file(MainSettingsFile(folder));
    visitMainSettings(state, Writer{file, lastDate});
}

std::string SystemShortDate(const Clock &clock)
{
    const QDate date = QDate::fromString(QString::fromStdString(clock.localDate()), QStringLiteral("yyyy-MM-dd"));
    return fromScreen(QLocale::system().toString(date, QLocale::ShortFormat));
}

void LoadKeyerWindowPosition(KeyerWindowPosition &position, const std::string &folder)
{
    const ProfileFile file(KeyerWindowFile(folder));
    // No stored position is told apart by a value no window has.
    constexpr int none = std::numeric_limits<int>::min();
    const int top = file.readInteger("VIEW", "WKTop", none);
    const int left = file.readInteger("VIEW", "WKLeft", none);
    position.stored = position.stored || top != none || left != none;
    position.WKTop = top != none ? top : position.WKTop;
    position.WKLeft = left != none ? left : position.WKLeft;
}

void SaveKeyerWindowPosition(const KeyerWindowPosition &position, const std::string &folder)
{
    ProfileFile file(KeyerWindowFile(folder));
    file.writeInteger("VIEW", "WKTop", position.WKTop);
    file.writeInteger("VIEW", "WKLeft", position.WKLeft);
}
