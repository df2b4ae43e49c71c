#pragma once

#include <string>

// How a whole-file replacement ended; reason is the system's words for a failure.
struct FileReplaceResult {
    enum Outcome { Replaced, CreateFailed, WriteFailed };
    Outcome outcome = Replaced;
    std::string reason;

    explicit operator bool() const { return outcome == Replaced; }
};

struct FileReplaceOptions {
    bool syncToDisk = false;        // wait until the bytes are on the disk before the rename
    bool inPlaceIfFolderRefuses = false;  // rewrite an existing file where no new file may be made
    int createAttempts = 1;
};

// Writes the bytes to a new file beside the path and renames it over the path only when
// every byte is written, so a full disk or a stop never leaves half a file in place of
// a whole one. A link is followed: the file it points to is replaced. Short writes are
// failures (the Qt file classes report a write cut short by a size limit as success).
FileReplaceResult ReplaceFileWhole(const std::string &path, const std::string &bytes,
                                   const FileReplaceOptions &options = {});
