#include "export/Cabrillo.h"
#include "logging/Contest.h"
#include "logging/DurableFile.h"
#include "logging/FileWrite.h"
#include "logging/QsoTableModel.h"
#include "logging/ScreenText.h"

#include "FakeMainView.h"
#include "settings/MainSettings.h"

#include <QDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class ContestTest : public ContestFixture {
protected:
    std::string logFile() { return readFileBytes(dir.file(st.MyCall + ".log")); }
    static std::string qso(const std::string &call, const std::string &exchange)
    {
        return "2013-04-14 0712 " + call + " " + exchange + " 80 CW\r\n";
    }
    // Count, table and grid show what the file holds; rows after the count are empty.
    void expectAgreement(const QsoTableModel &grid, const char *after)
    {
        SCOPED_TRACE(after);
        const LogLoad file = fileExists(c.logPath()) ? LoadLogFile(c.logPath()) : LogLoad{};
        ASSERT_EQ(static_cast<int>(file.rows.size()), st.QsoCount);
        EXPECT_EQ(c.display.LQSO, st.MyCall + " QSO: " + std::to_string(st.QsoCount));
        ASSERT_EQ(grid.rowCount(), table.rowCount());
        for (int i = 0; i < table.rowCount(); ++i) {
            const QsoRow expected = i < st.QsoCount ? file.rows[static_cast<size_t>(i)] : QsoRow{};
            for (int col : {LogTable::ColCall, LogTable::ColExchange, LogTable::ColBand, LogTable::ColMode})
                EXPECT_EQ(grid.index(i, col).data().toString(), toScreen(LogTable::field(expected, col))) << i;
        }
    }
    QStringList files() const { return QDir(QString::fromStdString(dir.path())).entryList(QDir::Files); }
};

// The name and size of each file the program waited on the disk for, at the moment it waited:
// a sync that comes before the bytes reached the file sees it short.
struct SyncRecorder {
    std::vector<std::pair<std::string, long>> seen;
    SyncRecorder()
    {
        setSyncObserver([this](int fd) {
            struct stat s {};
            ::fstat(fd, &s);
            seen.emplace_back(std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd)).filename().string(), s.st_size);
        });
    }
    ~SyncRecorder() { setSyncObserver(nullptr); }
    bool saw(const std::string &namePrefix, size_t size) const
    {
        return std::any_of(seen.begin(), seen.end(), [&](const auto &s) {
            return s.first.rfind(namePrefix, 0) == 0 && s.second == static_cast<long>(size);
        });
    }
};

} // namespace

// A first start without an own call logs to S5.log: the installed program's test starts it so.
TEST_F(ContestTest, PortableCallNamesTheLogWithAnUnderscore)
{
    st.MyCall = "S5ABC/P";
    start();
    EXPECT_EQ(st.MyCall, "S5ABC_P");
    EXPECT_EQ(c.display.LCall, "S5ABC_P");
    EXPECT_EQ(c.logPath(), dir.file("S5ABC_P.log"));
    EXPECT_FALSE(fileExists(c.logPath()));  // no file before the first QSO
    // A "/" typed later stays in the call but never leads the log into another folder.
    c.myCallChanged("S5ABC/M");
    EXPECT_EQ(c.logPath(), dir.file("S5ABC_M.log"));
}

TEST_F(ContestTest, EntryLineSplitsIntoCallAndExchange)
{
    start();
    view.type("S5ABC  19 87 ");  // blanks around the exchange are not part of it
    EXPECT_EQ(st.QsoCall, "S5ABC");
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
    // Band index 2 is 40 m, 1 is 80 m; the exchange does not matter.
    for (const auto &[band, mode, dupe] : {std::tuple{2, "CW", false}, {1, "SSB", false}, {1, "CW", true}}) {
        view.setEntryText("");
        c.bandSelected(band);
        st.Mode = mode;
        view.type("S5XYZ 13");
        EXPECT_EQ(c.display.LDouble, dupe) << band << mode;
    }
    // A single character leaves the warning as it was.
    view.setEntryText("S");
    EXPECT_TRUE(c.display.LDouble);

    // Another position of a networked station names itself; the own log's dupe names nobody.
    c.otherPositionDupe = [](const std::string &call, const std::string &band, const std::string &) {
        return call == "S5OTH" && band == "80" ? "RUN2" : "";
    };
    for (const auto &[call, dupe, by] : {std::tuple{"S5OTH", true, "RUN2"}, {"S5XYZ", true, ""}, {"S5NEW", false, ""}}) {
        view.setEntryText("");
        view.type(call);
        EXPECT_EQ(std::tie(c.display.LDouble, c.display.LDoubleBy), std::make_tuple(dupe, by)) << call;
    }
}

