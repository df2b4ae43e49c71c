#include "logging/LogTable.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

const QsoRow kQso{"14:07", "S5ABC", "1987", "1", "80", "CW", "2013-04-14"};

// Writes down what it is told, and can act on a commit.
struct Recorder : LogTableListener {
    std::vector<std::string> heard;
    std::function<void()> onCommit = [] {};

    void note(const char *what, int row, QsoId id) { heard.push_back(what + std::to_string(row) + "#" + std::to_string(id)); }
    void qsoCommitted(int row, QsoId id) override { note("commit ", row, id), onCommit(); }
    void qsoDeleted(int row, QsoId id) override { note("delete ", row, id); }
    void cellEdited(int row, int column, QsoId id) override { note(column == 1 ? "call " : "cell ", row, id); }
    void allReplaced() override { heard.push_back("replaced"); }
};

} // namespace

// Each listener hears each change, naming the QSO by an id that stays with it while the rows
// around it change and that no later QSO gets back; the duplicate index follows every change.
TEST(LogTable, EveryListenerHearsWhichQsoChangedAndTheDuplicateIndexFollows)
{
    LogTable t;
    Recorder a, b;
    const auto subA = t.subscribe(a), subB = t.subscribe(b);
    t.replaceAll({kQso, kQso});
    t.setRowCount(4);
    t.commitQso(2, {"14:08", "S51X", "5", "2", "20", "SSB", ""});
    t.setCell(0, LogTable::ColCall, "S5ABD");
    t.deleteQso(2);
    t.commitQso(2, kQso);
    const std::vector<std::string> told = {"replaced", "commit 2#3", "call 0#1", "delete 2#3", "commit 2#4"};
    EXPECT_EQ(a.heard, told);
    EXPECT_EQ(b.heard, told);
    EXPECT_EQ(t.indexOf(1), 0);
    EXPECT_EQ(t.indexOf(3), -1);

    EXPECT_TRUE(t.contains("S5ABD", "80", "CW"));
    EXPECT_FALSE(t.contains("S51X", "20", "SSB"));
    t.setRowCount(2);  // drops the rows after
    t.setCell(1, LogTable::ColCall, "S5ABD");
    EXPECT_FALSE(t.contains("S5ABC", "80", "CW"));
    t.replaceAll(std::vector<QsoRow>{});
    EXPECT_EQ(t.id(0), 0u);  // an empty row is no QSO
    EXPECT_FALSE(t.contains("S5ABD", "80", "CW"));
}

// A listener that fails, or that leaves while it is told, costs the others nothing;
// a subscription may outlive its table.
TEST(LogTable, AFailingOrLeavingListenerLeavesTheOthersTold)
{
    ErrorReportCatcher reported;
    LogTable::Subscription late;
    Recorder leaving, failing, last;
    {
        LogTable t;
        auto subLeaving = t.subscribe(leaving), subFailing = t.subscribe(failing);
        late = t.subscribe(last);
        leaving.onCommit = [&] { subLeaving.reset(); };
        failing.onCommit = [] { throw std::runtime_error("listener failed"); };
        t.commitQso(0, kQso);
        t.commitQso(0, kQso);
        EXPECT_EQ(leaving.heard.size() + failing.heard.size(), 3u);
        EXPECT_EQ(last.heard, (std::vector<std::string>{"commit 0#1", "commit 0#2"}));
        EXPECT_EQ(reported.messages.size(), 2u);
    }
    late.reset();
}
