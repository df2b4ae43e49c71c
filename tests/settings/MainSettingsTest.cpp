#include "settings/MainSettings.h"

#include "logging/ContestState.h"
#include "settings/ProfileFile.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>

#include <filesystem>

namespace {

// Sections every save writes the same way while their settings hold their start values.
const std::string kShortCharAndWkSetup =
    "[SHORT CHAR]\n"
    "Short0T Check=0\n"
    "Short0O Check=0\n"
    "Short9N Check=0\n"
    "\n"
    "[WKSetup]\n"
    "PaddleWatchdog=0\n"
    "PaddleEcho=0\n"
    "PaddleSwap=0\n"
    "SerialEcho=0\n"
    "AutoSpace=0\n"
    "WordSpace=0\n"
    "PaddleMode=0\n"
    "SidetonePaddle=0\n"
    "Lead=\n"
    "Tail=\n"
    "FirstCarExt=\n"
    "KeyComp=\n"
    "Ratio=\n"
    "HangTime=0\n";
const std::string kNoRadio = "[CAT]\nModel=0\nPort=\nBaudRate=0\nFollow=0\n";

// A first start's close: the file holds what the program started ready with.
const std::string kFirstClose = crlf(
    "[GENERAL]\n"
    "MyCall=S5\n"
    "MyYearLic=\n"
    "Mode=CW\n"
    "EMode=0\n"
    "EExchange=\n"
    "EBand=80\n"
    "cbExchange=0\n"
    "cbNumber=0\n"
    "ContestId=\n"
    "\n"
    "[VIEW]\n"
    "MainTop=104\n"
    "MainLeft=206\n"
    "VisibleASCI=0\n"
    "VisibleMemo=0\n"
    "\n"
    "[INFO]\n"
    "LastDate=14.04.13\n"
    "\n"
    "[WK]\n"
    "ComAuto=0\n"
    "ComConnected=0\n"
    "RunMode=1\n"
    "EnterSendMsg=0\n"
    "Speed=25\n"
    "SpeedUp=0\n"
    "SpeedMode=0\n"
    "SpeedMin=0\n"
    "SpeedMax=0\n"
    "SpeedStep=1\n"
    "Sidetone=0\n"
    "\n"
    "[Memo]\n"
    "F1=CQ TEST * *\nF2=! 5NN #\nF3=TU *\nF4=*\nF5=!\nF6=?\nF7=AGN?\nF8=NR?\nF9=QRL?\n"
    "F1s=*\nF2s=5NN #\nF3s=TU\nF4s=*\nF5s=!\nF6s=?\nF7s=AGN?\nF8s=NR?\nF9s=*\n"
    "F1Text=\nF2Text=\nF3Text=\nF4Text=\nF5Text=\nF6Text=\nF7Text=\nF8Text=\nF9Text=\n"
    "\n"
    + kShortCharAndWkSetup +
    "\n"
    "[REGISTER]\n"
    "E0=0\n"
    "R01=0\n"
    "R09=0\n"
    "\n"
    + kNoRadio);

TEST(MainSettings, AnOperatorsFileLoadsAndSavesBackInPlace)
{
    TestFolder dir;
    std::string text;  // longer than a value may be, and different all along, to show where it is cut
    for (int i = 0; i < 3000; ++i)
        text += static_cast<char>('a' + i % 26);
    writeFileBytes(MainSettingsFile(dir.path()), crlf(
        "[general]\n"
        "mycall=S59ABC/P\n"
        "MyYearLic=1999\n"
        " Mode = CW \n"
        "EMode=0\n"
        "EExchange=2001\n"
        "EBand=40\n"
        "CBNUMBER=1\n"
        "Locator=JN76\n"
        "[View]\n"
        "MainTop=300\n"
        "MainLeft=$1E\n"
        "VisibleMemo=2\n"
        "[EXTRA]\n"
        "Foo=bar\n"
        "[WK]\n"
        "Speed=0x1E\n"
        "SpeedMax=letters\n"
        "SpeedStep=3\n"
        "[Memo]\n"
        "F1=" + text + "\n"
        "F2s=TU \"QRZ\"\n"
        "F3=  S5  599 #  \n"
        "F4=\n"
        "F5s=TU !\n"
        "[REGISTER]\n"
        "R09=$A5\n"));

    ContestState state;
    state.SpeedMax = 40;  // a key that does not convert keeps what the setting held
    LoadMainSettings(state, dir.path());
    // Every loaded value shows in the save; an empty stored F4 or F5 would send "?", so it becomes "*".
    SaveMainSettings(state, dir.path(), "14.04.13");
    EXPECT_EQ(readFileBytes(MainSettingsFile(dir.path())), crlf(
        "[general]\n"
        "mycall=S59ABC/P\n"
        "MyYearLic=2001\n"
        "Mode=CW\n"
        "EMode=0\n"
        "EExchange=2001\n"
        "EBand=40\n"
        "CBNUMBER=1\n"
        "Locator=JN76\n"
        "cbExchange=0\n"
        "ContestId=\n"
        "[View]\n"
        "MainTop=300\n"
        "MainLeft=30\n"
        "VisibleMemo=1\n"
        "VisibleASCI=0\n"
        "[EXTRA]\n"
        "Foo=bar\n"
        "[WK]\n"
        "Speed=30\n"
        "SpeedMax=40\n"
        "SpeedStep=1\n"
        "ComAuto=0\n"
        "ComConnected=0\n"
        "RunMode=0\n"
        "EnterSendMsg=0\n"
        "SpeedUp=0\n"
        "SpeedMode=0\n"
        "SpeedMin=0\n"
        "Sidetone=0\n"
        "[Memo]\n"
        "F1=" + text.substr(0, 2047) + "\n"
        "F2s=TU \"QRZ\"\n"
        "F3=S5  599 #\n"
        "F4=*\n"
        "F5s=TU !\n"
        "F2=\nF5=!\nF6=\nF7=\nF8=\nF9=\n"
        "F1s=\nF3s=\nF4s=*\nF6s=\nF7s=\nF8s=\nF9s=\n"
        "F1Text=\nF2Text=\nF3Text=\nF4Text=\nF5Text=\nF6Text=\nF7Text=\nF8Text=\nF9Text=\n"
        "[REGISTER]\n"
        "R09=165\n"
        "E0=0\n"
        "R01=0\n"
        "\n"
        "[INFO]\n"
        "LastDate=14.04.13\n"
        "\n"
        + kShortCharAndWkSetup +
        "\n"
        + kNoRadio));
}

// What a save of the state writes.
std::string saved(const ContestState &state)
{
    TestFolder dir;
    SaveMainSettings(state, dir.path(), "14.04.13");
    return readFileBytes(MainSettingsFile(dir.path()));
}

// Every setting goes out and comes back: a state with every field set differently from
// its start value saves, loads into a fresh state and saves to the same bytes. Keys missing
// from a file, or that do not convert, leave every one of them as it was.
TEST(MainSettings, EverySettingComesBackAndMissingKeysLeaveThemAsTheyWere)
{
    ContestState a;
    a.MyCall = "S59ABC";
    a.MyYearLic = "1999";
    a.Mode = "SSB";
    a.Band = "15";
    a.MainTop = -20;
    a.MainLeft = 1900;
    a.CbExchange = a.CbNumber = a.VisibleASCI = a.VisibleMemo = true;
    a.ComAuto = a.ComConnected = a.RunMode = a.EnterSendMsg = true;
    a.Speed = 32;
    a.SpeedUp = 4;
    a.SpeedMode = 2;
    a.SpeedMin = 10;
    a.SpeedMax = 45;
    a.SpeedStep = 2;
    a.Sidetone = 8;
    for (size_t i = 0; i < 9; ++i) {
        a.F[i] = "CQ " + std::to_string(i);
        a.Fs[i] = "TU " + std::to_string(i);
        a.FText[i] = "F" + std::to_string(i + 1) + " \xE8\x9A\x9E";  // Slovenian letters, 8-bit
    }
    a.Short0T = a.Short0O = a.Short9N = true;
    a.PaddleWatchdog = a.PaddleEcho = a.PaddleSwap = a.SerialEcho = a.AutoSpace = a.WordSpace = true;
    a.SidetonePaddle = true;
    a.PaddleMode = 3;
    a.HangTime = 4;
    a.Lead = "1";
    a.Tail = "2";
    a.FirstCarExt = "3";
    a.KeyComp = "4";
    a.Ratio = "50";
    a.E0 = 0x94;
    a.R01 = 0x85;
    a.R09 = -5;
    a.CatModel = 2;
    a.CatPort = "shack-pi:4532";
    a.CatBaudRate = 38400;
    a.CatFollow = true;

    TestFolder dir;
    writeFileBytes(MainSettingsFile(dir.path()), saved(a));
    ContestState b;
    LoadMainSettings(b, dir.path());
    EXPECT_EQ(saved(b), saved(a));

    writeFileBytes(MainSettingsFile(dir.path()), crlf("[GENERAL]\nMyCall=S50A\n[WK]\nSpeed=abc\n"));
    b = a;
    LoadMainSettings(b, dir.path());
    a.MyCall = "S50A";
    EXPECT_EQ(saved(b), saved(a));
}

// The save at the first close shows every loaded start value, F4 and F5 sending the own and the
// other call among them; a save that fails part way keeps the keys before it.
TEST(MainSettings, FirstCloseWritesEveryKeyInOrderAndAWriteThatFailsKeepsTheKeysBeforeIt)
{
    TestFolder dir;
    const std::string missing = dir.path() + "gone/";
    EXPECT_EQ(failureText<ProfileWriteError>([&] { SaveMainSettings(ContestState{}, missing, "14.04.13"); }),
              "Unable to write to " + missing + "Quillfeatherini.ini");

    ContestState state;
    LoadMainSettings(state, dir.path());
    EXPECT_FALSE(std::filesystem::exists(MainSettingsFile(dir.path())));  // loading creates nothing
    state.MyCall = "S5";  // what the main window makes of an empty own call
    const size_t limit = 300;
    {
        FileSizeLimit sizeLimit(limit);
        EXPECT_EQ(failureText<ProfileWriteError>([&] { SaveMainSettings(state, dir.path(), "14.04.13"); }),
                  "Unable to write to " + MainSettingsFile(dir.path()));
    }
    // The file holds the keys that fitted, exactly as a complete save begins, and not the next one.
    const std::string partial = readFileBytes(MainSettingsFile(dir.path()));
    ASSERT_LE(partial.size(), limit);
    ASSERT_GT(partial.size(), limit / 2);
    EXPECT_EQ(kFirstClose.substr(0, partial.size()), partial);
    EXPECT_GT(kFirstClose.find("\r\n", kFirstClose.find("=", partial.size())) + 2, limit);
    EXPECT_EQ(QDir(QString::fromStdString(dir.path())).entryList(QDir::Files | QDir::Hidden),
              QStringList({"Quillfeatherini.ini"}));
    SaveMainSettings(state, dir.path(), "14.04.13");  // the next close completes the file
    EXPECT_EQ(readFileBytes(MainSettingsFile(dir.path())), kFirstClose);
}

// Saving the Network dialog or the Cabrillo header before the first close leaves a file with
// nothing of the contest in it: the next start is still a first start, not one at 0 wpm with no band.
TEST(MainSettings, AFileOnlyOtherWindowsWroteIsAFirstStart)
{
    for (const char *other : {"[NET]\nEnabled=1\n", "[CABRILLO]\nVersion=3.0\n"}) {
        TestFolder dir;
        writeFileBytes(MainSettingsFile(dir.path()), crlf(other));
        ContestState state;
        EXPECT_FALSE(LoadMainSettings(state, dir.path())) << other;
        EXPECT_EQ(std::tie(state.Speed, state.Band, state.Mode, state.F[0]),
                  std::make_tuple(25, std::string("80"), std::string("CW"), std::string("CQ TEST * *")));
    }
}

// Its save beside the port's settings, and reading both back, the keyer window's own test shows.
TEST(MainSettings, KeyerWindowPositionKeepsWhatTheFileDoesNotGive)
{
    TestFolder dir;
    KeyerWindowPosition position;
    LoadKeyerWindowPosition(position, dir.path());
    EXPECT_EQ(position.WKTop, 112);
    EXPECT_EQ(position.WKLeft, 664);
    EXPECT_FALSE(std::filesystem::exists(KeyerWindowFile(dir.path())));

    writeFileBytes(dir.file("Quillfeather.ini"), crlf("[ComPort]\nPort=COM3\nBaudRate=1200\n[view]\nwktop=0x40\n"));
    LoadKeyerWindowPosition(position, dir.path());
    EXPECT_EQ(position.WKTop, 64);
    EXPECT_EQ(position.WKLeft, 664);
}

// "Mode" and "EMode" hold one fact: the mode decides, and a file naming none takes the list's.
TEST(MainSettings, ModeAndItsListPositionAreOneSetting)
{
    const struct { const char *file, *mode, *saved; } cases[] = {
        {"Mode=CW\nEMode=1\n", "CW", "EMode=0"},
        {"EMode=1\n", "SSB", "EMode=1"},
        {"Mode=\nEMode=-1\n", "", "EMode=-1"},
    };
    for (const auto &c : cases) {
        TestFolder dir;
        writeFileBytes(MainSettingsFile(dir.path()), crlf(std::string("[GENERAL]\n") + c.file));
        ContestState s;
        LoadMainSettings(s, dir.path());
        EXPECT_EQ(s.Mode, c.mode) << c.file;
        SaveMainSettings(s, dir.path(), "14.04.13");
        EXPECT_NE(readFileBytes(MainSettingsFile(dir.path())).find(c.saved), std::string::npos) << c.file;
    }
}

} // namespace

