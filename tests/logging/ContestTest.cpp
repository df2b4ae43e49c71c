#include "logging/Contest.h"
#include "logging/DurableFile.h"
#include "logging/QsoTableModel.h"
#include "logging/ReportField.h"

#include "FakeMainView.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class ContestTest : public ::testing::Test {
protected:
    TestFolder dir;
    ContestState st;
    LogTable table;
    FixedClock clock;
    Contest c{st, table, clock, dir.path()};
    FakeMainView view{c};

    ContestTest()
    {
        st.MyCall = "S5ABC";
        st.Mode = "CW";
        st.Band = "80";
    }
    void start()
    {
        c.formCreate();
        c.formShow();
        c.startTimerTick();
    }
    void log(const std::string &line)
    {
        view.setEntryText("");
        view.type(line);
        c.keys.enter();
    }
    std::string logFile() { return readFileBytes(dir.file(st.MyCall + ".log")); }
};

} // namespace

TEST_F(ContestTest, FirstStartNamesTheLogAfterS5)
{
    st.MyCall.clear();
    start();
    EXPECT_EQ(st.MyCall, "S5");
    EXPECT_TRUE(fileExists(dir.file("S5.log")));
    EXPECT_EQ(c.display.LQSO, "S5 QSO: 0");
    EXPECT_EQ(c.display.BModeText, "  CW");
}

TEST_F(ContestTest, PortableCallNamesTheLogWithAnUnderscore)
{
    st.MyCall = "S5ABC/P";
    start();
    EXPECT_EQ(st.MyCall, "S5ABC_P");
    EXPECT_EQ(c.display.LCall, "S5ABC_P");
    EXPECT_TRUE(fileExists(dir.file("S5ABC_P.log")));
    // A "/" typed later stays in the call but never leads the log into another folder.
    c.myCallChanged("S5ABC/M");
    EXPECT_EQ(c.logPath(), dir.file("S5ABC_M.log"));
}

TEST_F(ContestTest, EntryLineSplitsIntoCallAndExchange)
{
    start();
    view.type("S5ABC 1987");
    EXPECT_EQ(st.QsoCall, "S5ABC");
    EXPECT_EQ(st.QsoExchange, "1987");
    EXPECT_EQ(c.display.LInfo, "S5ABC");
    EXPECT_EQ(c.display.LInfo1, "1987");

    view.setEntryText("S5ABC 19 87");
    EXPECT_EQ(st.QsoExchange, "19 87");

    // Deleting back to the call keeps the exchange it had while the blank was there.
    view.setEntryText("S5ABC 1");
    for (int i = 0; i < 2; ++i)
        view.backspace();
    EXPECT_EQ(view.entry, "S5ABC");
    EXPECT_EQ(st.QsoExchange, "");

    // One character clears the labels but keeps the parts.
    view.setEntryText("S");
    EXPECT_EQ(c.display.LInfo, "");
    EXPECT_EQ(c.display.LInfo1, "");
    EXPECT_EQ(st.QsoCall, "S5ABC");

    // A leading blank wipes the line.
    view.setEntryText(" ");
    EXPECT_EQ(view.entry, "");
}

TEST_F(ContestTest, DuplicateOnlyOnSameBandAndMode)
{
    start();
    log("S5XYZ 12");
    view.type("S5XYZ");
    EXPECT_TRUE(st.IsDupe);
    EXPECT_TRUE(c.display.LDouble);
    view.type(" 13");  // the exchange does not matter
    EXPECT_TRUE(c.display.LDouble);

    view.setEntryText("");
    c.bandSelected(2);  // 40 m
    view.type("S5XYZ");
    EXPECT_FALSE(c.display.LDouble);

    view.setEntryText("");
    c.bandSelected(1);  // back to 80 m, but phone
    st.Mode = "SSB";
    view.type("S5XYZ");
    EXPECT_FALSE(c.display.LDouble);

    // A single character leaves the warning as it was.
    st.Mode = "CW";
    view.setEntryText("");
    view.setEntryText("S5XYZ");
    EXPECT_TRUE(c.display.LDouble);
    view.setEntryText("S");
    EXPECT_TRUE(c.display.LDouble);

    // A duplicate is still logged, and the warning goes.
    log("S5XYZ 14");
    EXPECT_EQ(st.QsoCount, 2);
    EXPECT_FALSE(c.display.LDouble);
}

