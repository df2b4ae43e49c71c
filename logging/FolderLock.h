#pragma once

#include <string>

// Claims the program's folder for one running program: two programs on one folder
// would write the same log, and a rewrite in one would drop what the other appended.
// Held with flock on a lock file beside the log until the program ends.
class FolderLock {
public:
    static constexpr const char *FileName = "Quillfeather.lock";

    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    // folder ends with '/'. False when another program holds the folder. A folder where
    // no lock file can be made counts as claimed: no second program can write there either.
    bool claim(const std::string &folder);

private:
    int fd_ = -1;
};
