#pragma once

#include "support/TestSupport.h"

#include <string>

// Expected files are written in the tests with "\n"; the files themselves end lines with CR LF.
inline std::string crlf(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}
