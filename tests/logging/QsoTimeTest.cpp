#include "logging/QsoTime.h"

#include <gtest/gtest.h>

TEST(QsoTime, ReadsOnlyDaysTheCalendarHas)
{
    const std::pair<const char *, bool> cases[] = {
        {"2013-04-14", true},  {"2012-02-29", true},  {"2000-02-29", true},  {"2013-12-31", true},
        {"2013-02-29", false}, {"1900-02-29", false}, {"2013-02-31", false}, {"2013-04-31", false},
        {"2013-13-01", false}, {"2013-00-10", false}, {"2013-04-00", false}, {"13-04-14", false},
        {"2013/04/14", false}, {"2013-4-140", false}, {"2013-04-1a", false}, {"", false},
    };
    for (const auto &[text, read] : cases)
        EXPECT_EQ(ReadQsoDate(text).has_value(), read) << text;
}

// The log line takes "hhmm" only; a grid cell its colons anywhere, as every writer drops them.
TEST(QsoTime, ReadsTimesOfDayFromALogLineAndFromACell)
{
    const struct {
        const char *text;
        int line, cell;  // hour * 100 + minute, -1 where refused
    } cases[] = {
        {"0712", 712, 712}, {"07:12", -1, 712}, {"0:712", -1, 712}, {"0000", 0, 0}, {"2359", 2359, 2359},
        {"2400", -1, -1},   {"0760", -1, -1},   {"071", -1, -1},    {"07:123", -1, -1}, {"abcd", -1, -1},
    };
    const auto value = [](std::optional<QsoTime> t) { return t ? t->hour * 100 + t->minute : -1; };
    for (const auto &c : cases) {
        EXPECT_EQ(value(ReadQsoTime(c.text)), c.line) << c.text;
        EXPECT_EQ(value(ReadTimeCell(c.text)), c.cell) << c.text;
    }
}
