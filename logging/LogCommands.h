#pragma once

#include "logging/LogFile.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class Contest;

// The log file's commands: start-up count and load, delete, copies, and the
// rewrite after the operator edited the grid.
class LogCommands {
public:
    explicit LogCommands(Contest &contest) : c_(contest) {}

    // Reading a big log takes longer than a window may stand still: the window hands in a
    // reader that runs the read away from its thread and returns once it is done (rethrowing
    // what the read threw). Without one, or for a small log, the read runs in place.
    using FileReader = std::function<void(const std::function<void()> &read)>;
    void setFileReader(FileReader reader) { reader_ = std::move(reader); }
    static constexpr long long ReadAwayFrom = 256 * 1024;  // bytes: about 8,000 QSOs

    // Counts the own log and loads it when it holds QSOs.
    // Returns the line numbers of malformed lines that were skipped; they are kept in the
    // file RejectedLinesPath names before the log is first rewritten without them.
    std::vector<int> countAndLoad();

    // The table mirrors the log it is written to: when the own call has changed since
    // the table was loaded, an edit still pending goes to the old call's log and the
    // new call's log is loaded (empty when there is none). Returns its skipped lines.
    std::vector<int> followOwnCall();

    // Where Delete File keeps the log it empties, whole: CALL.log.deleted-<UTC time>, with
    // -2, -3, ... after it when that name is taken, so no later delete or rewrite replaces it.
    std::string deletedCopyPath() const;
    // After both confirmations; returns where the emptied log is kept.
    std::string deleteFile();
    void deleteLastQso();
    void saveCopy(const std::string &path);
    // After the confirmation and the file choice; the own log is rewritten from it at once.
    // skipped receives the copy's malformed line numbers even when the rewrite then fails.
    void openCopy(const std::string &path, std::vector<int> &skipped);

    void rewrite();

    // Grid editing: an edited cell with its row as it was, leaving the grid. Every change is
    // written, however the grid got the focus; when the log cannot be written, the edited rows
    // show again what the file holds and FileError says so.
    void gridCellEdited(int row, const QsoRow &was);
    void gridLeft();

private:
    std::vector<int> loadOwnLog(bool clearEntry);
    void show(LogTable::Filled filled, bool clearEntry);
    void rewriteTo(const std::string &path);
    void keepRejectedLines(const std::string &path);
    void writeGridEdits(const std::string &path);

    Contest &c_;
    FileReader reader_;
    std::string tableLog_;   // the log the table was loaded from and is written to
    std::string unreadLog_;  // the own log, when it could be counted but not read
    std::string rejectedFrom_;  // the own log whose skipped lines are not yet kept beside it
    std::string rejected_;
    std::map<int, QsoRow> editedRows_;  // as the file holds them, until the edit is written
};