TEST_F(ContestTest, CommitNumbersStampsAndAppends)
{
    start();
    clock.now = {2013, 4, 14, 14, 7, 5};
    c.clockTick();  // first tick: the clock label is empty, so the minute is taken
    log("S5AAA 1987");
    EXPECT_EQ(st.QsoCount, 1);
    EXPECT_EQ(view.currentRow, 0);  // the newest QSO is in view
    EXPECT_EQ(st.LastCall, "S5AAA");
    EXPECT_EQ(st.QsoCall, "");

    // The minute changes only at a tick that reads second 00.
    clock.now = {2013, 4, 14, 14, 8, 0};
    log("S5BBB 1990");
    EXPECT_EQ(view.currentRow, 1);
    c.clockTick();
    log("S5CCC 2001");
    EXPECT_EQ(view.currentRow, 2);
    EXPECT_EQ(table.row(2).Number, "3");
    EXPECT_EQ(logFile(), "2013-04-14 1407 S5AAA 1987 80 CW\r\n"
                         "2013-04-14 1407 S5BBB 1990 80 CW\r\n"
                         "2013-04-14 1408 S5CCC 2001 80 CW\r\n");

    clock.now = {2013, 4, 14, 14, 8, 59};
    c.clockTick();
    clock.now = {2013, 4, 14, 14, 9, 1};  // the tick of second 00 came late
    c.clockTick();
    EXPECT_EQ(st.LogTime, "14:09");
    EXPECT_EQ(c.display.LClock, "14:09");
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

    // A grid edit that could not be written goes back to what the file holds, and says so.
    QsoTableModel grid(table);
    grid.setOnEdited([this](int row, const QsoRow &was) { c.log.gridCellEdited(row, was); });
    grid.setData(grid.index(0, LogTable::ColCall), QStringLiteral("S5AAB"), Qt::EditRole);
    {
        FileSizeLimit diskFull(20);
        EXPECT_NE(failureText<FileError>([&] { c.log.gridLeft(); }).find("shows again what the log file holds"),
                  std::string::npos);
    }
    EXPECT_EQ(table.row(0).Call, "S5AAA");
    c.log.gridLeft();
    EXPECT_EQ(logFile(), "2013-04-14 0712 S5AAA 1 80 CW\r\n2013-04-14 0712 S5BBB 2 80 CW\r\n");
}

TEST_F(ContestTest, GridRefusesEditsTheLogLineCannotCarry)
{
    start();
    log("S5AAA 1");
    QsoTableModel model(table);
    const auto set = [&](int col, const char *text) { return model.setData(model.index(0, col), text, Qt::EditRole); };
    EXPECT_FALSE(set(LogTable::ColCall, "S5 AAA"));
    EXPECT_FALSE(set(LogTable::ColBand, "8 0"));
    EXPECT_TRUE(set(LogTable::ColTime, "07:13"));
    EXPECT_TRUE(set(LogTable::ColExchange, "19 87"));
    EXPECT_TRUE(set(LogTable::ColCall, "s5aab"));
    EXPECT_EQ(table.row(0).Call, "S5AAB");
    c.log.rewrite();
    EXPECT_EQ(logFile(), "2013-04-14 0713 S5AAB 19 87 80 CW\r\n");
}

