#include "logging/DurableFile.h"
#include "logging/LogFile.h"

#include "support/TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

QsoRow qso(std::string time, std::string call, std::string exch, std::string band, std::string mode,
           std::string date = "2013-04-14")
{
    return QsoRow{std::move(time), std::move(call), std::move(exch), "", std::move(band), std::move(mode),
                  std::move(date)};
}

} // namespace

TEST(LogLine, WritesSixFieldsWithSingleBlanksAndNoColon)
{
    EXPECT_EQ(FormatQsoLine(qso("07:12", "S5ABC", "1987", "80", "CW"), "x"), "2013-04-14 0712 S5ABC 1987 80 CW\r\n");
    EXPECT_EQ(FormatQsoLine(qso("1407", "S5ABC", "", "80", "CW"), "x"), "2013-04-14 1407 S5ABC  80 CW\r\n");
    // A row without a date of its own takes the run's date.
    EXPECT_EQ(FormatQsoLine(qso("1407", "S5X", "1", "20", "SSB", ""), "2020-01-02"), "2020-01-02 1407 S5X 1 20 SSB\r\n");
}

TEST(LogLine, ReadsBackWhatWasWritten)
{
    const QsoRow cases[] = {
        qso("07:12", "S5ABC", "1987", "80", "CW"),
        qso("07:12", "S5ABC", "", "80", "CW"),           // empty exchange: two blanks in a row
        qso("07:12", "S5ABC", "19 87", "160", "SSB"),     // exchange holding a blank
        qso("23:59", "S5ABC/P", " 5 ", "10", "CW"),       // blanks at both ends of the exchange
    };
    for (const QsoRow &row : cases) {
        std::string line = FormatQsoLine(row, "");
        line.erase(line.size() - 2);
        const auto back = ParseQsoLine(line);
        ASSERT_TRUE(back) << line;
        EXPECT_EQ(*back, row) << line;
    }
}

TEST(LogLine, RefusesMalformedLines)
{
    for (const char *line : {"", "2013-04-14", "2013-04-14 0712 S5ABC 80 CW", "2013-04-14 071 S5ABC 1 80 CW",
                             "2013-04-14 0712 S5ABC  CW", "garbage"})
        EXPECT_FALSE(ParseQsoLine(line)) << line;
}

TEST(LogFile, CountCreatesMissingFileAndSkipsEmptyLines)
{
    TestFolder dir;
    const std::string path = dir.file("S5ABC.log");
    EXPECT_EQ(CountLogFile(path), 0);
    EXPECT_TRUE(fileExists(path));
    writeFileBytes(path, "2013-04-14 0712 A1A 1 80 CW\r\n\r\n2013-04-14 0715 B1B 2 80 CW\n");
    EXPECT_EQ(CountLogFile(path), 2);
}

TEST(LogFile, LoadNumbersRowsAndReportsMalformedLines)
{
    TestFolder dir;
    const std::string path = dir.file("S5ABC.log");
    writeFileBytes(path, "2013-04-14 0712 A1A 1 80 CW\r\n"
                         "broken line\r\n"
                         "\r\n"
                         "2013-04-14 0715 B1B 2 40 SSB\n"  // a bare line feed is read too
                         "2013-04-15 0720 C1C 3 20 CW");    // and a last line without one
    const LogLoad load = LoadLogFile(path);
    ASSERT_EQ(load.rows.size(), 3u);
    EXPECT_EQ(load.rows[0].Time, "07:12");
    EXPECT_EQ(load.rows[1].Number, "2");
    EXPECT_EQ(load.rows[1].Mode, "SSB");
    EXPECT_EQ(load.rows[2].Number, "3");
    EXPECT_EQ(load.rows[2].Date, "2013-04-15");
    EXPECT_EQ(load.skippedLines, std::vector<int>{2});
}

TEST(LogFile, RewriteKeepsEachRowsDateAndThePreviousContent)
{
    TestFolder dir;
    const std::string path = dir.file("S5ABC.log");
    const std::string before = "2013-04-14 2359 A1A 1 80 CW\r\n2013-04-15 0001 B1B 2 80 CW\r\nbad\r\n";
    writeFileBytes(path, before);
    const LogLoad load = LoadLogFile(path);
    LogTable table;
    table.replaceAll(load.rows);
    RewriteLogFile(path, table, 2, "2026-12-06");
    EXPECT_EQ(readFileBytes(path), "2013-04-14 2359 A1A 1 80 CW\r\n2013-04-15 0001 B1B 2 80 CW\r\n");
    EXPECT_EQ(readFileBytes(path + ".bak"), before);
    EXPECT_EQ(QDir(QString::fromStdString(dir.path())).entryList(QDir::Files),
              QStringList({"S5ABC.log", "S5ABC.log.bak"}));  // no temporary file left
}

TEST(LogFile, FailedRewriteLeavesTheLogAsItWas)
{
    TestFolder dir;
    const std::string path = dir.file("S5ABC.log");
    writeFileBytes(path, "2013-04-14 0712 A1A 1 80 CW\r\n");
    LogTable table;
    table.replaceAll({qso("07:15", "B1B", "2", "80", "CW"), qso("07:16", "C1C", "3", "80", "CW")});
    {
        FileSizeLimit diskFull(20);  // the new content stops part way, as on a full disk
        EXPECT_THROW(RewriteLogFile(path, table, 2, "2013-04-14"), FileError);
    }
    EXPECT_EQ(readFileBytes(path), "2013-04-14 0712 A1A 1 80 CW\r\n");
}
