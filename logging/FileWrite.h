#pragma once

#include <functional>
#include <string>

// How a file write ended; reason is the system's words for a failure.
struct FileWriteResult {
    enum Outcome { Written, CreateFailed, WriteFailed };
    Outcome outcome = Written;
    std::string reason;

    explicit operator bool() const { return outcome == Written; }
};

struct FileReplaceOptions {
    bool syncToDisk = false;  // wait until the bytes are on the disk before the rename
    int createAttempts = 1;
};

// Writes the bytes to a new file beside the path and renames it over the path only when
// every byte is written, so a full disk or a stop never leaves half a file in place of
// a whole one. A link is followed: the file it points to is replaced. Short writes are
// failures (the Qt file classes report a write cut short by a size limit as success).
FileWriteResult ReplaceFileWhole(const std::string &path, const std::string &bytes,
                                 const FileReplaceOptions &options = {});

// Waits until the file's bytes are on the disk; fsync's result. Every such wait of the
// program goes through here, so a test can look at what the file holds at that moment.
int SyncToDisk(int fd);
void setSyncObserver(std::function<void(int fd)> observer);

// The file a link leads to, or the path itself when it is no link.
std::string LinkTarget(const std::string &path);

// The path as the program should use it: the path itself when something has that name,
// else a file in the same folder whose name differs only in letter case (files copied
// from Windows, where case does not count), else the path unchanged.
std::string ExistingFileName(const std::string &path);

// Removes the new content that a replacement of the file left beside it when the program
// that wrote it was stopped before the rename.
void RemoveStaleReplacements(const std::string &path);

// Reads the file (empty when it does not exist yet), and writes what edit makes of its
// bytes over it in place, within one opening. Made for small files written many times in
// a row: no new file and no rename per write, which the file system would flush to disk
// each time. When the write fails the old bytes are put back, and a file this call created
// is removed, so the file is never left half written.
FileWriteResult RewriteFile(const std::string &path, const std::function<std::string(const std::string &)> &edit);
