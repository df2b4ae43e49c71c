#include "export/Cabrillo.h"

#include "logging/ContestState.h"
#include "logging/LogTable.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>

#include <cstdio>
#include <map>

namespace {

const std::string kHeader = crlf(
    "START-OF-LOG: 2.0\n"
    "CREATED-BY: Quillfeather 1.01\n"
    "CALLSIGN: S59ABC\n"
    "CONTEST: \n"
    "CATEGORY: \n"
    "OPERATORS: S59ABC\n"
    "NAME: \n"
    "ADDRESS: \n"
    "ADDRESS: \n"
    "EMAIL: \n");
const std::string kEnd = "END-OF-LOG:\r\n";

struct Station {
    ContestState state;
    LogTable log;

    Station()
    {
        state.MyCall = "S59ABC";
        state.MyYearLic = "1999";
        state.LogDate = "2013-04-14";
    }
    void add(const QsoRow &row)
    {
        const int n = state.QsoCount++;
        if (n >= log.rowCount())
            log.setRowCount(n + 1);
        log.commitQso(n, row);
    }
};

std::string exportedFile(const TestFolder &dir)
{
    return readFileBytes(dir.file("S59ABC.cbr"));
}

// The message the export stops with.
std::string stopMessage(const Station &s, const TestFolder &dir)
{
    return failureText<CabrilloError>([&] { ExportCabrillo(s.state, s.log, dir.path()); });
}

// Each line carries its own QSO's date; a row without one (refilled by hand) the run's.
// Calls too long for the report's column keep one blank before it.
TEST(Cabrillo, ExchangeChoiceWithMixedModesBandsTimesAndDates)
{
    TestFolder dir;
    Station s;
    s.state.CbExchange = true;
    s.add({"07:12", "S51X", "1987", "1", "40", "CW", "2013-04-12"});
    s.add({"0713", "9A2AA", "2001", "2", "80", "SSB", "2013-04-13"});
    s.add({"14:07", "OE1XYZ", "", "3", "160", "CW", ""});
    s.add({"15:30", "S5ABCDEFGHIJKLMN", "55", "4", "20", "SSB", ""});
    s.add({"23:59", "S5ABCDEFGHIJK", "X", "5", "15", "CW", ""});
    s.add({"00:00", "W1AW", "5NN", "6", "10", "SSB", ""});
    s.log.setRowCount(8);  // rows past QsoCount are not part of the log
    s.log.commitQso(7, {"01:00", "STALE", "1", "8", "20", "CW", ""});

    ExportCabrillo(s.state, s.log, dir.path());
    const std::string expected = kHeader + crlf(
        "QSO:  7000 CW 2013-04-12 0712 S59ABC       599 1999      S51X         599 1987\n"
        "QSO:  3500 PH 2013-04-13 0713 S59ABC        59 1999      9A2AA         59 2001\n"
        "QSO:  1800 CW 2013-04-14 1407 S59ABC       599 1999      OE1XYZ       599 \n"
        "QSO: 14000 PH 2013-04-14 1530 S59ABC        59 1999      S5ABCDEFGHIJKLMN 59 55\n"
        "QSO: 21000 CW 2013-04-14 2359 S59ABC       599 1999      S5ABCDEFGHIJK 599 X\n"
        "QSO: 28000 PH 2013-04-14 0000 S59ABC        59 1999      W1AW          59 5NN\n") + kEnd;
    EXPECT_EQ(exportedFile(dir), expected);
    ExportCabrillo(s.state, s.log, dir.path());  // again, over the file it wrote
    EXPECT_EQ(exportedFile(dir), expected);
}

TEST(Cabrillo, NumberChoicePadsToThreeDigits)
{
    TestFolder dir;
    Station s;
    s.state.CbNumber = true;
    // Received exchanges other than "5", with what the export makes of them.
    const std::map<int, std::pair<std::string, std::string>> received = {
        {1, {"7", "007"}}, {10, {"42", "042"}}, {100, {"123", "123"}}, {101, {"007", "00007"}},
        {50, {"  8", "008"}}};  // a second blank typed after the call
    std::string expected = kHeader;
    for (int n = 1; n <= 101; ++n) {
        const auto it = received.find(n);
        s.add({"12:00", "S51A", it == received.end() ? "5" : it->second.first, std::to_string(n), "20", "CW", ""});
        char sent[8];
        std::snprintf(sent, sizeof sent, "%03d", n);
        expected += "QSO: 14000 CW 2013-04-14 1200 S59ABC       599 " + std::string(sent) + "      S51A         599 "
                    + (it == received.end() ? "005" : it->second.second) + "\r\n";
    }
    ExportCabrillo(s.state, s.log, dir.path());
    EXPECT_EQ(exportedFile(dir), expected + kEnd);
}

// Every stop leaves the earlier good export exactly as it was and no temporary file.
class CabrilloStops : public ::testing::Test {
protected:
    void SetUp() override
    {
        s.state.CbExchange = true;
        s.add({"07:12", "S51X", "12", "1", "40", "CW", ""});
        s.add({"07:13", "S52Y", "13", "2", "40", "SSB", ""});
        ExportCabrillo(s.state, s.log, dir.path());
        good = exportedFile(dir);
    }
    void expectEarlierExportKept()
    {
        EXPECT_EQ(exportedFile(dir), good);
        EXPECT_EQ(QDir(QString::fromStdString(dir.path())).entryList(QDir::Files | QDir::Hidden),
                  QStringList({"S59ABC.cbr"}));
    }

