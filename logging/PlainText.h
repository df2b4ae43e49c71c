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

// The text without the blanks at either end.
inline std::string trimmedBlanks(const std::string &text)
{
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

inline std::string withoutControlChars(std::string text)
{
    std::erase_if(text, isControlChar);
    return text;
}
