#include "settings/ProgramFolder.h"

#include "logging/ScreenText.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string withSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string canonical(const std::string &path)
{
    std::error_code ec;
    const fs::path p = fs::weakly_canonical(fs::path(path), ec);
    return ec ? path : p.string();
}

std::optional<std::string> environment(const char *name)
{
    const char *value = std::getenv(name);
    if (!value || !*value)
        return std::nullopt;
    return std::string(value);
}

} // namespace

std::string ChooseProgramFolder(const FolderFacts &facts)
{
    if (facts.folderOption && !facts.folderOption->empty())
        return withSlash(*facts.folderOption);
    const bool installed = facts.installedLayout || !facts.executableFolderWritable ||
                           (!facts.installBinFolder.empty() &&
                            canonical(facts.executableFolder) == canonical(facts.installBinFolder));
    if (!installed)
        return withSlash(facts.executableFolder);
    if (facts.homeVariable)
        return withSlash(*facts.homeVariable);
    return withSlash(withSlash(facts.userHome) + "Quillfeather");
}

FolderFacts ReadFolderFacts(const std::string &executableFolder, std::optional<std::string> folderOption)
{
    FolderFacts facts;
    facts.executableFolder = executableFolder;
#ifdef QUILLFEATHER_INSTALL_BINDIR
    facts.installBinFolder = QUILLFEATHER_INSTALL_BINDIR;
#endif
    // Root may write anywhere, so the permission alone cannot tell an installed copy.
    facts.executableFolderWritable = ::access(executableFolder.c_str(), W_OK) == 0;
    const fs::path exe(executableFolder);
    std::error_code ec;
    facts.installedLayout = exe.filename() == "bin" &&
                            fs::exists(exe.parent_path() / "share/metainfo/org.quillfeather.Quillfeather.metainfo.xml", ec);
    facts.folderOption = std::move(folderOption);
    facts.homeVariable = environment("QUILLFEATHER_HOME");
    facts.userHome = environment("HOME").value_or("/tmp");
    return facts;
}

std::string EnsureFolder(const std::string &folder)
{
    std::error_code ec;
    fs::create_directories(fs::path(folder), ec);
    if (ec)
        return "Cannot create the folder " + pathForMessage(folder) + ": " + systemTextForMessage(ec.message());
    if (!fs::is_directory(fs::path(folder), ec))
        return pathForMessage(folder) + " is not a folder";
    return {};
}
