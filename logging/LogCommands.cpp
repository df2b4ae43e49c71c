#include "logging/LogCommands.h"

#include "logging/Contest.h"
#include "logging/DurableFile.h"
#include "logging/LogFile.h"

std::vector<int> LogCommands::countAndLoad()
{
    ContestState &st = c_.st;
    st.QsoCount = CountLogFile(c_.logPath());
    st.HasLog = st.QsoCount >= 1;
    c_.showQsoCount();
    c_.refresh();
    if (!st.HasLog)
        return {};
    return load(c_.logPath());
}

std::vector<int> LogCommands::load(const std::string &path)
{
    LogLoad loaded = LoadLogFile(path);
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
    RewriteLogFile(c_.logPath(), c_.table, c_.st.QsoCount, c_.st.LogDate);
}

void LogCommands::deleteFile()
{
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
    c_.table.clearRow(st.QsoCount - 1);
    --st.QsoCount;
    c_.showQsoCount();
    c_.refresh();
    rewrite();
    c_.entry.clear();
}

void LogCommands::saveCopy(const std::string &path) const
{
    replaceDurably(path, LogFileText(c_.table, c_.st.QsoCount, c_.st.LogDate), std::string());
}

std::vector<int> LogCommands::openCopy(const std::string &path)
{
    std::vector<int> skipped = load(path);
    // The confirmation promised that the copy replaces the own log: make file and table agree.
    rewrite();
    return skipped;
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
    gridEdited_ = false;
    rewrite();
}