TEST_F(ContestTest, EveryFileCommandLeavesTableGridCountAndFileAgreeing)
{
    QsoTableModel grid(table);
    grid.setOnEdited([this](int row, const QsoRow &was) { c.log.gridCellEdited(row, was); });
    start();
    for (const char *line : {"S5AAA 1", "S5BBB 2", "S5CCC 3"})
        log(line);
    c.log.deleteLastQso();
    c.log.deleteLastQso();
    EXPECT_EQ(view.currentRow, 0);
    EXPECT_EQ(table.rowCount(), 3);  // emptied rows stay until commits reuse them
    expectAgreement(grid, "Delete Last QSO");
    EXPECT_EQ(logFile(), qso("S5AAA", "1"));
    log("S5DDD 4");
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.row(1).Number, "2");
    grid.setData(grid.index(0, LogTable::ColExchange), QStringLiteral("44"), Qt::EditRole);
    c.log.gridLeft();  // the grid got the focus without a click on a cell
    expectAgreement(grid, "grid edit");
    c.log.deleteFile();
    expectAgreement(grid, "Delete File");
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(logFile(), "");
    EXPECT_EQ(readFileBytes(dir.file("S5ABC.log.deleted-20130414-071230")), qso("S5AAA", "44") + qso("S5DDD", "4"));
    c.log.deleteLastQso();  // nothing left: nothing happens
    EXPECT_EQ(st.QsoCount, 0);

    log("S5EEE 5");
    c.log.saveCopy(dir.file("saved.log"));
    EXPECT_EQ(readFileBytes(dir.file("saved.log")), logFile());
    const std::string copy = qso("K1X", "1") + qso("K2X", "2") + qso("K3X", "3");
    writeFileBytes(dir.file("copy.log"), copy);
    std::vector<int> skipped;
    c.log.openCopy(dir.file("copy.log"), skipped);
    expectAgreement(grid, "Open File");
    EXPECT_EQ(logFile(), copy);
    writeFileBytes(dir.file("notes.log"), "shopping list\r\neggs\r\n");  // no QSO in it: nothing changes
    EXPECT_THROW(c.log.openCopy(dir.file("notes.log"), skipped), FileError);
    expectAgreement(grid, "Open File of a file without a QSO");
    EXPECT_EQ(logFile(), copy);
    writeFileBytes(dir.file("empty.log"), "");
    c.log.openCopy(dir.file("empty.log"), skipped);
    expectAgreement(grid, "Open File of an empty file");
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(logFile(), "");
    view.type("S5EEE");
    EXPECT_FALSE(c.display.LDouble);
}

TEST_F(ContestTest, OwnCallChangeLoadsThatCallsLogBeforeAnythingIsWritten)
{
    QsoTableModel grid(table);
    const std::string abc = qso("S5AAA", "1") + qso("S5BBB", "2");
    writeFileBytes(dir.file("S5ABC.log"), abc);
    writeFileBytes(dir.file("S5XYZ.log"), qso("DL1X", "7"));
    start();
    EXPECT_EQ(view.currentRow, 1);
    expectAgreement(grid, "start");
    c.log.gridLeft();  // leaving the grid without a change rewrites nothing
    EXPECT_FALSE(fileExists(dir.file("S5ABC.log.bak")));
    c.openSetup();
    c.myCallChanged("S5XYZ");
    c.closeSetup();
    expectAgreement(grid, "closing the setup on a call with a log");
    log("S5NEW 5");
    c.log.deleteLastQso();
    EXPECT_EQ(readFileBytes(dir.file("S5XYZ.log")), qso("DL1X", "7"));
    EXPECT_EQ(readFileBytes(dir.file("S5ABC.log")), abc);

    c.openSetup();  // a write while the panel is still open
    c.myCallChanged("S5ABC");
    c.log.deleteLastQso();
    EXPECT_EQ(readFileBytes(dir.file("S5ABC.log")), qso("S5AAA", "1"));
    EXPECT_EQ(readFileBytes(dir.file("S5XYZ.log")), qso("DL1X", "7"));
    c.myCallChanged("S5NONE");
    c.closeSetup();
    expectAgreement(grid, "a call without a log");
    log("S5AAA 1");  // a commit creates the log that is missing
    EXPECT_EQ(readFileBytes(dir.file("S5NONE.log")), qso("S5AAA", "1"));
}

