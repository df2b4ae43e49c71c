#pragma once

#include <optional>
#include <string>
#include <vector>

// The program's own options; everything else is left for the toolkit (-platform, ...).
struct CommandLine {
    bool help = false;
    bool version = false;
    std::optional<std::string> folder;
    std::string error;              // set when the options cannot be used
    std::vector<std::string> rest;  // argv[0] and the toolkit's arguments
};

CommandLine ParseCommandLine(const std::vector<std::string> &args);
std::string UsageText();
