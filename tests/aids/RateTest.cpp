#include "aids/Rate.h"
#include "logging/Clock.h"
#include "logging/ContestState.h"
#include "logging/LogTable.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Two runs with an off time of 70 minutes between them, two dupes and a row whose time
// was edited into nonsense; a stale row past the log's end.
struct RateRig {
    ContestState st;
    LogTable log;

    RateRig()
    {
        const char *rows[][4] = {
            {"07:00", "S51A", "40", "CW"},  {"07:06", "S51B", "40", "CW"},  {"07:12", "S51C", "40", "CW"},
            {"07:18", "S51D", "80", "CW"},  {"07:24", "S51E", "80", "SSB"}, {"07:30", "S51F", "80", "SSB"},
            {"0840", "S51G", "80", "SSB"},  {"0850", "S51A", "40", "CW"},   {"08:51", "S51H", "20", "CW"},
            {"08:52", "S51I", "20", "CW"},  {"08:53", "S51J", "20", "CW"},  {"09:00", "S51A", "40", "CW"},
            {"9:0x", "S51K", "20", "CW"},   {"09:05", "STALE", "20", "CW"}};
        log.setRowCount(14);
        for (int i = 0; i < 14; ++i)
            log.commitQso(i, QsoRow{rows[i][0], rows[i][1], "1", std::to_string(i + 1), rows[i][2], rows[i][3],
                                 i == 11 ? "" : "2013-04-14"});
        st.QsoCount = 13;
        st.LogDate = "2013-04-14";  // the row without a date has the log's
    }
};

std::string rate(const std::optional<double> &value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", value.value_or(-1));
    return text;
}

TEST(Rate, FiguresOfAFixedLog)
{
    RateRig rig;
    const RateFigures r = ComputeRate(rig.st, rig.log, UtcStamp{2013, 4, 14, 9, 10, 30});
    std::string bands, hours, off;
    for (const BandModeCount &c : r.byBandMode)
        bands += c.band + " " + c.mode + " " + std::to_string(c.qsos) + "/" + std::to_string(c.dupes) + "; ";
    for (const HourBar &bar : r.hours) {
        hours += MinuteText(bar.hour).substr(11, 2) + ":";
        for (const auto &[band, count] : bar.bands)
            hours += " " + band + "x" + std::to_string(count);
        hours += "; ";
    }
    for (const OffTime &gap : r.offTimes)
        off += MinuteText(gap.from) + " - " + MinuteText(gap.to) + " " + std::to_string(gap.minutes());
    const struct { const char *figure; std::string actual, expected; } cases[] = {
        {"last 10: 07:12 to 09:00", rate(r.last10), "5.56"},
        {"last 100: all 12 in 120 minutes", rate(r.last100), "6.00"},
        {"last 60 minutes", std::to_string(r.lastHour), "6"},
        {"since 09:00", std::to_string(r.sinceTopOfHour), "1"},
        {"bands", bands, "80 CW 1/0; 80 SSB 3/0; 40 CW 5/2; 20 CW 4/0; "},
        {"off times", off, "2013-04-14 07:30 - 2013-04-14 08:40 70"},
        {"hours", hours, "07: 80x3 40x3; 08: 80x1 40x1 20x3; 09: 40x1; "},
        {"unreadable", std::to_string(r.unreadable), "1"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.figure;
}

TEST(Rate, TheHourFiguresFollowTheClock)
{
    RateRig rig;
    const struct { int hour, minute, lastHour, sinceTop; } cases[] = {
        {7, 31, 6, 6}, {8, 45, 1, 1}, {8, 40, 1, 1}, {8, 39, 0, 0}, {12, 0, 0, 0}, {6, 59, 0, 0},
    };
    for (const auto &c : cases) {
        const RateFigures r = ComputeRate(rig.st, rig.log, UtcStamp{2013, 4, 14, c.hour, c.minute, 0});
        EXPECT_EQ(r.lastHour, c.lastHour) << c.hour << ":" << c.minute;
        EXPECT_EQ(r.sinceTopOfHour, c.sinceTop) << c.hour << ":" << c.minute;
    }
}

TEST(Rate, ShortLogsHaveNoRateYet)
{
    RateRig rig;
    const struct { int qsos; const char *last10; size_t hours; } cases[] = {
        {0, "-1.00", 0}, {1, "-1.00", 1}, {2, "20.00", 1}, {10, "5.36", 2},
    };
    for (const auto &c : cases) {
        rig.st.QsoCount = c.qsos;
        const RateFigures r = ComputeRate(rig.st, rig.log, UtcStamp{2013, 4, 14, 9, 10, 30});
        EXPECT_EQ(rate(r.last10), c.last10) << c.qsos;
        EXPECT_EQ(r.hours.size(), c.hours) << c.qsos;
    }
    EXPECT_FALSE(QsoMinute("2013-04-14", "24:00"));
    EXPECT_FALSE(QsoMinute("2013-4-14", "12:00"));
    EXPECT_FALSE(QsoMinute("2013-02-31", "12:00"));
    EXPECT_EQ(*QsoMinute("2013-04-15", "0000") - *QsoMinute("2013-04-14", "23:59"), 1);
}

} // namespace
