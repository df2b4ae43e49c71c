#include "logging/FolderLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FolderLock::~FolderLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool FolderLock::claim(const std::string &folder)
{
    const std::string path = folder + FileName;
    // Close-on-exec: a program started from the menu must not keep the folder after this one ends.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return true;
    int rc;
    do
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return false;
    }
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
    return true;
}
