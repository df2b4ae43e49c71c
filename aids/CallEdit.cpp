#include "aids/CallEdit.h"

#include <utility>

bool OneEditApart(std::string_view a, std::string_view b)
{
    if (a.size() < b.size())
        std::swap(a, b);
    if (a.size() - b.size() > 1)
        return false;
    size_t i = 0;
    while (i < b.size() && a[i] == b[i])
        ++i;
    if (a.size() == b.size())
        return i < a.size() && a.substr(i + 1) == b.substr(i + 1);
    return a.substr(i + 1) == b.substr(i);
}

std::optional<size_t> OneEditMark(std::string_view typed, std::string_view other)
{
    if (other.empty() || !OneEditApart(typed, other))
        return std::nullopt;
    size_t i = 0;
    while (i < typed.size() && i < other.size() && typed[i] == other[i])
        ++i;
    return i < other.size() ? i : other.size() - 1;
}