    TestFolder dir;
    Station s;
    std::string good;
};

TEST_F(CabrilloStops, BothOrNeitherChoiceTicked)
{
    for (bool both : {true, false}) {
        s.state.CbExchange = s.state.CbNumber = both;
        const std::string message = stopMessage(s, dir);
        EXPECT_NE(message.find("tick exactly one of \"Exchange\" and \"Number\""), std::string::npos) << message;
        EXPECT_NE(message.find("setup panel"), std::string::npos) << message;
        expectEarlierExportKept();
    }
}

TEST_F(CabrilloStops, ReceivedNumberThatIsNoInteger)
{
    s.state.CbExchange = false;
    s.state.CbNumber = true;
    for (const char *cell : {"12a", "", "12 ", "$1E", "1.5", "99999999999", "-"}) {
        s.log.setCell(1, LogTable::ColExchange, cell);
        EXPECT_EQ(stopMessage(s, dir), std::string("Row 2, exchange cell: \"") + cell
                                           + "\" is not a received serial number. Correct it in the log; "
                                             "nothing was exported.");
        expectEarlierExportKept();
    }
}

TEST_F(CabrilloStops, BandOrModeCellOutsideTheTables)
{
    s.log.setCell(1, LogTable::ColBand, "30");
    EXPECT_EQ(stopMessage(s, dir), "Row 2, band cell: \"30\" is not 160, 80, 40, 20, 15 or 10. "
                                   "Correct it in the log; nothing was exported.");
    expectEarlierExportKept();

    s.log.setCell(1, LogTable::ColBand, "40");
    s.log.setCell(0, LogTable::ColMode, "PH");
    EXPECT_EQ(stopMessage(s, dir),
              "Row 1, mode cell: \"PH\" is not CW or SSB. Correct it in the log; nothing was exported.");
    expectEarlierExportKept();
}

TEST_F(CabrilloStops, FileThatCannotBeWritten)
{
    {
        FileSizeLimit limit(good.size() / 2);
        s.add({"07:14", "S53Z", "14", "3", "40", "CW", ""});
        const std::string message = stopMessage(s, dir);
        EXPECT_EQ(message.rfind("Cannot write file \"" + dir.file("S59ABC.cbr") + "\". ", 0), 0u) << message;
    }
    expectEarlierExportKept();
}

TEST(Cabrillo, EmptyLogFileNamesAndAFileThatCannotBeCreated)
{
    TestFolder dir;
    Station s;
    s.state.CbExchange = true;
    ExportCabrillo(s.state, s.log, dir.path());
    EXPECT_EQ(exportedFile(dir), kHeader + kEnd);
    // A "/" typed into the own call after the start names the file as the log is named.
    s.state.MyCall = "S59ABC/P";
    ExportCabrillo(s.state, s.log, dir.path());
    EXPECT_TRUE(readFileBytes(dir.file("S59ABC_P.cbr")).find("CALLSIGN: S59ABC/P\r\n") != std::string::npos);

    s.state.MyCall = "S59ABC";
    const std::string gone = dir.path() + "gone/";
    const std::string message = failureText<CabrilloError>([&] { ExportCabrillo(s.state, s.log, gone); });
    EXPECT_EQ(message.rfind("Cannot create file \"" + gone + "S59ABC.cbr\". ", 0), 0u) << message;
}

// The header as the operator fills it in (LOCATION and the third ADDRESS left empty),
// kept in the main settings file beside the rest.
const char *kHeaderSection = "[CABRILLO]\r\nVersion=%1\r\nContest=S5-CONTEST\r\nCategoryOperator=SINGLE-OP\r\n"
                             "CategoryBand=ALL\r\nCategoryMode=MIXED\r\nCategoryPower=LOW\r\n"
                             "CategoryAssisted=NON-ASSISTED\r\nCategoryStation=PORTABLE\r\nCategoryTransmitter=ONE\r\n"
                             "Name=Joze Novak\r\nAddress1=Glavna cesta 1\r\nAddress2=1000 Ljubljana\r\nAddress3=\r\n"
                             "Email=s59abc@example.org\r\nClub=Radio klub Triglav\r\nOperators=S59ABC\r\n"
                             "GridLocator=JN76\r\nLocation=\r\nSoapbox=Portable on Krim, 100 W and a dipole\r\n";

TEST(Cabrillo, Version3WritesTheHeaderAndTheOwnCallWithItsSlash)
{
    const struct { const char *version, *golden; } cases[] = {
        {"3.0", QUILL_GOLDEN "/cabrillo-3.0.cbr"},
        {"2.0", nullptr},  // the section read, the file as it always was
    };
    for (const auto &c : cases) {
        TestFolder dir;
        Station s;
        s.state.MyCall = "S59ABC_P";  // as the program keeps an own call S59ABC/P
        s.state.CbExchange = true;
        s.add({"07:12", "S51X", "1987", "1", "40", "CW", ""});
        s.add({"0713", "9A2AA", "2001", "2", "80", "SSB", ""});
        s.add({"07:14", "DL/K1ABC", "55", "3", "20", "CW", ""});
        writeFileBytes(dir.file("Quillfeatherini.ini"), QString(kHeaderSection).arg(c.version).toStdString());
        ExportCabrillo(s.state, s.log, dir.path());
        const std::string written = readFileBytes(dir.file("S59ABC_P.cbr"));
        if (c.golden) {
            EXPECT_EQ(written, readFileBytes(c.golden)) << c.version;
        } else {
            CabrilloHeader plain;
            EXPECT_EQ(written, CabrilloText(s.state, s.log, plain)) << c.version;
            EXPECT_EQ(written.rfind("START-OF-LOG: 2.0\r\nCREATED-BY: Quillfeather 1.01\r\nCALLSIGN: S59ABC_P\r\n"
                                    "CONTEST: \r\nCATEGORY: \r\n", 0), 0u);
            EXPECT_NE(written.find("S59ABC_P     599 1999      S51X"), std::string::npos);
        }
    }
}

TEST(CabrilloHeaderFile, SavedHeaderReadsBack)
{
    TestFolder dir;
    CabrilloHeader header;
    header.Version = "3.0";
    for (const CabrilloTag &tag : CabrilloTags())
        header.*tag.field = tag.values.empty() ? std::string(tag.key) + " text" : tag.values.back();
    SaveCabrilloHeader(header, dir.path());
    CabrilloHeader read;
    LoadCabrilloHeader(read, dir.path());
    EXPECT_EQ(read.Version, "3.0");
    for (const CabrilloTag &tag : CabrilloTags())
        EXPECT_EQ(read.*tag.field, header.*tag.field) << tag.key;
}

} // namespace
