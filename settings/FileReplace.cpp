#include "settings/FileReplace.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace {

std::string systemReason(int error)
{
    return std::strerror(error);
}

// Writes, flushes and closes; the first error number, or 0.
int writeAndClose(std::FILE *f, const std::string &bytes, bool sync)
{
    int error = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fflush(f) != 0)
        error = errno ? errno : EIO;
    if (!error && sync && ::fsync(fileno(f)) != 0)
        error = errno;
    if (std::fclose(f) != 0 && !error)
        error = errno ? errno : EIO;
    return error;
}

} // namespace

FileReplaceResult ReplaceFileWhole(const std::string &path, const std::string &bytes,
                                   const FileReplaceOptions &options)
{
    std::error_code ec;
    std::string target = path;
    if (std::filesystem::is_symlink(path, ec)) {
        const auto resolved = std::filesystem::weakly_canonical(path, ec);
        if (!ec)
            target = resolved.string();
    }

    static unsigned counter = 0;
    std::FILE *f = nullptr;
    std::string temp;
    int createError = 0;
    for (int attempt = 0; attempt < std::max(1, options.createAttempts) && !f; ++attempt) {
        temp = target + ".~" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
        errno = 0;
        f = std::fopen(temp.c_str(), "wbx");
        createError = errno;
    }

    if (!f) {
        if (!options.inPlaceIfFolderRefuses || (createError != EACCES && createError != EPERM)
            || !std::filesystem::exists(target, ec))
            return {FileReplaceResult::CreateFailed, systemReason(createError)};
        // The folder takes no new file but the file itself may be written, as Windows allows.
        errno = 0;
        f = std::fopen(target.c_str(), "r+b");
        if (!f)
            return {FileReplaceResult::CreateFailed, systemReason(errno)};
        if (::ftruncate(fileno(f), 0) != 0) {
            const int error = errno;
            std::fclose(f);
            return {FileReplaceResult::WriteFailed, systemReason(error)};
        }
        if (const int error = writeAndClose(f, bytes, options.syncToDisk))
            return {FileReplaceResult::WriteFailed, systemReason(error)};
        return {};
    }

    if (const int error = writeAndClose(f, bytes, options.syncToDisk)) {
        std::filesystem::remove(temp, ec);
        return {FileReplaceResult::WriteFailed, systemReason(error)};
    }
    const auto status = std::filesystem::status(target, ec);
    if (!ec && std::filesystem::exists(status))
        std::filesystem::permissions(temp, status.permissions(), ec);
    std::filesystem::rename(temp, target, ec);
    if (ec) {
        const std::string reason = ec.message();
        std::filesystem::remove(temp, ec);
        return {FileReplaceResult::WriteFailed, reason};
    }
    return {};
}
