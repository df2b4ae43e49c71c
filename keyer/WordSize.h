#pragma once

#include <string>

// The word size of the running system as the options window shows it: " 64" or
// " 32" (a 32-bit program on a 64-bit system still says " 64"); empty when the
// system does not tell.
std::string SystemWordSizeText();
