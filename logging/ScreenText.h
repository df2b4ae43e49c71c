#pragma once

#include <QString>

#include <string>

// Files and the keyer speak 8-bit Windows-1250 (Slovenian letters included);
// the screen speaks Unicode. These are the only two places that convert.
QString toScreen(const std::string &bytes);
std::string fromScreen(const QString &text);  // characters outside the code page become '?'

// A file path as the system names it (UTF-8 on Linux), in the code page of a message text.
std::string pathForMessage(const std::string &path);
