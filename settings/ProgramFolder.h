#pragma once

#include <optional>
#include <string>

// Where the operator's log and settings live. A portable copy keeps them beside its
// executable, as it always has; an installed program cannot (or must not) write into
// the system's bin folder, so it keeps them in the operator's home.
struct FolderFacts {
    std::string executableFolder;   // without a trailing '/'
    std::string installBinFolder;   // the bin folder the build was configured to install into
    bool executableFolderWritable = true;
    bool installedLayout = false;   // bin/ beside the share/ files an install puts there
    std::optional<std::string> folderOption;  // --folder DIR
    std::optional<std::string> homeVariable;  // QUILLFEATHER_HOME
    std::string userHome;                     // $HOME
};

// The program folder the facts call for, ending in '/'.
std::string ChooseProgramFolder(const FolderFacts &facts);

// The facts of this process: its executable's folder, the environment and the install layout.
FolderFacts ReadFolderFacts(const std::string &executableFolder, std::optional<std::string> folderOption);

// Creates the folder (and its parents) when missing. Empty on success, else what failed.
std::string EnsureFolder(const std::string &folder);
