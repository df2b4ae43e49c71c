#pragma once

#include "logging/DurableFile.h"

#include <cstdio>
#include <string>

// A contest log of `count` QSOs on 40 m CW, one a second, written as the program writes it;
// returns its text.
inline std::string writeBenchLog(const std::string &folder, const std::string &call, int count)
{
    std::string text;
    char line[96];
    for (int i = 0; i < count; ++i) {
        std::snprintf(line, sizeof line, "2013-04-14 %02d%02d S5A%05d %d 40 CW\r\n", (i / 60) % 24, i % 60, i,
                      1950 + i % 70);
        text += line;
    }
    appendDurably(folder + call + ".log", text);
    return text;
}
