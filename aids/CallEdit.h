#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

// Whether two calls differ by one character changed, added or left out: the busted call
// an operator most often logs.
bool OneEditApart(std::string_view a, std::string_view b);

// Where `other` differs from the typed call when they are one edit apart: the position in
// `other` of its changed or added character, or for a character it leaves out the one
// that stands in the gap (its last one when the gap is at the end). None when not one edit apart.
std::optional<size_t> OneEditMark(std::string_view typed, std::string_view other);
