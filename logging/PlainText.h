#pragma once

#include <algorithm>
#include <string>

// Control characters (line breaks, tabs, escapes) in a text that reaches a file would
// end a log or Cabrillo line early, or forge one: no field of ours may carry them.
inline bool isControlChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
}

inline std::string withoutControlChars(std::string text)
{
    std::erase_if(text, isControlChar);
    return text;
}
