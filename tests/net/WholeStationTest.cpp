#include "aids/CheckLists.h"
#include "aids/Rate.h"
#include "export/Adif.h"
#include "export/Cabrillo.h"
#include "logging/ContestState.h"
#include "net/SharedLog.h"
#include "net/WholeStation.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <regex>

namespace {

using Op = QsoEvent::Op;

// Three positions of S50A: RUN1 is this one (its log table), RUN2 and RUN3 are heard through
// the shared log, which also holds a stale event of RUN1's own that the own log overrides.
struct Station {
    ContestState state;
    LogTable own;
    SharedLog shared;

    Station()
    {
        state.MyCall = "S50A";
        state.MyYearLic = "1999";
        state.LogDate = "2026-12-07";
        state.Band = "40", state.Mode = "CW";
        const QsoRow rows[] = {{"12:00", "S51A", "7", "1", "40", "CW", "2026-12-07"},
                               {"12:02", "S51B", "12", "2", "40", "CW", "2026-12-07"},
                               {"1205", "DL1ABC", "3", "3", "80", "CW", ""}};
        own.setRowCount(4);
        for (int i = 0; i < 3; ++i)
            own.commitQso(i, rows[i]);
        own.commitQso(3, {"12:09", "STALE", "1", "4", "40", "CW", ""});  // past the log's end
        state.QsoCount = 3;

        struct { const char *station; int seq, qso; Op op; const char *date, *time, *call, *exchange, *number, *band; } events[] = {
            {"RUN1", 1, 1, Op::Add, "2026-12-07", "1200", "OLDCALL", "7", "1", "40"},
            {"RUN2", 1, 1, Op::Add, "2026-12-07", "1201", "OE3X", "5", "1", "20"},
            {"RUN2", 2, 2, Op::Add, "2026-12-07", "1205", "K1ABC", "9", "2", "80"},
            {"RUN2", 3, 2, Op::Edit, "2026-12-07", "1205", "K1ABD", "19", "2", "80"},
            {"RUN2", 4, 4, Op::Add, "2026-12-07", "1203", "W1AW", "1", "3", "40"},
            {"RUN2", 5, 4, Op::Delete, "", "", "", "", "", ""},
            {"RUN3", 1, 1, Op::Add, "2026-12-06", "2359", "S59ABC", "1", "1", "20"},
            {"RUN3", 2, 2, Op::Add, "2026-12-07", "1205", "S51A", "4", "2", "40"},
        };
        std::vector<QsoEvent> heard;
        for (const auto &e : events) {
            QsoEvent q;
            q.station = e.station, q.seq = std::uint64_t(e.seq), q.qso = QsoName(e.station, std::uint64_t(e.qso));
            q.op = e.op, q.date = e.date, q.time = e.time, q.call = e.call, q.exchange = e.exchange;
            q.number = e.number, q.band = e.band, q.mode = e.op == Op::Delete ? "" : "CW";
            q.transmitter = e.station[3] - '1';
            heard.push_back(q);
        }
        // As a network may deliver them: newest first, then all again.
        for (int round = 0; round < 2; ++round)
            for (auto e = heard.rbegin(); e != heard.rend(); ++e)
                shared.apply(*e);
    }
    std::vector<StationQso> qsos() const { return WholeStationQsos(state, own, shared, "RUN1", 0); }
};

std::string qsoLines(const std::string &cabrillo)
{
    std::string lines;
    for (size_t at = cabrillo.find("QSO:"); at != std::string::npos; at = cabrillo.find("QSO:", at + 1))
        lines += cabrillo.substr(at, cabrillo.find('\r', at) - at) + "\n";
    return lines;
}

// Each record's CALL:STX, in the file's order.
std::string adifCallsAndNumbers(const std::string &adif)
{
    std::string out;
    static const std::regex record("<CALL:\\d+>(\\S+) .*?<STX:\\d+>(\\d+)");
    for (auto it = std::sregex_iterator(adif.begin(), adif.end(), record); it != std::sregex_iterator(); ++it)
        out += (*it)[1].str() + ":" + (*it)[2].str() + " ";
    return out;
}

TEST(WholeStation, CabrilloOfThreePositionsInTimeOrderWithTransmitterIds)
{
    const struct { const char *version; bool byNumber; const char *lines; } cases[] = {
        // 3.0: each position's own serials, its transmitter id last; the deleted QSO is gone,
        // the edited one as it ends; one minute's QSOs by position.
        {"3.0", true,
         "QSO: 14000 CW 2026-12-06 2359 S50A         599 001      S59ABC       599 001 2\n"
         "QSO:  7000 CW 2026-12-07 1200 S50A         599 001      S51A         599 007 0\n"
         "QSO: 14000 CW 2026-12-07 1201 S50A         599 001      OE3X         599 005 1\n"
         "QSO:  7000 CW 2026-12-07 1202 S50A         599 002      S51B         599 012 0\n"
         "QSO:  3500 CW 2026-12-07 1205 S50A         599 003      DL1ABC       599 003 0\n"
         "QSO:  3500 CW 2026-12-07 1205 S50A         599 002      K1ABD        599 019 1\n"
         "QSO:  7000 CW 2026-12-07 1205 S50A         599 002      S51A         599 004 2\n"},
        // 2.0 has no transmitter field; the station sends one exchange from every position.
        {"2.0", false,
         "QSO: 14000 CW 2026-12-06 2359 S50A         599 1999      S59ABC       599 1\n"
         "QSO:  7000 CW 2026-12-07 1200 S50A         599 1999      S51A         599 7\n"
         "QSO: 14000 CW 2026-12-07 1201 S50A         599 1999      OE3X         599 5\n"
         "QSO:  7000 CW 2026-12-07 1202 S50A         599 1999      S51B         599 12\n"
         "QSO:  3500 CW 2026-12-07 1205 S50A         599 1999      DL1ABC       599 3\n"
         "QSO:  3500 CW 2026-12-07 1205 S50A         599 1999      K1ABD        599 19\n"
         "QSO:  7000 CW 2026-12-07 1205 S50A         599 1999      S51A         599 4\n"},
    };
    Station s;
    for (const auto &c : cases) {
        s.state.CbNumber = c.byNumber, s.state.CbExchange = !c.byNumber;
        CabrilloHeader header;
        header.Version = c.version;
        EXPECT_EQ(qsoLines(CabrilloText(s.state, s.qsos(), header)), c.lines) << c.version;
    }
    // Another position's QSO the file cannot carry is named by its number there.
    QsoEvent bad = *s.shared.find("RUN3-2");
    bad.seq = 9, bad.exchange = "5NN";
    s.shared.apply(bad);
    s.state.CbNumber = true, s.state.CbExchange = false;
    EXPECT_EQ(failureText<CabrilloError>([&] { CabrilloText(s.state, s.qsos()); }),
              "QSO 2 of RUN3, exchange cell: \"5NN\" is not a received serial number. "
              "Correct it in the log of RUN3; nothing was exported.");
}

TEST(WholeStation, AdifOfThePositionsInTimeOrderWithTheirOwnSerials)
{
    Station s;
    s.state.CbNumber = true;
    AdifExport info;
    const std::vector<StationQso> qsos = s.qsos();
    const std::string adif = AdifText(s.state, qsos, UtcStamp{2026, 12, 7, 13, 0, 0}, info);
    EXPECT_EQ(adifCallsAndNumbers(adif), "S59ABC:1 S51A:1 OE3X:1 S51B:2 DL1ABC:3 K1ABD:2 S51A:2 ");
    EXPECT_EQ(info.qsos, 7);
    info.rowsLosingCharacters = {1, 6};
    EXPECT_NE(AdifReport(info, qsos).find("QSO 1 (S51A), QSO 2 of RUN3 (S51A)."), std::string::npos);
}

// The check window's lists and the rate figures count the other positions' QSOs too.
TEST(WholeStation, CheckListsAndRateCountEveryPosition)
{
    Station s;
    CallChecker checker(s.state, s.own);
    checker.setStation(s.qsos());
    const struct { const char *typed; const char *log; const char *near; } cases[] = {
        {"S51A", "S51A(40 CW)!", "S51B"},   // worked here and at RUN3: one call, a dupe on 40 CW
        {"K1AB", "K1ABD(80 CW)", "K1ABD"},  // RUN2's edited call, not the one it replaced
        {"W1AW", "", ""},                   // RUN2 deleted it
        {"OLDCALL", "", ""},                // RUN1's own log overrides its old event
        {"S59AB", "S59ABC(20 CW)", "S59ABC"},
    };
    for (const auto &c : cases) {
        const CheckResult r = checker.lookUp(c.typed);
        std::string log, near;
        for (const LoggedCall &l : r.log)
            log += l.call + "(" + l.worked + ")" + (l.dupe ? "!" : "");
        for (const NearCall &n : r.near)
            near += n.call;
        EXPECT_EQ(log, c.log) << c.typed;
        EXPECT_EQ(near, c.near) << c.typed;
    }

    const RateFigures r = ComputeRate(s.state, s.qsos(), UtcStamp{2026, 12, 7, 12, 10, 0});
    std::string bands;
    for (const BandModeCount &c : r.byBandMode)
        bands += c.band + " " + std::to_string(c.qsos) + "/" + std::to_string(c.dupes) + " ";
    EXPECT_EQ(bands, "80 2/0 40 3/1 20 2/0 ");
    EXPECT_EQ(r.lastHour, 6);
    ASSERT_TRUE(r.last10);
    EXPECT_NEAR(*r.last10, 60.0 * 7 / 726, 1e-9);  // 7 QSOs from 23:59 to 12:05
    EXPECT_EQ(r.hours.size(), size_t(14));
}

} // namespace
