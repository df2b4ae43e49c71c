#include "logging/DurableFile.h"
#include "logging/LogFile.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

QsoRow qso(std::string time, std::string call, std::string exch, std::string band, std::string mode,
           std::string date = "2013-04-14")
{
    return QsoRow{std::move(time), std::move(call), std::move(exch), "", std::move(band), std::move(mode),
                  std::move(date)};
}

} // namespace

// Six fields with single blanks and no colon in the time, and back to the same row.
TEST(LogLine, WritesSixFieldsAndReadsBackWhatWasWritten)
{
    const struct {
        QsoRow row;
        const char *line;
    } cases[] = {
        {qso("07:12", "S5ABC", "1987", "80", "CW"), "2013-04-14 0712 S5ABC 1987 80 CW"},
        {qso("07:12", "S5ABC", "", "80", "CW"), "2013-04-14 0712 S5ABC  80 CW"},
        {qso("07:12", "S5ABC", "19 87", "160", "SSB"), "2013-04-14 0712 S5ABC 19 87 160 SSB"},
        {qso("23:59", "S5ABC/P", " 5 ", "10", "CW"), "2013-04-14 2359 S5ABC/P  5  10 CW"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(FormatQsoLine(c.row, "x"), std::string(c.line) + "\r\n");
        EXPECT_EQ(ParseQsoLine(c.line), c.row) << c.line;
    }
    // A time typed without its colon, and a row without a date of its own, which takes the run's.
    EXPECT_EQ(FormatQsoLine(qso("1407", "S5X", "1", "20", "SSB", ""), "2020-01-02"), "2020-01-02 1407 S5X 1 20 SSB\r\n");
}

TEST(LogLine, ReadsOnlyWellFormedLines)
{
    const std::string longExchange(980, '5');
    const struct {
        std::string line;
        bool read;
    } cases[] = {
        {"2012-02-29 2359 s5abc/p 19 87 10 SSB", true},
        {"2013-04-14 0712 S5ABC " + longExchange + " 80 CW", false},  // longer than any real QSO
        {"2013-04-14 0712 S5ABC " + longExchange.substr(0, 960) + " 80 CW", true},
        {"", false}, {"garbage", false}, {"2013-04-14", false},
        {"2013-04-14 0712 S5ABC 80 CW", false},        // a field short
        {"2013-04-14 0712 S5ABC 1 80 CW X", false},    // a field too many
        {"2013-04-14 07:12 S5ABC 1 80 CW", false}, {"2013-02-29 0712 S5ABC 1 80 CW", false},
        {"2013-04-14 0712 S5:ABC 1 80 CW", false}, {"2013-04-14 0712 S5ABC 1 17 CW", false},
        {"2013-04-14 0712 S5ABC 1 80 FM", false}, {"2013-04-14 0712 S5ABC 1 80 cw", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParseQsoLine(c.line).has_value(), c.read) << c.line.substr(0, 60);
}

TEST(LogFile, LoadReadsEveryKindOfLineEndAndKeepsWhatItSkips)
{
    TestFolder dir;
    const std::string path = dir.file("S5ABC.log");
    EXPECT_EQ(CountLogFile(path), 0);
    EXPECT_FALSE(fileExists(path));  // no QSO, no log
    for (const std::string eol : {"\r\n", "\n", "\r"}) {
        writeFileBytes(path, "2013-04-14 0712 A1A 1 80 CW" + eol + "broken line" + eol + eol +
                             "2013-04-14 0715 B1B 2 40 SSB" + eol + "2013-04-15 0720 C1C 3 20 CW");
        EXPECT_EQ(CountLogFile(path), 4);
        const LogLoad load = LoadLogFile(path);
        ASSERT_EQ(load.rows.size(), 3u) << eol.size();
        EXPECT_EQ(load.rows[0].Time, "07:12");
        EXPECT_EQ(load.rows[1].Number, "2");
        EXPECT_EQ(load.rows[1].Mode, "SSB");
        EXPECT_EQ(load.rows[2].Date, "2013-04-15");
        EXPECT_EQ(load.skippedLines, std::vector<int>{2});
        EXPECT_EQ(load.rejected, "2: broken line\r\n");
    }
    EXPECT_EQ(LineNumbersSummary({3, 5, 8, 9}, 3), "3, 5, 8 and 1 more");
}

TEST(LogFile, AppendStartsOnALineOfItsOwnAndLeavesNoTornLine)
{
    TestFolder dir;
    const std::string path = dir.file("S5ABC.log");
    const std::string handEdited = "2013-04-14 0712 A1A 1 80 CW";  // saved without a last line break
    writeFileBytes(path, handEdited);
    AppendLogLine(path, qso("1407", "B1B", "2", "80", "CW"), "");
    const std::string twoLines = handEdited + "\r\n2013-04-14 1407 B1B 2 80 CW\r\n";
    EXPECT_EQ(readFileBytes(path), twoLines);
    // What a power cut leaves: the next QSO still gets a line of its own.
    writeFileBytes(path, twoLines + "2013-04-14 14");
    AppendLogLine(path, qso("1409", "D1D", "4", "80", "CW"), "");
    const LogLoad load = LoadLogFile(path);
    ASSERT_EQ(load.rows.size(), 3u);
    EXPECT_EQ(load.rows[2].Call, "D1D");
    EXPECT_EQ(load.skippedLines, std::vector<int>{3});
}
