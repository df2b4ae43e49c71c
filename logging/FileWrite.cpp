#include "logging/FileWrite.h"

#include "logging/ScreenText.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

std::string systemReason(int error)
{
    return systemTextForMessage(std::strerror(error));
}

std::function<void(int)> &syncObserver()
{
    static std::function<void(int)> observer;
    return observer;
}

// A replacement is written as "<target>.~<pid>-<n>" before it is renamed over the target.
std::string replacementPrefix(const std::string &target)
{
    return target + ".~";
}

std::string folderPart(const std::string &path)
{
    return path.substr(0, path.rfind('/') + 1);
}

char foldCase(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

template <typename Fn>
void forEachName(const std::string &folder, Fn fn)
{
    DIR *dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir))
        fn(std::string(entry->d_name));
    ::closedir(dir);
}

// Writes, flushes and closes; the first error number, or 0.
int writeAndClose(std::FILE *f, const std::string &bytes, bool sync)
{
    int error = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fflush(f) != 0)
        error = errno ? errno : EIO;
    if (!error && sync && SyncToDisk(fileno(f)) != 0)
        error = errno;
    if (std::fclose(f) != 0 && !error)
        error = errno ? errno : EIO;
    return error;
}

// The whole of bytes at offset 0, or the error number.
int writeAt0(int fd, const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        done += static_cast<size_t>(n);
    }
    return 0;
}

int readAll(int fd, std::string &bytes)
{
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

} // namespace

int SyncToDisk(int fd)
{
    if (syncObserver())
        syncObserver()(fd);
    return ::fsync(fd);
}

void setSyncObserver(std::function<void(int fd)> observer)
{
    syncObserver() = std::move(observer);
}

std::string LinkTarget(const std::string &path)
{
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec))
        return path;
    const auto resolved = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : resolved.string();
}

std::string ExistingFileName(const std::string &path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0)
        return path;
    const std::string folder = folderPart(path);
    const std::string name = path.substr(folder.size());
    std::string found;
    forEachName(folder, [&](const std::string &entry) {
        // The first of several in name order, so every operation picks the same one.
        if (entry.size() == name.size() && (found.empty() || entry < found)
            && std::equal(entry.begin(), entry.end(), name.begin(),
                          [](char a, char b) { return foldCase(a) == foldCase(b); }))
            found = entry;
    });
    return found.empty() ? path : folder + found;
}

void RemoveStaleReplacements(const std::string &path)
{
    const std::string prefix = replacementPrefix(LinkTarget(path));
    const std::string folder = folderPart(prefix);
    const std::string start = prefix.substr(folder.size());
    forEachName(folder, [&](const std::string &entry) {
        if (entry.compare(0, start.size(), start) != 0)
            return;
        // One whose writer still runs is no leftover.
        const long pid = std::strtol(entry.c_str() + start.size(), nullptr, 10);
        if (pid > 0 && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            ::unlink((folder + entry).c_str());
    });
}

FileWriteResult ReplaceFileWhole(const std::string &path, const std::string &bytes,
                                 const FileReplaceOptions &options)
{
    std::error_code ec;
    const std::string target = LinkTarget(path);

    static unsigned counter = 0;
    std::FILE *f = nullptr;
    std::string temp;
    int createError = 0;
    for (int attempt = 0; attempt < std::max(1, options.createAttempts) && !f; ++attempt) {
        temp = replacementPrefix(target) + std::to_string(::getpid()) + "-" + std::to_string(++counter);
        errno = 0;
        f = std::fopen(temp.c_str(), "wbx");
        createError = errno;
    }
    if (!f)
        return {FileWriteResult::CreateFailed, systemReason(createError)};

    if (const int error = writeAndClose(f, bytes, options.syncToDisk)) {
        std::filesystem::remove(temp, ec);
        return {FileWriteResult::WriteFailed, systemReason(error)};
    }
    const auto status = std::filesystem::status(target, ec);
    if (!ec && std::filesystem::exists(status))
        std::filesystem::permissions(temp, status.permissions(), ec);
    std::filesystem::rename(temp, target, ec);
    if (ec) {
        const std::string reason = systemTextForMessage(ec.message());
        std::filesystem::remove(temp, ec);
        return {FileWriteResult::WriteFailed, reason};
    }
    return {};
}

FileWriteResult RewriteFile(const std::string &path, const std::function<std::string(const std::string &)> &edit)
{
    bool created = false;
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        created = fd >= 0;
    }
    if (fd < 0)
        return {FileWriteResult::CreateFailed, systemReason(errno)};

    std::string old;
    if (const int error = readAll(fd, old)) {
        ::close(fd);
        return {FileWriteResult::WriteFailed, systemReason(error)};
    }
    const std::string bytes = edit(old);

    int error = 0;
    if (bytes != old) {
        error = writeAt0(fd, bytes);
        if (!error && bytes.size() < old.size() && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
            error = errno;
        if (error && !created) {
            // The old bytes fit where they were, so putting them back needs no new space.
            writeAt0(fd, old);
            [[maybe_unused]] const int ignored = ::ftruncate(fd, static_cast<off_t>(old.size()));
        }
    }
    if (::close(fd) != 0 && !error)
        error = errno;
    if (error) {
        if (created)
            ::unlink(path.c_str());
        return {FileWriteResult::WriteFailed, systemReason(error)};
    }
    return {};
}
