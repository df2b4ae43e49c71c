#include "logging/ReportField.h"

std::string ReportField(const std::string &call, const std::string &mode)
{
    std::string report;
    if (mode == "CW")
        report = "599";
    else if (mode == "SSB")
        report = "59";
    if (report.empty())
        return std::string();
    const size_t used = call.size() + report.size();
    const size_t blanks = used < 16 ? 16 - used : 1;
    return std::string(blanks, ' ') + report + " ";
}
