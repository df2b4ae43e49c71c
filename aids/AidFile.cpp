#include "aids/AidFile.h"

#include "logging/FileWrite.h"

#include <fstream>
#include <iterator>

std::optional<std::string> ReadAidFile(const std::string &path)
{
    std::ifstream in(ExistingFileName(path), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return text;
}

std::string UpperCall(std::string_view text)
{
    std::string call(text);
    for (char &c : call)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return call;
}

std::string_view TrimBlanks(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}
