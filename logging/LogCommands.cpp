#include "logging/LogCommands.h"

#include "logging/Contest.h"
#include "logging/DurableFile.h"
#include "logging/FileWrite.h"
#include "logging/LogFile.h"
#include "logging/ScreenText.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

std::vector<int> LogCommands::countAndLoad()
{
    return loadOwnLog(true);
}

std::vector<int> LogCommands::loadOwnLog(bool clearEntry)
{
    ContestState &st = c_.st;
    const std::string path = c_.logPath();
    tableLog_ = path;
    RemoveStaleReplacements(path);
    int count = -1;  // until the file is counted
    try {
        LogLoad loaded;
        LogTable::Filled filled;
        const auto read = [&] {
            count = CountLogFile(path);
            if (count >= 1)
                loaded = LoadLogFile(path);
            filled = LogTable::fill(std::move(loaded.rows));
        };
        std::error_code unknown;
        const auto size = std::filesystem::file_size(path, unknown);
        if (reader_ && !unknown && size >= ReadAwayFrom)
            reader_(read);
        else
            read();
        st.QsoCount = count;
        st.HasLog = count >= 1;
        // Lines another call's log could not read stay in that file until it is rewritten.
        rejectedFrom_ = path;
        rejected_ = std::move(loaded.rejected);
        show(std::move(filled), clearEntry);
        if (unreadLog_ == path)
            unreadLog_.clear();
        return std::move(loaded.skippedLines);
    } catch (...) {
        // A log the program could not read must never be replaced by what it holds,
        // nor stand in the table for another call's log.
        if (count >= 0)
            st.HasLog = count >= 1;
        st.QsoCount = 0;
        unreadLog_ = path;
        c_.table.replaceAll(std::vector<QsoRow>{});
        c_.showQsoCount();
        c_.refresh();
        throw;
    }
}

std::vector<int> LogCommands::followOwnCall()
{
    if (tableLog_.empty() || tableLog_ == c_.logPath())
        return {};
    writeGridEdits(tableLog_);
    // The entry line may hold the QSO about to be logged under the new call.
    return loadOwnLog(false);
}

void LogCommands::show(LogTable::Filled filled, bool clearEntry)
{
    ContestState &st = c_.st;
    const int count = static_cast<int>(filled.rows.size());
    editedRows_.clear();
    c_.table.replaceAll(std::move(filled));
    st.QsoCount = count;
    c_.view().showGridRow(count > 0 ? count - 1 : 0);
    if (clearEntry)
        c_.entry.clear();
    c_.showQsoCount();
    c_.refresh();
}

void LogCommands::rewrite()
{
    followOwnCall();
    rewriteTo(c_.logPath());
}

void LogCommands::rewriteTo(const std::string &path)
{
    if (path == unreadLog_)
        throw FileError("The log " + pathForMessage(unreadLog_) + " could not be read, so it is not rewritten. "
                        "Check the file and start the program again.");
    keepRejectedLines(path);
    RewriteLogFile(path, c_.table, c_.st.QsoCount, c_.st.LogDate);
    if (path == tableLog_)
        editedRows_.clear();  // the file holds the edits now
}

void LogCommands::keepRejectedLines(const std::string &path)
{
    if (rejected_.empty() || path != rejectedFrom_)
        return;
    const std::string name = rejectedFrom_.substr(rejectedFrom_.rfind('/') + 1);
    appendDurably(RejectedLinesPath(rejectedFrom_),
                  "Lines of " + name + " that could not be read at the start on " + c_.st.LogDate + ":\r\n" + rejected_);
    rejected_.clear();
}

std::string LogCommands::deletedCopyPath() const
{
    const UtcStamp t = c_.clock.utcNow();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    const std::string base = c_.logPath() + ".deleted-" + stamp;
    std::string path = base;
    for (int n = 2; fileExists(path); ++n)
        path = base + "-" + std::to_string(n);
    return path;
}

std::string LogCommands::deleteFile()
{
    followOwnCall();
    keepRejectedLines(c_.logPath());
    // The emptied log is kept whole in a file of its own: .bak is replaced by the next rewrite.
    const std::string kept = deletedCopyPath();
    if (fileExists(c_.logPath()))
        replaceDurably(c_.logPath(), std::string(), kept);
    c_.table.replaceAll(std::vector<QsoRow>{});
    c_.st.QsoCount = 0;
    c_.showQsoCount();
    c_.refresh();
    return kept;
}

void LogCommands::deleteLastQso()
{
    followOwnCall();
    ContestState &st = c_.st;
    if (st.QsoCount <= 0)
        return;
    // The file is rewritten without the QSO before the table lets it go: a failed
    // rewrite leaves the QSO in both, and the listeners hear of no deletion.
    --st.QsoCount;
    try {
        rewrite();
    } catch (...) {
        ++st.QsoCount;
        throw;
    }
    c_.table.deleteQso(st.QsoCount);
    c_.view().showGridRow(std::max(st.QsoCount - 1, 0));
    c_.showQsoCount();
    c_.refresh();
    c_.entry.clear();
}

void LogCommands::saveCopy(const std::string &path)
{
    followOwnCall();
    replaceDurably(path, LogFileText(c_.table, c_.st.QsoCount, c_.st.LogDate), std::string());
}

void LogCommands::openCopy(const std::string &path, std::vector<int> &skipped)
{
    followOwnCall();
    LogLoad loaded = LoadLogFile(path);
    // A file with lines but no QSO is not a log: importing it would empty the own log.
    if (loaded.rows.empty() && !loaded.skippedLines.empty())
        throw FileError("No QSO could be read from " + pathForMessage(path) + "; nothing was imported.");
    show(LogTable::fill(std::move(loaded.rows)), true);
    skipped = std::move(loaded.skippedLines);
    // The confirmation promised that the copy replaces the own log: make file and table agree.
    rewrite();
}

void LogCommands::gridCellEdited(int row, const QsoRow &was)
{
    editedRows_.try_emplace(row, was);
}

void LogCommands::gridLeft()
{
    // The edit belongs to the log the table was loaded from.
    writeGridEdits(tableLog_.empty() ? c_.logPath() : tableLog_);
}

void LogCommands::writeGridEdits(const std::string &path)
{
    if (editedRows_.empty())
        return;
    std::map<int, QsoRow> edited;
    edited.swap(editedRows_);
    try {
        rewriteTo(path);
    } catch (const FileError &e) {
        // A grid that kept an edit nothing will write would look saved until the next start.
        for (auto &[row, was] : edited)
            if (row < c_.table.rowCount())
                for (int column = 0; column < LogTable::ColumnCount; ++column)
                    if (c_.table.cell(row, column) != LogTable::field(was, column))
                        c_.table.setCell(row, column, LogTable::field(was, column));
        throw FileError(std::string(e.what()) + "\n\nThe edit is not saved: the grid shows again what the "
                                                "log file holds. Mend the cause, then edit it again.");
    }
}
