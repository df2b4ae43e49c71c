#include "settings/ProfileFile.h"

#include "logging/ScreenText.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <filesystem>
#include <unistd.h>

namespace {

// A file as the Windows profile functions and an operator's editor leave it.
const std::string kOperatorsFile = crlf(
    "; written by hand\n"
    "Orphan=before any section\n"
    "[General]\n"
    "MyCall=S59ABC\n"
    "Empty=\n"
    "Quoted=\" CQ TEST \"\n"
    "HalfQuoted=\"CQ\n"
    "NoEquals\n"
    "MyCall=second one\n"
    "\n"
    "[ Memo ]\n"
    "F1=CQ TEST\n"
    "[general]\n"
    "Later=in the second section of that name\n");

TEST(ProfileFile, ReadsWhatWindowsAndOperatorsWrote)
{
    TestFolder dir;
    writeFileBytes(dir.file("a.ini"), kOperatorsFile);
    const ProfileFile f(dir.file("a.ini"));

    EXPECT_EQ(f.readString("GENERAL", "MYCALL", "x"), "S59ABC");  // first of two, any case
    EXPECT_EQ(f.readString("General", "Empty", "x"), "");           // present but empty: not the default
    EXPECT_EQ(f.readString("General", "Quoted", "x"), " CQ TEST ");
    EXPECT_EQ(f.readString("General", "HalfQuoted", "x"), "\"CQ");
    EXPECT_EQ(f.readString("General", "NoEquals", "x"), "x");
    EXPECT_EQ(f.readString("General", "Later", "x"), "x");    // only the first section of a name counts
    EXPECT_EQ(f.readString("General", "Orphan", "x"), "x");
    EXPECT_EQ(f.readString("MEMO", "f1", "x"), "CQ TEST");   // blanks inside the brackets
    EXPECT_EQ(f.readString("Memo", "F3", std::string(3000, 'd')), std::string(2047, 'd'));  // as a value is cut
    EXPECT_EQ(readFileBytes(dir.file("a.ini")), kOperatorsFile);  // reading changes nothing
}

TEST(ProfileFile, IntegerForms)
{
    struct Case {
        const char *text;
        std::optional<int> value;
    };
    const Case cases[] = {
        {"30", 30},           {"-12", -12},        {"+7", 7},           {"0x1E", 30},
        {"0X1e", 30},         {"$1E", 30},         {"$1e", 30},         {"-$1E", -30},
        {"$FFFFFFFF", -1},    {"$80000000", INT32_MIN},                 {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},                {"2147483648", std::nullopt},
        {"$100000000", std::nullopt},              {"0x", std::nullopt}, {"$", std::nullopt},
        {"", std::nullopt},   {"abc", std::nullopt}, {"12a", std::nullopt}, {"1 2", std::nullopt},
        {"0x1G", std::nullopt}, {"$-1", std::nullopt}, {"-", std::nullopt}, {"1.5", std::nullopt},
        {"  12", 12},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ParseProfileInteger(c.text), c.value) << "\"" << c.text << "\"";
}

// As other editors leave a file: a byte order mark, bare line feeds, no break after the last
// line. Keys changed in place the main settings' saves show, and that lines the program does not
// own stay the window's start on odd settings files; here where a new key goes.
TEST(ProfileFile, AnEditorsFileReadsAndTakesNewKeysAfterTheLastOfTheFirstSection)
{
    TestFolder dir;
    const std::string memo = "[ Memo ]\nF1=CQ\n";
    const std::string rest = "[general]\nLater=in the second section of that name\n[WK]\nSpeedMin=letters\n"
                             "SpeedMax=\nRunMode=2\nComAuto=0\nEnterSendMsg=yes\nSpeed=0x1E";
    writeFileBytes(dir.file("a.ini"), "\xEF\xBB\xBF[General]\nMyCall=S59ABC\n\n" + memo + rest);
    ProfileFile f(dir.file("a.ini"));
    EXPECT_EQ(f.readString("General", "MyCall", "x"), "S59ABC");
    EXPECT_EQ(f.readInteger("WK", "Speed", 0), 30);
    EXPECT_EQ(f.readInteger("WK", "SpeedMin", 5), 5);
    EXPECT_TRUE(f.readBool("WK", "RunMode", false));
    EXPECT_FALSE(f.readBool("WK", "ComAuto", true));
    EXPECT_FALSE(f.readBool("WK", "EnterSendMsg", false));

    f.writeString("general", "New", "appended");
    f.writeString("MEMO", "F2", "TU\r\n[GENERAL]\nMyCall=X");  // a value stays on its own line
    EXPECT_EQ(readFileBytes(dir.file("a.ini")), crlf("\xEF\xBB\xBF[General]\nMyCall=S59ABC\nNew=appended\n\n" + memo
                                                     + "F2=TU  [GENERAL] MyCall=X\n" + rest + "\n"));
    EXPECT_EQ(f.readString("GENERAL", "MyCall", "none"), "S59ABC");
}

TEST(ProfileFile, EveryCallSeesTheFileAsItIsNow)
{
    TestFolder dir;
    ProfileFile f(dir.file("a.ini"));
    f.writeString("VIEW", "WKTop", "1");
    // Another writer of the same file (the serial port's settings, an editor) between two calls.
    writeFileBytes(dir.file("a.ini"), crlf("; by hand\n[ComPort]\nPort=COM3\n[VIEW]\nWKTop=7\n"));
    EXPECT_EQ(f.readInteger("VIEW", "WKTop", 0), 7);
    ProfileFile other(dir.file("a.ini"));
    other.writeString("ComPort", "Port", "COM4");
    f.writeString("VIEW", "WKLeft", "2");
    EXPECT_EQ(readFileBytes(dir.file("a.ini")), crlf("; by hand\n[ComPort]\nPort=COM4\n[VIEW]\nWKTop=7\nWKLeft=2\n"));
}

// A missing folder's message is checked where the settings file is saved.
TEST(ProfileFile, AFailedWriteSaysSoAndLeavesTheFileWhole)
{
    TestFolder dir;
    // The path as the system names it, in the code page of every message: its letters read right.
    const std::string lettered = dir.file("Dnevnik čšž/a.ini");
    const std::string said = failureText<ProfileWriteError>([&] { ProfileFile(lettered).writeString("GENERAL", "MyCall", "S59ABC"); });
    EXPECT_EQ(messageToScreen(said), "Unable to write to " + QFile::decodeName(lettered.c_str()));

    // A folder where the file should be cannot be read, so it must not be written over.
    std::filesystem::create_directory(dir.file("dir.ini"));
    ProfileFile folder(dir.file("dir.ini"));
    EXPECT_EQ(folder.readString("A", "B", "d"), "d");
    EXPECT_THROW(folder.writeString("A", "B", "c"), ProfileWriteError);

    const std::string before = crlf("[Memo]\nF1=CQ TEST\n");
    writeFileBytes(dir.file("a.ini"), before);
    ProfileFile f(dir.file("a.ini"));
    {
        FileSizeLimit limit(before.size() + 4);
        EXPECT_THROW(f.writeString("Memo", "F2", "a message too long for the disk"), ProfileWriteError);
        EXPECT_THROW(f.writeString("Memo", "F1", "CQ CQ CQ TEST DE S59ABC"), ProfileWriteError);
        EXPECT_EQ(readFileBytes(dir.file("a.ini")), before);
        f.writeString("Memo", "F1", "CQ");  // smaller: fits
    }
    EXPECT_EQ(readFileBytes(dir.file("a.ini")), crlf("[Memo]\nF1=CQ\n"));
    {
        FileSizeLimit limit(8);  // a first key that does not fit leaves no file at all
        EXPECT_THROW(ProfileFile(dir.file("new.ini")).writeString("Memo", "F1", "CQ"), ProfileWriteError);
    }
    EXPECT_EQ(QDir(QString::fromStdString(dir.path())).entryList(QDir::Files | QDir::Hidden),
              QStringList({"a.ini"}));
}

TEST(ProfileFile, AFolderThatRefusesNewFilesStillTakesWritesToAnExistingFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    TestFolder dir;
    const std::string sub = dir.file("ro/");
    std::filesystem::create_directory(sub);
    writeFileBytes(sub + "a.ini", crlf("[VIEW]\nWKTop=1\n"));
    std::filesystem::permissions(sub, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    ProfileFile f(sub + "a.ini");
    f.writeString("VIEW", "WKLeft", "2");
    EXPECT_THROW(ProfileFile(sub + "new.ini").writeString("VIEW", "WKTop", "1"), ProfileWriteError);
    std::filesystem::permissions(sub, std::filesystem::perms::owner_all);
    EXPECT_EQ(readFileBytes(sub + "a.ini"), crlf("[VIEW]\nWKTop=1\nWKLeft=2\n"));
}

TEST(ProfileFile, WritesThroughALinkToTheLinkedFile)
{
    TestFolder dir;
    writeFileBytes(dir.file("real.ini"), crlf("[VIEW]\nWKTop=1\n"));
    std::filesystem::create_symlink(dir.file("real.ini"), dir.file("link.ini"));
    ProfileFile(dir.file("link.ini")).writeString("VIEW", "WKTop", "5");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.ini")));
    EXPECT_EQ(readFileBytes(dir.file("real.ini")), crlf("[VIEW]\nWKTop=5\n"));
}

} // namespace
