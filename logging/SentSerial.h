#pragma once

#include <string>

// A serial number as it goes on the air and into the Cabrillo file: three digits at least.
inline std::string SentSerial(int number)
{
    std::string digits = std::to_string(number);
    if (digits.size() < 3)
        digits.insert(0, 3 - digits.size(), '0');
    return digits;
}
