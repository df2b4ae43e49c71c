#pragma once

#include <string_view>

// Whether two calls differ by one character changed, added or left out: the busted call
// an operator most often logs.
bool OneEditApart(std::string_view a, std::string_view b);
