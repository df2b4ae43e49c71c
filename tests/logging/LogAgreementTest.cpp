#include "export/Cabrillo.h"
#include "logging/Contest.h"
#include "logging/DurableFile.h"
#include "logging/QsoTableModel.h"
#include "logging/ScreenText.h"

#include "FakeMainView.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The log as the operator sees it (table, grid, count) against the file it is written to.
class LogAgreementTest : public ::testing::Test {
protected:
    TestFolder dir;
    ContestState st;
    LogTable table;
    FixedClock clock;
    Contest c{st, table, clock, dir.path()};
    FakeMainView view{c};
    QsoTableModel grid{table};

    LogAgreementTest()
    {
        st.MyCall = "S5ABC";
        st.Mode = "CW";
        st.Band = "80";
        grid.setOnEdited([this] { c.log.gridCellEdited(); });
    }
    void start()
    {
        c.formCreate();
        c.formShow();
    }
    void log(const std::string &line)
    {
        view.setEntryText("");
        view.type(line);
        c.keys.enter();
    }
    static std::string qso(const std::string &call, const std::string &exchange)
    {
        return "2013-04-14 0712 " + call + " " + exchange + " 80 CW\r\n";
    }

    void expectAgreement(const char *after)
    {
        SCOPED_TRACE(after);
        const LogLoad file = LoadLogFile(c.logPath());
        ASSERT_EQ(static_cast<int>(file.rows.size()), st.QsoCount);
        EXPECT_EQ(c.display.LQSO, st.MyCall + " QSO: " + std::to_string(st.QsoCount));
        ASSERT_EQ(grid.rowCount(), table.rowCount());
        const auto shown = [](QsoRow row) {
            std::erase(row.Time, ':');
            return row.Time + '|' + row.Call + '|' + row.Exchange + '|' + row.Number + '|' + row.Band + '|' + row.Mode;
        };
        for (int i = 0; i < table.rowCount(); ++i) {
            EXPECT_EQ(shown(table.row(i)), shown(i < st.QsoCount ? file.rows[static_cast<size_t>(i)] : QsoRow{}));
            EXPECT_EQ(grid.index(i, LogTable::ColCall).data().toString(), toScreen(table.row(i).Call));
        }
    }
};

} // namespace

TEST_F(LogAgreementTest, EveryFileCommandLeavesTableGridCountAndFileAgreeing)
{
    start();
    expectAgreement("start");
    for (const char *line : {"S5AAA 1", "S5BBB 2", "S5CCC 3"})
        log(line);
    expectAgreement("commits");
    c.log.deleteLastQso();
    expectAgreement("Delete Last QSO");
    c.log.saveCopy(dir.file("copy.log"));
    EXPECT_EQ(readFileBytes(dir.file("copy.log")), readFileBytes(c.logPath()));
    expectAgreement("Save Log");

    std::vector<int> skipped;
    writeFileBytes(dir.file("three.log"), qso("K1A", "1") + qso("K1B", "2") + qso("K1C", "3"));
    c.log.openCopy(dir.file("three.log"), skipped);
    expectAgreement("Open File");
    writeFileBytes(dir.file("empty.log"), "");
    c.log.openCopy(dir.file("empty.log"), skipped);
    expectAgreement("Open File of an empty file");
    view.type("K1A");
    EXPECT_FALSE(c.display.LDouble);  // nothing left to be a duplicate of
    writeFileBytes(dir.file("notes.log"), "shopping list\r\n");
    EXPECT_THROW(c.log.openCopy(dir.file("notes.log"), skipped), FileError);
    expectAgreement("Open File refused");

    log("S5DDD 4");
    grid.setData(grid.index(0, LogTable::ColExchange), QStringLiteral("44"), Qt::EditRole);
    c.log.gridLeft();
    expectAgreement("grid edit");
    st.CbExchange = true;
    ExportCabrillo(st, table, c.folder);
    expectAgreement("Save CBR");
    c.log.deleteFile();
    expectAgreement("Delete File");
}

TEST_F(LogAgreementTest, OwnCallChangeLoadsThatCallsLog)
{
    const std::string abc = qso("S5AAA", "1") + qso("S5BBB", "2");
    writeFileBytes(dir.file("S5ABC.log"), abc);
    writeFileBytes(dir.file("S5XYZ.log"), qso("DL1X", "7"));
    start();

    c.openSetup();
    c.myCallChanged("S5XYZ");
    c.closeSetup();
    EXPECT_EQ(st.QsoCount, 1);
    expectAgreement("closing the setup on a call with a log");
    log("S5NEW 5");
    c.log.deleteLastQso();
    c.log.rewrite();
    EXPECT_EQ(readFileBytes(dir.file("S5XYZ.log")), qso("DL1X", "7"));
    EXPECT_EQ(readFileBytes(dir.file("S5ABC.log")), abc);

    // A write while the panel is still open goes by the call it shows.
    c.openSetup();
    c.myCallChanged("S5ABC");
    c.log.deleteLastQso();
    EXPECT_EQ(readFileBytes(dir.file("S5ABC.log")), qso("S5AAA", "1"));
    EXPECT_EQ(readFileBytes(dir.file("S5XYZ.log")), qso("DL1X", "7"));
    c.closeSetup();
    expectAgreement("the panel closed after the write");

    c.openSetup();
    c.myCallChanged("S5NONE");
    c.closeSetup();
    EXPECT_EQ(st.QsoCount, 0);
    expectAgreement("a call without a log");
    view.type("S5AAA");
    EXPECT_FALSE(c.display.LDouble);
}

TEST_F(LogAgreementTest, ControlCharactersNeverReachAFile)
{
    start();
    log("S5AAA 1");
    for (const char *bad : {"\r", "\n", "\r\n", "\t", "\x01", "\x1b", "\x7f"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(bad)));
        const std::string b = bad;
        for (int col : {LogTable::ColCall, LogTable::ColExchange, LogTable::ColBand, LogTable::ColMode}) {
            const std::string before = table.cell(0, col);
            grid.setData(grid.index(0, col), toScreen(before.substr(0, 1) + b + before.substr(1)), Qt::EditRole);
            EXPECT_EQ(table.cell(0, col), before) << "column " << col;
        }
        c.myCallChanged("S5" + b + "ABC");
        EXPECT_EQ(st.MyCall, "S5ABC");
        EXPECT_EQ(c.display.EMyCall, "S5ABC");
        c.exchangeChanged("19" + b + "87");
        EXPECT_EQ(st.MyYearLic, "1987");

        // A cell that holds one anyway (an older log) is written without it.
        table.setCell(0, LogTable::ColExchange, "1" + b);
        st.CbExchange = true;
        ExportCabrillo(st, table, c.folder);
        const std::string cbr = readFileBytes(CabrilloFilePath(st, c.folder));
        EXPECT_EQ(std::count(cbr.begin(), cbr.end(), '\n'), 12);
        EXPECT_EQ(std::count_if(cbr.begin(), cbr.end(), [](char ch) { return (ch >= 0 && ch < 0x20) || ch == 0x7f; }),
                  24);
        table.setCell(0, LogTable::ColExchange, "1");
    }
    c.log.rewrite();
    EXPECT_EQ(readFileBytes(c.logPath()), qso("S5AAA", "1"));

    // Settings edited by hand bring them in too.
    st.MyCall = "S5\tXYZ";
    st.MyYearLic = "19\r87";
    c.formCreate();
    EXPECT_EQ(st.MyCall, "S5XYZ");
    EXPECT_EQ(st.MyYearLic, "1987");
}
