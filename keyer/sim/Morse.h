#pragma once

#include <string_view>
#include <vector>

// Morse code as the keyer and the stations on the air send it: '.' a dit, '-' a dah;
// none for a character Morse has no sign for.
const char *MorsePattern(char c);

// Dits a character takes on the air, its trailing letter space not included.
int KeyingDits(const char *pattern);

// The key held down from start to end, in seconds.
struct KeyDown {
    double start, end;
};

// A dit at this speed, in seconds (PARIS: 50 dits a word).
inline double DitSeconds(double wpm) { return 1.2 / wpm; }

// Appends the key-downs of the text sent at wpm from `start`, with the keyer's spacing
// (3 dits between letters, 7 between words); characters without a sign are left out.
// Returns when the last key-up falls (start itself for a text with no sign).
double KeyText(std::string_view text, double wpm, double start, std::vector<KeyDown> &out);