// Integers from a hand-edited file reach sums and list positions (Speed + SpeedUp, Sidetone + 1):
// each is held to the range it means something in; R09 is only carried, so it keeps its value.
// A radio model or baud rate below 0 means none or the radio's own default; a speed step other
// than 1 or 2 is 1; a flag that does not convert keeps what the setting held.
TEST(MainSettings, IntegersAreClampedIntoTheirRangesWhenRead)
{
    TestFolder dir;
    writeFileBytes(MainSettingsFile(dir.path()),
                   crlf("[GENERAL]\nEMode=-2147483648\n[VIEW]\nMainTop=2147483647\nMainLeft=-2147483648\n"
                        "[WK]\nSpeed=2147483647\nSpeedUp=2147483647\nSpeedMode=-1\nSpeedMin=-5\nSpeedMax=$FFFFFF\n"
                        "Sidetone=2147483647\nSpeedStep=-1\n[WKSetup]\nPaddleMode=9\nHangTime=-2147483648\n"
                        "[REGISTER]\nE0=-1\nR01=0x7FFFFFFF\nR09=-2147483648\n"
                        "[cat]\nModel=-3\nBaudRate=-9600\nFollow=yes\n"));
    ContestState s;
    s.CatModel = 1;
    s.CatBaudRate = 4800;
    s.CatFollow = true;
    LoadMainSettings(s, dir.path());
    EXPECT_EQ(s.Mode, "");
    EXPECT_EQ((std::vector<int>{s.MainTop, s.MainLeft, s.Speed, s.SpeedUp, s.SpeedMode, s.SpeedMin,
                                s.SpeedMax, s.Sidetone, s.SpeedStep, s.PaddleMode, s.HangTime, s.E0, s.R01, s.R09,
                                s.CatModel, s.CatBaudRate, s.CatFollow}),
              (std::vector<int>{100000, -100000, 99, 20, 0, 0, 99, 8, 1, 3, 0, 0, 255, -2147483647 - 1, 0, 0, 1}));
}
