#include "logging/LogCommands.h"

#include "logging/Contest.h"
#include "logging/DurableFile.h"
#include "logging/FileWrite.h"
#include "logging/LogFile.h"

std::vector<int> LogCommands::countAndLoad()
{
    ContestState &st = c_.st;
    RemoveStaleReplacements(c_.logPath());
    st.QsoCount = CountLogFile(c_.logPath());
    st.HasLog = st.QsoCount >= 1;
    c_.showQsoCount();
    c_.refresh();
    if (!st.HasLog)
        return {};
    try {
        LogLoad loaded = LoadLogFile(c_.logPath());
        rejectedFrom_ = c_.logPath();
        rejected_ = std::move(loaded.rejected);
        return show(std::move(loaded));
    } catch (...) {
        // A log the program could not read must never be replaced by what it holds.
        st.QsoCount = 0;
        unreadLog_ = c_.logPath();
        c_.showQsoCount();
        c_.refresh();
        throw;
    }
}

std::vector<int> LogCommands::load(const std::string &path)
{
    return show(LoadLogFile(path));
}

std::vector<int> LogCommands::show(LogLoad loaded)
{
    ContestState &st = c_.st;
    const int count = static_cast<int>(loaded.rows.size());
    // An empty copy leaves the table's rows in place; only the count says they are gone.
    if (count > 0)
        c_.table.replaceAll(std::move(loaded.rows));
    st.QsoCount = count;
    c_.view().showGridRow(count > 0 ? count - 1 : 0);
    c_.entry.clear();
    c_.showQsoCount();
    c_.refresh();
    return std::move(loaded.skippedLines);
}

void LogCommands::rewrite()
{
    if (c_.logPath() == unreadLog_)
        throw FileError("The log " + unreadLog_ + " could not be read at start, so it is not rewritten. "
                        "Check the file and start the program again.");
    keepRejectedLines();
    RewriteLogFile(c_.logPath(), c_.table, c_.st.QsoCount, c_.st.LogDate);
}

void LogCommands::keepRejectedLines()
{
    if (rejected_.empty() || c_.logPath() != rejectedFrom_)
        return;
    const std::string name = rejectedFrom_.substr(rejectedFrom_.rfind('/') + 1);
    appendDurably(RejectedLinesPath(rejectedFrom_),
                  "Lines of " + name + " that could not be read at the start on " + c_.st.LogDate + ":\r\n" + rejected_);
    rejected_.clear();
}

void LogCommands::deleteFile()
{
    keepRejectedLines();
    // The emptied log is still kept as .bak: two confirmations are easily clicked through.
    replaceDurably(c_.logPath(), std::string(), c_.logPath() + ".bak");
    c_.table.replaceAll({});
    c_.st.QsoCount = 0;
    c_.showQsoCount();
    c_.refresh();
}

void LogCommands::deleteLastQso()
{
    ContestState &st = c_.st;
    if (st.QsoCount <= 0)
        return;
    const QsoRow last = c_.table.row(st.QsoCount - 1);
    c_.table.clearRow(st.QsoCount - 1);
    --st.QsoCount;
    try {
        rewrite();
    } catch (...) {
        // The file still holds the QSO, so the table keeps it too.
        ++st.QsoCount;
        c_.table.setRow(st.QsoCount - 1, last);
        throw;
    }
    c_.showQsoCount();
    c_.refresh();
    c_.entry.clear();
}

void LogCommands::saveCopy(const std::string &path) const
{
    replaceDurably(path, LogFileText(c_.table, c_.st.QsoCount, c_.st.LogDate), std::string());
}

void LogCommands::openCopy(const std::string &path, std::vector<int> &skipped)
{
    LogLoad loaded = LoadLogFile(path);
    // A file with lines but no QSO is not a log: importing it would empty the own log.
    if (loaded.rows.empty() && !loaded.skippedLines.empty())
        throw FileError("No QSO could be read from " + path + "; nothing was imported.");
    skipped = show(std::move(loaded));
    // The confirmation promised that the copy replaces the own log: make file and table agree.
    rewrite();
}

void LogCommands::gridCellEdited()
{
    if (gridClicked_) {
        gridClicked_ = false;
        gridEdited_ = true;
    }
}

void LogCommands::gridLeft()
{
    if (!gridEdited_)
        return;
    rewrite();  // a failed rewrite is tried again when the grid is left next time
    gridEdited_ = false;
}
