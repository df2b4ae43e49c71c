#include "settings/ProgramFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

struct FolderCase {
    const char *name;
    FolderFacts facts;
    std::string expected;
};

FolderFacts facts(std::string exe, bool writable, bool layout, std::optional<std::string> option = {},
                  std::optional<std::string> home = {})
{
    FolderFacts f;
    f.executableFolder = std::move(exe);
    f.installBinFolder = "/usr/local/bin";
    f.executableFolderWritable = writable;
    f.installedLayout = layout;
    f.folderOption = std::move(option);
    f.homeVariable = std::move(home);
    f.userHome = "/home/op";
    return f;
}

} // namespace

TEST(ProgramFolder, PortableCopiesKeepTheirFolderInstalledOnesUseTheHome)
{
    const FolderCase cases[] = {
        {"portable copy as run.sh makes it", facts("/home/op/Quillfeather", true, false), "/home/op/Quillfeather/"},
        {"portable copy ignores the variable", facts("/home/op/qf", true, false, {}, "/srv/qf"), "/home/op/qf/"},
        // Root can write into /usr/bin: the layout decides, not the permission.
        {"installed, writable as root", facts("/usr/bin", true, true), "/home/op/Quillfeather/"},
        {"installed into the configured prefix", facts("/usr/local/bin", true, false), "/home/op/Quillfeather/"},
        {"the prefix named with a dot", facts("/usr/local/./bin", true, false), "/home/op/Quillfeather/"},
        {"the prefix named with a trailing slash", facts("/usr/local/bin/", true, false), "/home/op/Quillfeather/"},
        {"a folder beside the prefix", facts("/usr/local/bin2", true, false), "/usr/local/bin2/"},
        {"unwritable folder", facts("/opt/qf", false, false), "/home/op/Quillfeather/"},
        {"installed with QUILLFEATHER_HOME", facts("/usr/bin", true, true, {}, "/srv/contest"), "/srv/contest/"},
        {"--folder wins everywhere", facts("/usr/bin", false, true, "/data/qf/", "/srv/x"), "/data/qf/"},
    };
    for (const FolderCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ChooseProgramFolder(c.facts), c.expected);
    }
}

TEST(ProgramFolder, ReadsTheInstalledLayoutFromTheFileSystem)
{
    const auto root = std::filesystem::temp_directory_path() / "qf-layout-test";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "usr/bin");
    std::filesystem::create_directories(root / "usr/share/metainfo");
    const auto metainfo = root / "usr/share/metainfo/org.quillfeather.Quillfeather.metainfo.xml";
    EXPECT_FALSE(ReadFolderFacts((root / "usr/bin").string(), {}).installedLayout);
    { std::ofstream(metainfo.string()); }
    EXPECT_TRUE(ReadFolderFacts((root / "usr/bin").string(), {}).installedLayout);
    // Run through a link to the install folder, the copy is the installed one.
    std::filesystem::create_directory_symlink(root / "usr/bin", root / "link");
    FolderFacts linked = facts((root / "link").string(), true, false);
    linked.installBinFolder = (root / "usr/bin").string();
    EXPECT_EQ(ChooseProgramFolder(linked), "/home/op/Quillfeather/");

    EXPECT_EQ(EnsureFolder((root / "home/a/b").string()), "");
    EXPECT_TRUE(std::filesystem::is_directory(root / "home/a/b"));
    // The folder as the system names it (UTF-8), in the code page of every message.
    const std::string message = EnsureFolder((metainfo / "\xC4\x8D").string());
    EXPECT_NE(message.find(".metainfo.xml/\xE8: "), std::string::npos) << message;
    std::filesystem::remove_all(root);
}
