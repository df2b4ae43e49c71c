#pragma once

#include <QString>

#include <string>

// Files and the keyer speak 8-bit Windows-1250 (Slovenian letters included);
// the screen speaks Unicode. These are the only two places that convert.
QString toScreen(const std::string &bytes);
std::string fromScreen(const QString &text);  // characters outside the code page become '?'

// Every text the core hands a window to show (an exception's message, a report, a finding)
// is in that same code page, as the cells and calls it quotes are: a window shows
// it through messageToScreen, never by a decoding of its own. What the system says in its
// own encoding (a file path, strerror, an error_code's message) is converted on the way in.
inline QString messageToScreen(const std::string &message)
{
    return toScreen(message);
}
// A file path as the system names it (UTF-8 on Linux), in the code page of a message text.
std::string pathForMessage(const std::string &path);
// The system's own words for a failure, in the code page of a message text.
std::string systemTextForMessage(const std::string &text);