TEST_F(ContestTest, CommitNumbersStampsAndAppends)
{
    start();
    clock.now = {2013, 4, 14, 14, 7, 5};
    c.clockTick();  // first tick: the clock label is empty, so the minute is taken
    log("S5AAA 1987");
    EXPECT_EQ(st.QsoCount, 1);
    EXPECT_EQ(view.currentRow, 0);
    EXPECT_EQ(table.row(0).Time, "1407");
    EXPECT_EQ(table.row(0).Number, "1");
    EXPECT_EQ(st.LastCall, "S5AAA");
    EXPECT_EQ(view.entry, "");
    EXPECT_EQ(st.QsoCall, "");
    EXPECT_EQ(c.display.LQSO, "S5ABC QSO: 1");

    // The minute changes only at a tick that reads second 00.
    clock.now = {2013, 4, 14, 14, 8, 0};
    log("S5BBB 1990");
    EXPECT_EQ(table.row(1).Time, "1407");
    EXPECT_EQ(view.currentRow, 0);
    c.clockTick();
    log("S5CCC 2001");
    EXPECT_EQ(table.row(2).Time, "1408");
    EXPECT_EQ(view.currentRow, 1);
    EXPECT_EQ(table.row(2).Number, "3");
    EXPECT_EQ(logFile(), "2013-04-14 1407 S5AAA 1987 80 CW\r\n"
                         "2013-04-14 1407 S5BBB 1990 80 CW\r\n"
                         "2013-04-14 1408 S5CCC 2001 80 CW\r\n");
}

TEST_F(ContestTest, QsoDateIsTheUtcDateOfItsTimeStamp)
{
    clock.local = "2013-04-14";
    clock.now = {2013, 4, 14, 23, 59, 30};
    start();
    log("S5AAA 1");
    clock.now = {2013, 4, 15, 0, 0, 0};
    c.clockTick();
    log("S5BBB 2");
    EXPECT_EQ(st.LogDate, "2013-04-14");  // the run keeps the date of its start
    EXPECT_EQ(logFile(), "2013-04-14 2359 S5AAA 1 80 CW\r\n2013-04-15 0000 S5BBB 2 80 CW\r\n");
    // A rewrite keeps each QSO's own date.
    c.log.rewrite();
    EXPECT_EQ(logFile(), "2013-04-14 2359 S5AAA 1 80 CW\r\n2013-04-15 0000 S5BBB 2 80 CW\r\n");
}

TEST_F(ContestTest, EnterCommitsByModeAndNeverFromAShortLine)
{
    start();
    // CW without ESM needs call and exchange.
    log("S5ABC");
    EXPECT_EQ(st.QsoCount, 0);
    view.type(" 1987");
    c.keys.enter();
    EXPECT_EQ(st.QsoCount, 1);

    // Parts kept from a longer line do not count once the line shows one character.
    view.type("S5XX 5");
    view.setEntryText("S");
    c.keys.enter();
    EXPECT_EQ(st.QsoCount, 1);

    // Phone logs at every Enter, exchange or not; an exchange the line no longer
    // shows (kept from "S5XX 5") is not logged with it.
    st.Mode = "SSB";
    log("S5PH");
    EXPECT_EQ(st.QsoCount, 2);
    EXPECT_EQ(table.row(1).Exchange, "");
    view.setEntryText("S5XX 5");
    view.setEntryText("S");
    view.type("5YY");
    st.Mode = "CW";
    c.keys.enter();  // CW needs an exchange, and the line shows none
    EXPECT_EQ(st.QsoCount, 2);
    st.Mode = "SSB";
    view.setEntryText("S");
    c.keys.enter();
    EXPECT_EQ(st.QsoCount, 2);

    // With ESM on and no keyer, Enter in CW logs nothing.
    st.Mode = "CW";
    st.EnterSendMsg = true;
    log("S5ESM 1");
    EXPECT_EQ(st.QsoCount, 2);
}

TEST_F(ContestTest, CommitCreatesALogThatIsMissing)
{
    start();
    c.myCallChanged("S5NEW");
    log("S5AAA 1");
    EXPECT_EQ(st.QsoCount, 1);
    EXPECT_EQ(readFileBytes(dir.file("S5NEW.log")), "2013-04-14 0712 S5AAA 1 80 CW\r\n");
}

