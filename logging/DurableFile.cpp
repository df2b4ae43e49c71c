#include "logging/DurableFile.h"

#include "logging/FileWrite.h"
#include "logging/ScreenText.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const std::string &what, const std::string &path, int err)
{
    throw FileError(what + " " + pathForMessage(path) + ": " + systemTextForMessage(std::strerror(err)));
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

void writeAll(int fd, const std::string &bytes, const std::string &path)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail("Cannot write", path, errno);
        }
        done += static_cast<size_t>(n);
    }
}

void closeChecked(Fd &fd, const std::string &path)
{
    if (::close(fd.release()) != 0)
        fail("Cannot write", path, errno);
}

std::string folderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// A rename is only durable once the folder entry itself is on the disk.
void syncFolder(const std::string &path)
{
    Fd dir(::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        SyncToDisk(dir.get());
}

void copyFile(const std::string &from, const std::string &to)
{
    const std::string bytes = readWholeFile(from);
    Fd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (out.get() < 0)
        fail("Cannot create", to, errno);
    writeAll(out.get(), bytes, to);
    if (SyncToDisk(out.get()) != 0)
        fail("Cannot write", to, errno);
    closeChecked(out, to);
}

} // namespace

bool fileExists(const std::string &path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string readWholeFile(const std::string &path)
{
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        fail("Cannot open", path, errno);
    std::string bytes;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail("Cannot read", path, errno);
        }
        if (n == 0)
            break;
        bytes.append(buf, static_cast<size_t>(n));
    }
    return bytes;
}

void appendDurably(const std::string &path, const std::string &bytes)
{
    const bool existed = fileExists(path);
    Fd fd(::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    if (fd.get() < 0)
        fail("Cannot open", path, errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        fail("Cannot read", path, errno);
    // A hand edit or a write cut short may have left the last line without its line break.
    char last = '\n';
    if (st.st_size > 0 && ::pread(fd.get(), &last, 1, st.st_size - 1) != 1)
        fail("Cannot read", path, errno ? errno : EIO);
    try {
        writeAll(fd.get(), last == '\n' || last == '\r' ? bytes : "\r\n" + bytes, path);
        if (SyncToDisk(fd.get()) != 0)
            fail("Cannot write", path, errno);
    } catch (...) {
        // A line reported as not logged must not come back at the next start.
        if (::ftruncate(fd.get(), st.st_size) == 0)
            SyncToDisk(fd.get());
        throw;
    }
    closeChecked(fd, path);
    if (!existed)
        syncFolder(path);
}

void replaceDurably(const std::string &path, const std::string &bytes, const std::string &backupPath)
{
    // A link stays in place: its target is what is backed up and replaced.
    const std::string real = LinkTarget(path);
    if (!backupPath.empty() && fileExists(real)) {
        ::unlink(backupPath.c_str());
        // A hard link keeps the old content without copying it; not every
        // file system has them.
        if (::link(real.c_str(), backupPath.c_str()) != 0)
            copyFile(real, backupPath);
    }
    FileReplaceOptions options;
    options.syncToDisk = true;
    const FileWriteResult result = ReplaceFileWhole(real, bytes, options);
    if (!result)
        throw FileError((result.outcome == FileWriteResult::CreateFailed ? "Cannot create a file beside "
                                                                         : "Cannot write ")
                        + pathForMessage(path) + ": " + result.reason);
    syncFolder(real);
}