TEST_F(ContestTest, ControlCharactersNeverReachAFile)
{
    QsoTableModel grid(table);
    start();
    log("S5AAA 1");
    st.CbExchange = true;
    for (const std::string bad : {"\r", "\n", "\t", "\x01", "\x7f"}) {
        SCOPED_TRACE(testing::PrintToString(bad));
        for (int col : {LogTable::ColCall, LogTable::ColExchange, LogTable::ColBand, LogTable::ColMode}) {
            const std::string was = table.cell(0, col);
            grid.setData(grid.index(0, col), toScreen(was.substr(0, 1) + bad + was.substr(1)), Qt::EditRole);
            EXPECT_EQ(table.cell(0, col), was);
        }
        c.myCallChanged("S5" + bad + "ABC");
        c.exchangeChanged("19" + bad + "87");
        EXPECT_EQ(c.display.EMyCall + st.MyYearLic, "S5ABC1987");
        table.setCell(0, LogTable::ColExchange, "1" + bad);  // as an older log may hold it
        ExportCabrillo(st, table, c.folder);
        const std::string cbr = readFileBytes(CabrilloFilePath(st, c.folder));
        EXPECT_EQ(std::count_if(cbr.begin(), cbr.end(), [](char ch) { return (ch >= 0 && ch < 0x20) || ch == 0x7f; }),
                  2 * 12);  // CR LF after each of the twelve lines, nothing else
        table.setCell(0, LogTable::ColExchange, "1");
    }
    st.MyCall = "S5\tXYZ";  // settings edited by hand
    st.MyYearLic = "19\r87";
    c.formCreate();
    EXPECT_EQ(st.MyCall + st.MyYearLic, "S5XYZ1987");
}

TEST_F(ContestTest, EveryAppendAndRewriteWaitsForTheWholeFile)
{
    start();
    SyncRecorder syncs;
    log("S5AAA 1");
    log("S5BBB 2");
    EXPECT_TRUE(syncs.saw("S5ABC.log", logFile().size()));
    c.log.deleteLastQso();
    EXPECT_TRUE(syncs.saw("S5ABC.log.~", logFile().size()));  // the new content, before it replaced the log
}

TEST_F(ContestTest, FullDiskOrAnUnreadableQsoLogsNothing)
{
    start();
    log("S5AAA 1");
    const std::string before = logFile();
    {
        FileSizeLimit diskFull(before.size() + 10);  // space ends inside the next line
        view.type("S5BBB 2");
        const std::string said = failureText<FileError>([&] { c.keys.enter(); });
        EXPECT_NE(said.find("The QSO is not logged; it is still in the entry line"), std::string::npos) << said;
    }
    st.Band = "17";  // from a hand-edited settings file: the line would not read back
    EXPECT_THROW(c.keys.enter(), FileError);
    EXPECT_EQ(st.QsoCount, 1);
    EXPECT_EQ(view.entry, "S5BBB 2");
    EXPECT_EQ(logFile(), before);
    st.Band = "40";
    c.keys.enter();
    EXPECT_EQ(logFile(), before + "2013-04-14 0712 S5BBB 2 40 CW\r\n");
}

TEST_F(ContestTest, SymlinkedLogIsRewrittenAtItsTargetAndBackedUpAsAFile)
{
    ASSERT_TRUE(QDir(QString::fromStdString(dir.path())).mkdir("elsewhere"));
    const std::string target = dir.file("elsewhere/S5ABC.log");
    writeFileBytes(target, "");
    std::filesystem::create_symlink(target, dir.file("S5ABC.log"));
    start();
    log("S5AAA 1");
    log("S5BBB 2");
    const std::string two = readFileBytes(target);
    c.log.deleteLastQso();
    c.log.deleteFile();
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("S5ABC.log")));
    EXPECT_EQ(readFileBytes(target), "");
    const std::string kept = dir.file("S5ABC.log.deleted-20130414-071230");
    EXPECT_FALSE(std::filesystem::is_symlink(kept));
    EXPECT_EQ(readFileBytes(kept), two.substr(0, two.size() / 2));
}