TEST_F(ContestTest, FailedAppendCountsNothingAndKeepsTheLine)
{
    start();
    c.myCallChanged("NOFOLDER/../../X");  // cannot exist under the folder
    ASSERT_EQ(::mkdir(c.logPath().c_str(), 0755), 0);  // a folder where the log should be
    view.type("S5AAA 1");
    EXPECT_THROW(c.keys.enter(), FileError);
    EXPECT_EQ(st.QsoCount, 0);
    EXPECT_EQ(view.entry, "S5AAA 1");
}

TEST_F(ContestTest, DeleteLastAndDeleteFile)
{
    start();
    for (const char *call : {"S5AAA 1", "S5BBB 2", "S5CCC 3"})
        log(call);
    c.log.deleteLastQso();
    c.log.deleteLastQso();
    EXPECT_EQ(st.QsoCount, 1);
    EXPECT_EQ(table.rowCount(), 3);  // emptied rows stay until commits reuse them
    EXPECT_EQ(table.row(2).Call, "");
    EXPECT_EQ(logFile(), "2013-04-14 0712 S5AAA 1 80 CW\r\n");
    log("S5DDD 4");
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.row(1).Number, "2");

    c.log.deleteFile();
    EXPECT_EQ(st.QsoCount, 0);
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(logFile(), "");
    EXPECT_EQ(readFileBytes(dir.file("S5ABC.log.bak")), "2013-04-14 0712 S5AAA 1 80 CW\r\n2013-04-14 0712 S5DDD 4 80 CW\r\n");
    c.log.deleteLastQso();  // nothing left: nothing happens
    EXPECT_EQ(st.QsoCount, 0);
}

TEST_F(ContestTest, OpenFileReplacesTableAndOwnLog)
{
    start();
    for (int i = 0; i < 20; ++i)
        log("S5A" + std::to_string(i) + " " + std::to_string(i));
    std::string copy;
    for (int i = 0; i < 5; ++i)
        copy += "2012-01-01 1200 K" + std::to_string(i) + "X " + std::to_string(i) + " 20 SSB\r\n";
    writeFileBytes(dir.file("copy.log"), copy);
    c.log.saveCopy(dir.file("saved.log"));
    EXPECT_EQ(readFileBytes(dir.file("saved.log")), logFile());
    std::vector<int> skipped;
    c.log.openCopy(dir.file("copy.log"), skipped);
    EXPECT_EQ(table.rowCount(), 5);
    EXPECT_EQ(st.QsoCount, 5);
    EXPECT_EQ(logFile(), copy);

    // An empty copy leaves the rows but counts none.
    writeFileBytes(dir.file("empty.log"), "");
    c.log.openCopy(dir.file("empty.log"), skipped);
    EXPECT_EQ(st.QsoCount, 0);
    EXPECT_EQ(table.rowCount(), 5);
    EXPECT_EQ(logFile(), "");
}

TEST_F(ContestTest, StartLoadsTheLogAndGridEditsRewriteIt)
{
    writeFileBytes(dir.file("S5ABC.log"), "2013-04-14 0712 S5ABC 1987 80 CW\r\n2013-04-14 0715 S5XYZ 12 80 CW\r\n");
    start();
    EXPECT_EQ(st.QsoCount, 2);
    EXPECT_EQ(view.currentRow, 1);
    EXPECT_EQ(c.display.LQSO, "S5ABC QSO: 2");

    // Leaving the grid without a change rewrites nothing.
    c.log.gridClicked();
    c.log.gridLeft();
    EXPECT_FALSE(fileExists(dir.file("S5ABC.log.bak")));

    c.log.gridClicked();
    table.setCell(0, LogTable::ColCall, "S5ABD");
    c.log.gridCellEdited();
    c.log.gridLeft();
    EXPECT_EQ(logFile(), "2013-04-14 0712 S5ABD 1987 80 CW\r\n2013-04-14 0715 S5XYZ 12 80 CW\r\n");
    view.type("S5ABD");
    EXPECT_TRUE(c.display.LDouble);
}

TEST_F(ContestTest, BandAndModeSelection)
{
    start();
    c.bandSelected(6);  // CAT changes nothing
    EXPECT_EQ(st.Band, "80");
    c.bandSelected(0);
    EXPECT_EQ(st.Band, "160");
    EXPECT_EQ(c.display.LTest, "160 m");

    c.modeSelected(1);
    EXPECT_EQ(st.Mode, "SSB");
    EXPECT_EQ(c.display.BModeText, "  SSB");
    EXPECT_FALSE(c.display.CwControlsVisible);
    c.modeSelected(0);
    EXPECT_EQ(st.Mode, "CW");
    EXPECT_TRUE(c.display.CwControlsVisible);
}

