#include "export/Adif.h"
#include "export/Cabrillo.h"
#include "logging/ContestState.h"
#include "net/SharedLog.h"
#include "net/WholeStation.h"
#include "support/TestSupport.h"

namespace {

using Op = QsoEvent::Op;

// Three positions of S50A: RUN1 is this one (its log table), RUN2 and RUN3 are heard through the
// shared log, newest event first and every event twice; a stale event of RUN1's own is overridden
// by its log. RUN2 edits a QSO and deletes another.
struct Station {
    ContestState state;
    LogTable own;
    SharedLog shared;

    Station()
    {
        state.MyCall = "S50A", state.LogDate = "2026-12-07", state.CbNumber = true;
        own.setRowCount(3);
        own.commitQso(0, {"12:00", "S51A", "7", "1", "40", "CW", "2026-12-07"});
        own.commitQso(1, {"12:02", "S51B", "12", "2", "40", "CW", "2026-12-07"});
        own.commitQso(2, {"1205", "DL1ABC", "3", "3", "80", "CW", ""});
        state.QsoCount = 3;
        struct { const char *station; int seq, qso; Op op; const char *time, *call, *exchange, *number, *band; } events[] = {
            {"RUN1", 1, 1, Op::Add, "1200", "OLDCALL", "7", "1", "40"}, {"RUN2", 1, 1, Op::Add, "1201", "OE3X", "5", "1", "20"},
            {"RUN2", 2, 2, Op::Add, "1205", "K1ABC", "9", "2", "80"},   {"RUN2", 3, 2, Op::Edit, "1205", "K1ABD", "19", "2", "80"},
            {"RUN2", 4, 4, Op::Add, "1203", "W1AW", "1", "3", "40"},    {"RUN2", 5, 4, Op::Delete, "", "", "", "", ""},
            {"RUN3", 1, 1, Op::Add, "2359", "S59ABC", "1", "1", "20"},  {"RUN3", 2, 2, Op::Add, "1205", "S51A", "4", "2", "40"}};
        for (int round = 0; round < 2; ++round)
            for (int i = std::size(events) - 1; i >= 0; --i) {
                const auto &e = events[i];
                const char *date = e.op == Op::Delete ? "" : e.time[0] == '2' ? "2026-12-06" : "2026-12-07";
                shared.apply({e.station, std::uint64_t(e.seq), QsoName(e.station, std::uint64_t(e.qso)), e.op, date,
                              e.time, e.call, e.exchange, e.band, *e.call ? "CW" : "", e.number, e.station[3] - '1'});
            }
    }
    std::vector<StationQso> qsos() const { return WholeStationQsos(state, own, shared, "RUN1", 0); }
};

TEST(WholeStation, ExportsHoldEveryPositionInTimeOrder)
{
    Station s;
    CabrilloHeader v3;
    v3.Version = "3.0";
    const std::string cabrillo = CabrilloText(s.state, s.qsos(), v3);
    // Each position's own serials, its transmitter id last; one minute's QSOs by position.
    EXPECT_EQ(cabrillo.substr(cabrillo.find("QSO:")), crlf(
        "QSO: 14000 CW 2026-12-06 2359 S50A         599 001      S59ABC       599 001 2\n"
        "QSO:  7000 CW 2026-12-07 1200 S50A         599 001      S51A         599 007 0\n"
        "QSO: 14000 CW 2026-12-07 1201 S50A         599 001      OE3X         599 005 1\n"
        "QSO:  7000 CW 2026-12-07 1202 S50A         599 002      S51B         599 012 0\n"
        "QSO:  3500 CW 2026-12-07 1205 S50A         599 003      DL1ABC       599 003 0\n"
        "QSO:  3500 CW 2026-12-07 1205 S50A         599 002      K1ABD        599 019 1\n"
        "QSO:  7000 CW 2026-12-07 1205 S50A         599 002      S51A         599 004 2\n"
        "END-OF-LOG:\n"));
    EXPECT_NE(CabrilloText(s.state, s.qsos()).find(" 599 001      S59ABC       599 001\r\n"), std::string::npos)
        << "2.0 has no transmitter field";
    AdifExport info;
    const std::string adif = AdifText(s.state, s.qsos(), UtcStamp{2026, 12, 7, 13, 0, 0}, info);
    EXPECT_EQ(info.qsos, 7);
    EXPECT_LT(adif.find("<CALL:4>OE3X <QSO_DATE:8>20261207 <TIME_ON:4>1201 <BAND:3>20m <MODE:2>CW <RST_SENT:3>599 "
                        "<RST_RCVD:3>599 <STX:1>1 "), adif.find("<CALL:4>S51B"));

    // Another position's QSO the file cannot carry is named by its number there.
    QsoEvent bad = *s.shared.find("RUN3-2");
    bad.seq = 9, bad.exchange = "5NN";
    s.shared.apply(bad);
    EXPECT_EQ(failureText<CabrilloError>([&] { CabrilloText(s.state, s.qsos()); }),
              "QSO 2 of RUN3, exchange cell: \"5NN\" is not a received serial number. "
              "Correct it in the log of RUN3; nothing was exported.");
}

} // namespace
