#include "aids/MasterScp.h"

#include "aids/AidFile.h"

#include <algorithm>

bool IsListedCall(std::string_view text)
{
    if (text.size() < 3 || text.size() > 20 || text.front() == '/' || text.back() == '/')
        return false;
    bool letter = false, digit = false;
    char previous = 0;
    for (char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            letter = true;
        else if (c >= '0' && c <= '9')
            digit = true;
        else if (c != '/' || previous == '/')
            return false;
        previous = c;
    }
    return letter && digit;
}

MasterScp MasterScp::parse(std::string_view text)
{
    MasterScp scp;
    scp.calls_.reserve(text.size() / 7);
    ForEachLine(text, [&](std::string_view line) {
        if (!line.empty() && line.front() == '#')
            return;
        const std::string_view call = TrimBlanks(line);
        if (call.empty())
            return;
        if (IsListedCall(call))
            scp.calls_.push_back(UpperCall(call));
        else
            ++scp.skipped_;
    });
    // The published file is sorted already; sorting only when it is not keeps loading quick.
    if (!std::is_sorted(scp.calls_.begin(), scp.calls_.end()))
        std::sort(scp.calls_.begin(), scp.calls_.end());
    scp.calls_.erase(std::unique(scp.calls_.begin(), scp.calls_.end()), scp.calls_.end());
    return scp;
}

std::optional<MasterScp> MasterScp::load(const std::string &path)
{
    const std::optional<std::string> text = ReadAidFile(path);
    if (!text)
        return std::nullopt;
    return parse(*text);
}

bool MasterScp::contains(std::string_view call) const
{
    return std::binary_search(calls_.begin(), calls_.end(), UpperCall(call));
}
