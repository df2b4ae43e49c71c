#include "logging/LogTable.h"

#include <gtest/gtest.h>

TEST(LogTable, DuplicateIndexFollowsEveryChange)
{
    LogTable t;
    EXPECT_EQ(t.rowCount(), 1);
    t.setRowCount(2);
    t.setRow(0, QsoRow{"14:07", "S5ABC", "1987", "1", "80", "CW", "2013-04-14"});
    EXPECT_TRUE(t.contains("S5ABC", "80", "CW"));
    EXPECT_FALSE(t.contains("S5ABC", "40", "CW"));
    EXPECT_FALSE(t.contains("S5ABC", "80", "SSB"));
    EXPECT_FALSE(t.contains("s5abc", "80", "CW"));

    t.setCell(0, LogTable::ColCall, "S5ABD");
    EXPECT_FALSE(t.contains("S5ABC", "80", "CW"));
    EXPECT_TRUE(t.contains("S5ABD", "80", "CW"));

    t.setRow(1, t.row(0));
    t.clearRow(0);
    EXPECT_TRUE(t.contains("S5ABD", "80", "CW"));
    t.setRowCount(1);  // drops row 1
    EXPECT_FALSE(t.contains("S5ABD", "80", "CW"));

    t.replaceAll({QsoRow{"07:12", "S51X", "", "1", "20", "SSB", ""}});
    EXPECT_TRUE(t.contains("S51X", "20", "SSB"));
    t.replaceAll({});
    EXPECT_EQ(t.rowCount(), 1);
    EXPECT_FALSE(t.contains("S51X", "20", "SSB"));
}
