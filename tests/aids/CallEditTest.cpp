#include "aids/CallEdit.h"

#include <gtest/gtest.h>

TEST(CallEdit, OneCharacterChangedAddedOrLeftOut)
{
    const struct { const char *a, *b; bool apart; } cases[] = {
        {"S59ABC", "S59ABD", true},  {"S59ABC", "S58ABC", true},  {"S59ABC", "S59ABCD", true},
        {"S59ABC", "S9ABC", true},   {"S59ABC", "59ABC", true},   {"S59ABC", "S59AB", true},
        {"S59ABC", "S59ABC", false}, {"S59ABC", "S59BAC", false}, {"S59ABC", "S59A", false},
        {"S59ABC", "K1ABC", false},  {"", "A", true},             {"", "", false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(OneEditApart(c.a, c.b), c.apart) << c.a << " " << c.b;
        EXPECT_EQ(OneEditApart(c.b, c.a), c.apart) << c.b << " " << c.a;
    }
}
