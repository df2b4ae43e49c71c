#include "aids/CallEdit.h"

#include <gtest/gtest.h>

TEST(CallEdit, OneCharacterChangedAddedOrLeftOut)
{
    // mark: where the other call is marked against the first as typed; -1 none.
    const struct { const char *a, *b; bool apart; int mark; } cases[] = {
        {"S59ABC", "S59ABD", true, 5}, {"S59ABC", "S58ABC", true, 2},   {"S59ABC", "S59ABCD", true, 6},
        {"S59ABC", "S9ABC", true, 1},  {"S59ABC", "59ABC", true, 0},    {"S59ABC", "S59AB", true, 4},
        {"S59ABC", "S59ABC", false, -1}, {"S59ABC", "S59BAC", false, -1}, {"S59ABC", "S59A", false, -1},
        {"S59ABC", "K1ABC", false, -1},  {"A", "", true, -1},             {"", "", false, -1},
        {"S59ABC", "SS59ABC", true, 1},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(OneEditApart(c.a, c.b), c.apart) << c.a << " " << c.b;
        EXPECT_EQ(OneEditApart(c.b, c.a), c.apart) << c.b << " " << c.a;
        const auto mark = OneEditMark(c.a, c.b);
        EXPECT_EQ(mark ? int(*mark) : -1, c.mark) << c.a << " " << c.b;
    }
}
