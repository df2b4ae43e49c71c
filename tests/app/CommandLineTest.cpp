#include "app/CommandLine.h"

#include <gtest/gtest.h>

TEST(CommandLine, ProgramOptionsAreTakenAndTheToolkitsArePassedOn)
{
    const CommandLine a = ParseCommandLine({"qf", "-platform", "offscreen", "--folder", "/x", "--version"});
    EXPECT_TRUE(a.version);
    EXPECT_FALSE(a.help);
    EXPECT_EQ(a.folder, std::optional<std::string>("/x"));
    EXPECT_EQ(a.rest, (std::vector<std::string>{"qf", "-platform", "offscreen"}));
    EXPECT_TRUE(a.error.empty());

    EXPECT_EQ(ParseCommandLine({"qf", "--folder=/y"}).folder, std::optional<std::string>("/y"));
    EXPECT_TRUE(ParseCommandLine({"qf", "-h"}).help);
    for (const auto &bad : {std::vector<std::string>{"qf", "--folder"}, {"qf", "--folder", ""}, {"qf", "--folder="}})
        EXPECT_FALSE(ParseCommandLine(bad).error.empty());
}