TEST_F(ContestTest, SkippedLinesAreKeptBesideTheLogBeforeItIsRewritten)
{
    const std::string good = "2013-04-14 0712 S5AAA 1 80 CW\r\n";
    const std::string giant = std::string(1001, '7');
    const std::string original = good + "2013-04-14 abcd S5BBB 2 80 CW\r\n" + good + giant + "\r\n";
    writeFileBytes(dir.file("S5ABC.log"), original);
    writeFileBytes(dir.file("S5ABC.log.~2147483646-1"), good);  // left by a rewrite that was stopped
    c.formCreate();
    EXPECT_EQ(c.formShow(), (std::vector<int>{2, 4}));
    EXPECT_EQ(st.QsoCount, 2);
    EXPECT_EQ(files(), QStringList({"S5ABC.log"}));
    log("S5CCC 3");
    c.log.deleteLastQso();
    EXPECT_EQ(readFileBytes(dir.file("S5ABC.log.bak")), original + qso("S5CCC", "3"));  // the file as it was
    c.log.deleteLastQso();  // the .bak no longer holds them
    const std::string kept = readFileBytes(dir.file("S5ABC.log.rejected"));
    EXPECT_NE(kept.find("\r\n2: 2013-04-14 abcd S5BBB 2 80 CW\r\n4: " + giant + "\r\n"), std::string::npos) << kept;
    EXPECT_EQ(kept.find("2: "), kept.rfind("2: "));  // kept once
}

// A big log is read through the reader the window hands in, away from the caller's thread;
// the table, its dupe check, the count and the skipped lines are as when read in place.
TEST_F(ContestTest, BigLogIsReadAwayFromTheWindowAndComesInWhole)
{
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += qso("S5A" + std::to_string(i), std::to_string(i));
    writeFileBytes(dir.file("S5ABC.log"), text + "2013-04-14 abcd S5BBB 2 80 CW\r\n");
    std::vector<std::thread::id> readers;
    c.log.setFileReader([&](const std::function<void()> &read) {
        std::thread reader([&] {
            readers.push_back(std::this_thread::get_id());
            read();
        });
        reader.join();
    });
    c.formCreate();
    EXPECT_EQ(c.formShow(), std::vector<int>{10001});
    ASSERT_EQ(readers.size(), size_t(1));
    EXPECT_NE(readers[0], std::this_thread::get_id());
    EXPECT_EQ(st.QsoCount, 10000);
    EXPECT_TRUE(table.contains("S5A9999", "80", "CW"));
    EXPECT_FALSE(table.contains("S5BBB", "80", "CW"));
}

TEST_F(ContestTest, FilesCopiedFromWindowsAreUsedWhateverTheirLetterCase)
{
    writeFileBytes(dir.file("s5abc.log"), "2013-04-14 0712 S5AAA 1 80 CW\r\n");
    writeFileBytes(dir.file("quillfeatherINI.ini"), "[GENERAL]\r\nMyCall=S5ABC\r\nMode=CW\r\nEBand=40\r\n");
    st = ContestState{};
    LoadMainSettings(st, dir.path());
    start();
    EXPECT_EQ(st.QsoCount, 1);
    log("S5BBB 2");
    c.log.deleteLastQso();
    log("S5CCC 3");
    SaveMainSettings(st, dir.path(), "x");
    EXPECT_EQ(files(), QStringList({"quillfeatherINI.ini", "s5abc.log", "s5abc.log.bak"}));
    EXPECT_EQ(readFileBytes(dir.file("s5abc.log")), "2013-04-14 0712 S5AAA 1 80 CW\r\n2013-04-14 0712 S5CCC 3 40 CW\r\n");
}