TEST_F(ContestTest, ALateClockTickStillMovesTheMinute)
{
    start();
    clock.now = {2013, 4, 14, 14, 7, 59};
    c.clockTick();
    clock.now = {2013, 4, 14, 14, 8, 1};  // the tick of second 00 came late
    c.clockTick();
    EXPECT_EQ(st.LogTime, "14:08");
    EXPECT_EQ(c.display.LClock, "14:08");
}

TEST_F(ContestTest, FailedRewriteOfDeleteLastKeepsTheQso)
{
    start();
    log("S5AAA 1");
    log("S5BBB 2");
    {
        FileSizeLimit diskFull(20);  // the rewrite stops part way, as on a full disk
        EXPECT_THROW(c.log.deleteLastQso(), FileError);
    }
    EXPECT_EQ(st.QsoCount, 2);
    EXPECT_EQ(table.row(1).Call, "S5BBB");
    EXPECT_EQ(logFile(), "2013-04-14 0712 S5AAA 1 80 CW\r\n2013-04-14 0712 S5BBB 2 80 CW\r\n");

    // A grid edit whose rewrite failed is written when the grid is left the next time.
    c.log.gridClicked();
    table.setCell(0, LogTable::ColCall, "S5AAB");
    c.log.gridCellEdited();
    {
        FileSizeLimit diskFull(20);
        EXPECT_THROW(c.log.gridLeft(), FileError);
    }
    c.log.gridLeft();
    EXPECT_EQ(logFile(), "2013-04-14 0712 S5AAB 1 80 CW\r\n2013-04-14 0712 S5BBB 2 80 CW\r\n");
}

TEST_F(ContestTest, ImportOfAFileWithoutQsosChangesNothing)
{
    start();
    log("S5AAA 1");
    writeFileBytes(dir.file("notes.log"), "shopping list\r\neggs\r\n");
    std::vector<int> skipped;
    EXPECT_THROW(c.log.openCopy(dir.file("notes.log"), skipped), FileError);
    EXPECT_EQ(st.QsoCount, 1);
    EXPECT_EQ(logFile(), "2013-04-14 0712 S5AAA 1 80 CW\r\n");
}

TEST_F(ContestTest, GridRefusesEditsTheLogLineCannotCarry)
{
    start();
    log("S5AAA 1");
    QsoTableModel model(table);
    const auto set = [&](int col, const char *text) { return model.setData(model.index(0, col), text, Qt::EditRole); };
    EXPECT_FALSE(set(LogTable::ColCall, "S5 AAA"));
    EXPECT_FALSE(set(LogTable::ColBand, "8 0"));
    EXPECT_FALSE(set(LogTable::ColTime, "7:12"));
    EXPECT_TRUE(set(LogTable::ColTime, "07:13"));
    EXPECT_TRUE(set(LogTable::ColExchange, "19 87"));
    EXPECT_TRUE(set(LogTable::ColCall, "s5aab"));
    EXPECT_EQ(table.row(0).Call, "S5AAB");
    c.log.rewrite();
    EXPECT_EQ(logFile(), "2013-04-14 0713 S5AAB 19 87 80 CW\r\n");
}

TEST(ReportField, PadsCallAndReportToSeventeen)
{
    for (int len = 3; len <= 12; ++len) {
        const std::string call(static_cast<size_t>(len), 'A');
        EXPECT_EQ((call + ReportField(call, "CW")).size(), 17u);
        EXPECT_EQ(ReportField(call, "CW"), std::string(static_cast<size_t>(13 - len), ' ') + "599 ");
        EXPECT_EQ(ReportField(call, "SSB"), std::string(static_cast<size_t>(14 - len), ' ') + "59 ");
    }
    // Outside 3..12 characters the report keeps its column where it can, and never touches the call.
    EXPECT_EQ(ReportField("S5", "CW"), "           599 ");
    EXPECT_EQ(ReportField("S5ABCDEFGHIJKL", "CW"), " 599 ");
    EXPECT_EQ(ReportField("S5ABC", "RTTY"), "");
}
