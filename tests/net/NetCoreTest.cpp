#include "logging/LogTable.h"
#include "net/JournalWriter.h"
#include "net/NetSettings.h"
#include "net/OwnEventLog.h"
#include "net/SharedLog.h"
#include "net/StationRow.h"
#include "settings/MainSettings.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

QsoEvent event(const char *station, std::uint64_t seq, std::uint64_t qsoSeq, QsoEvent::Op op, const char *call)
{
    QsoEvent e;
    e.station = station, e.seq = seq, e.qso = QsoName(station, qsoSeq), e.op = op, e.call = call;
    e.date = "2026-12-07", e.time = "1200", e.band = "40", e.mode = "CW", e.number = "1", e.exchange = "599";
    return e;
}

std::string calls(const SharedLog &log)
{
    std::string text;
    for (const QsoEvent &e : log.liveQsos())
        text += (text.empty() ? "" : " ") + e.call;
    return text;
}

TEST(NetSettings, SectionIsReadWithDefaultsAndRefusesNamesThatBreakTopics)
{
    TestFolder dir;
    NetSettings none;
    LoadNetSettings(none, dir.path());  // no file: today's program, not networked
    EXPECT_EQ(std::tie(none.Enabled, none.Broker, none.Station), std::make_tuple(false, "localhost:1883", "RUN1"));

    writeFileBytes(MainSettingsFile(dir.path()), crlf("[NET]\nEnabled=1\nStation=RUN/2\nTransmitter=12\nGroup=S5 0/A\n"));
    NetSettings s;
    LoadNetSettings(s, dir.path());
    EXPECT_EQ(std::tie(s.Enabled, s.Station, s.Transmitter), std::make_tuple(true, "RUN1", 0));
    EXPECT_EQ(GroupName(s, "S50A"), "S50A");
    EXPECT_EQ(GroupName(NetSettings{}, "S59ABC"), "S59ABC");
    EXPECT_EQ(GroupName(NetSettings{}, ""), "QUILLFEATHER");

    s = {true, "broker.local:8883", "MULT2", 3, "CQWW", "op", "secret", true, "/etc/ca.crt"};
    SaveNetSettings(s, dir.path());
    NetSettings back;
    LoadNetSettings(back, dir.path());
    EXPECT_EQ(std::tie(back.Enabled, back.Broker, back.Station, back.Transmitter, back.Group, back.User, back.Password,
                       back.Tls, back.CaFile),
              std::tie(s.Enabled, s.Broker, s.Station, s.Transmitter, s.Group, s.User, s.Password, s.Tls, s.CaFile));
}

TEST(NetSettings, BrokerGivesHostAndPort)
{
    const struct {
        const char *broker, *host;
        int port;
    } cases[] = {
        {"localhost:1883", "localhost", 1883}, {"10.0.0.5", "10.0.0.5", 1883},  {"[::1]:1884", "::1", 1884},
        {"[fe80::1]", "fe80::1", 1883},        {"pc:0", "", 0},                 {"pc:65536", "", 0},
        {"pc:", "", 0},                        {":1883", "", 0},                {"pc:18x3", "", 0},
        {"[::1", "", 0},                       {"", "", 0},
    };
    for (const auto &c : cases) {
        std::string host, error;
        int port = 0;
        const bool ok = ParseBroker(c.broker, host, port, error);
        EXPECT_EQ(ok ? std::make_pair(host, port) : std::make_pair(std::string(), 0), std::make_pair(std::string(c.host), c.port))
            << c.broker << ": " << error;
    }
}

TEST(QsoEvent, EncodedEventDecodesToItself)
{
    QsoEvent e = event("RUN2", 7, 3, QsoEvent::Op::Edit, "S5/OK1ABC");
    e.exchange = "\x9a" "tajerska";  // a Slovenian letter of the log's code page
    e.transmitter = 9;
    EXPECT_EQ(DecodeEvent(EncodeEvent(e)), e);
    e.row = 12;
    EXPECT_EQ(DecodeEvent(EncodeEvent(e)), e);
    EXPECT_TRUE(EncodeEvent(e).contains("\"exchange\":\"\xc5\xa1tajerska\""));
}

TEST(QsoEvent, MessagesNotOursAreRefusedWithTheReason)
{
    const QByteArray good = EncodeEvent(event("RUN2", 4, 4, QsoEvent::Op::Add, "S51A"));
    auto with = [&](const char *from, const char *to) { return QByteArray(good).replace(from, to); };
    const std::pair<QByteArray, const char *> cases[] = {
        {"not json", "not a JSON object"},
        {"[1,2]", "not a JSON object"},
        {QByteArray(MaxEventBytes + 1, ' '), "larger than"},
        {with("\"seq\":4", "\"seq\":\"4\""), "seq is not a whole number"},
        {with("\"seq\":4", "\"seq\":4.5"), "seq is not a whole number"},
        {with("\"seq\":4", "\"seq\":-4"), "seq is not a whole number"},
        {with("\"seq\":4", "\"seq\":1e300"), "seq is not a whole number"},
        {with("\"call\":\"S51A\"", "\"call\":5"), "call is not a text"},
        {with("\"call\":\"S51A\",", ""), "call is not a text"},
        {with("S51A", "S51A;rm -rf"), "call is not letters"},
        {with("\"band\":\"40\"", "\"band\":\"6\""), "band is not one of"},
        {with("\"mode\":\"CW\"", "\"mode\":\"FT8\""), "mode is not CW or SSB"},
        {with("\"op\":\"add\"", "\"op\":\"drop\""), "op is not add"},
        {with("\"qso\":\"RUN2-4\"", "\"qso\":\"RUN1-4\""), "not one of the station's own"},
        {with("\"qso\":\"RUN2-4\"", "\"qso\":\"RUN2-3\""), "named by its own event"},
        {with("\"station\":\"RUN2\"", "\"station\":\"RUN 2\""), "station is not"},
        {with("2026-12-07", "2026-13-07"), "date is not"},
        {with("\"time\":\"1200\"", "\"time\":\"2460\""), "time is not"},
        {with("\"number\":\"1\"", "\"number\":\"1a\""), "number is not"},
        {with("\"transmitter\":0", "\"transmitter\":10"), "transmitter is not"},
        {with("\"exchange\":\"599\"", "\"exchange\":\"5\\n9\""), "control characters"},
    };
    ASSERT_TRUE(DecodeEvent(good));
    for (const auto &[payload, reason] : cases) {
        std::string why;
        EXPECT_FALSE(DecodeEvent(payload, &why)) << payload.left(200).toStdString();
        EXPECT_NE(why.find(reason), std::string::npos) << payload.left(200).toStdString() << " -> " << why;
    }
}

TEST(QsoEvent, OnlyTheGroupsEventTopicsNameAnEvent)
{
    EXPECT_EQ(EventTopic("S50A", "RUN1", 12), "quillfeather/S50A/qso/RUN1/12");
    const std::pair<const char *, const char *> cases[] = {
        {"quillfeather/S50A/qso/RUN1/12", "RUN1 12"},  {"quillfeather/S50A/qso/RUN1/0", ""},
        {"quillfeather/S50A/qso/RUN1/012", ""},        {"quillfeather/S50A/qso/RUN1/12/x", ""},
        {"quillfeather/S50B/qso/RUN1/12", ""},         {"quillfeather/S50A/status/RUN1", ""},
        {"quillfeather/S50A/qso/R-1/12", ""},          {"quillfeather/S50A/qso/RUN1", ""},
    };
    for (const auto &[topic, expected] : cases) {
        const auto name = ParseEventTopic("S50A", topic);
        EXPECT_EQ(name ? name->station + " " + std::to_string(name->seq) : "", expected) << topic;
    }
}

TEST(SharedLog, LatestEventOfEachQsoHoldsWhateverTheOrder)
{
    using Op = QsoEvent::Op;
    const QsoEvent a1 = event("RUN1", 1, 1, Op::Add, "S51A"), a2 = event("RUN1", 2, 2, Op::Add, "S51B"),
                   e3 = event("RUN1", 3, 1, Op::Edit, "S51AA"), d4 = event("RUN1", 4, 2, Op::Delete, ""),
                   b1 = event("RUN2", 1, 1, Op::Add, "S51A");
    const struct {
        std::vector<QsoEvent> events;
        const char *calls;
    } cases[] = {
        {{a1, a2}, "S51A S51B"},
        {{a1, a1, a2, a2}, "S51A S51B"},
        {{a1, e3}, "S51AA"},
        {{e3, a1}, "S51AA"},
        {{d4, a2}, ""},
        {{a2, d4, a2}, ""},
        {{e3, d4, a2, a1, b1}, "S51AA S51A"},
    };
    for (const auto &c : cases) {
        SharedLog log;
        for (const QsoEvent &e : c.events)
            log.apply(e);
        EXPECT_EQ(calls(log), c.calls) << c.events.size();
    }
    SharedLog log;
    for (const QsoEvent &e : {a1, b1, e3})
        log.apply(e);
    EXPECT_EQ(log.dupeStation("S51A", "40", "CW", "RUN1"), "RUN2");
    EXPECT_EQ(log.dupeStation("S51A", "40", "CW", "RUN2"), "");  // RUN1's was edited away
    EXPECT_EQ(log.dupeStation("S51A", "20", "CW", ""), "");
    EXPECT_FALSE(log.apply(a1));
    EXPECT_EQ(log.highestSeq("RUN1"), 3u);
}

// A station's own log at random: QSOs logged, cells edited, the last one deleted.
void logAtRandom(LogTable &table, int &count, std::mt19937 &random, const std::string &station)
{
    const unsigned pick = random() % 10;
    if (pick < 6 || count == 0) {
        table.setRowCount(std::max(table.rowCount(), count + 1));
        const std::string call = "S5" + std::to_string(random() % 40) + station;
        table.commitQso(count, QsoRow{"1200", call, "599", std::to_string(count + 1), "40", "CW", "2026-12-07"});
        ++count;
    } else if (pick < 9) {
        table.setCell(static_cast<int>(random() % static_cast<unsigned>(count)), LogTable::ColBand,
                      random() % 2 ? "20" : "80");
    } else {
        table.deleteQso(--count);
    }
}

TEST(SharedLog, ThreeStationsLoggingAtRandomEndIdentical)
{
    const unsigned seed = 20261207;
    std::mt19937 random(seed);
    TestFolder dir;
    const std::string names[] = {"RUN1", "RUN2", "MULT"};
    LogTable tables[3];
    std::vector<std::unique_ptr<OwnEventLog>> own;
    for (const std::string &name : names)
        own.push_back(std::make_unique<OwnEventLog>(dir.file(name), name, 0));
    std::vector<QsoEvent> sent;
    int counts[3] = {};
    const int rounds = 300;
    for (int round = 0; round < rounds; ++round) {
        const int s = static_cast<int>(random() % 3);
        logAtRandom(tables[s], counts[s], random, names[s]);
        for (const QsoEvent &e : own[static_cast<size_t>(s)]->follow(tables[s]))
            sent.push_back(e);
    }
    std::printf("seed %u: %d rounds, %zu events\n", seed, rounds, sent.size());

    // Each station gets every event, some twice, in an order of its own.
    std::vector<std::string> merged[3];
    for (std::vector<std::string> &result : merged) {
        std::vector<QsoEvent> delivery = sent;
        for (int i = 0; i < 100; ++i)
            delivery.push_back(sent[random() % sent.size()]);
        std::shuffle(delivery.begin(), delivery.end(), random);
        SharedLog log;
        for (const QsoEvent &e : delivery)
            log.apply(e);
        for (const QsoEvent &e : log.liveQsos())
            result.push_back(e.call + " " + e.band);
    }
    EXPECT_EQ(merged[0], merged[1]);
    EXPECT_EQ(merged[0], merged[2]);

    std::vector<std::string> logs;  // what the three own logs hold
    for (int s = 0; s < 3; ++s)
        for (int row = 0; row < counts[s]; ++row)
            logs.push_back(tables[s].row(row).Call + " " + tables[s].row(row).Band);
    std::sort(logs.begin(), logs.end()), std::sort(merged[0].begin(), merged[0].end());
    EXPECT_EQ(merged[0], logs);
}

// The events for the table, on the disk once the station's journal writer has stopped.
std::vector<QsoEvent> follow(OwnEventLog &own, const LogTable &table, int row = -1)
{
    std::vector<QsoEvent> made = own.follow(table, row);
    JournalWriter(own.journalPath(), [&own](std::vector<QsoEvent> events, const std::string &) { own.written(events); })
        .append(made);
    return made;
}

TEST(OwnEventLog, RestartTellsWhatTheJournalMissedAndNeverReusesASeq)
{
    TestFolder dir;
    const std::string journal = dir.file("own.jsonl");
    LogTable table;
    table.setRowCount(3);
    table.commitQso(0, QsoRow{"12:00", "S51A", "599", "1", "40", "CW", "2026-12-07"});
    {
        OwnEventLog own(journal, "RUN1", 2);
        const std::vector<QsoEvent> made = follow(own, table);
        ASSERT_EQ(made.size(), 1u);
        EXPECT_EQ(std::tie(made[0].qso, made[0].time, made[0].transmitter, made[0].row),
                  std::make_tuple("RUN1-1", "1200", 2, 0));
        EXPECT_TRUE(follow(own, table).empty());  // nothing changed since
    }
    // Logged and edited while the program was stopped before telling; then a torn line.
    table.commitQso(1, QsoRow{"12:01", "S51B", "599", "2", "40", "CW", "2026-12-07"});
    table.setCell(0, LogTable::ColCall, "S51AA");
    writeFileBytes(journal, readFileBytes(journal) + "{\"station\":\"RUN1\",\"seq\":2,\"qso");
    OwnEventLog own(journal, "RUN1", 2);
    EXPECT_EQ(own.skippedLines(), 1);
    std::vector<QsoEvent> made = follow(own, table);
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(std::tie(made[0].seq, made[0].op, made[0].qso, made[0].call), std::make_tuple(2, QsoEvent::Op::Edit, "RUN1-1", "S51AA"));
    EXPECT_EQ(std::tie(made[1].seq, made[1].op, made[1].qso), std::make_tuple(3, QsoEvent::Op::Add, "RUN1-3"));

    table.deleteQso(1);
    table.commitQso(1, QsoRow{"12:03", "S51C", "599", "2", "40", "CW", "2026-12-07"});
    made = follow(own, table, 1);  // deleted and logged again before the others heard: an edit to them
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(std::tie(made[0].op, made[0].qso), std::make_tuple(QsoEvent::Op::Edit, "RUN1-3"));
    table.deleteQso(1);  // told this time: a deleted QSO stays deleted, the row's next QSO is a new one
    made = follow(own, table, 1);
    table.commitQso(1, QsoRow{"12:04", "S51D", "599", "2", "40", "CW", "2026-12-07"});
    for (const QsoEvent &e : follow(own, table, 1))
        made.push_back(e);
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(std::tie(made[0].op, made[0].qso, made[1].op, made[1].qso),
              std::make_tuple(QsoEvent::Op::Delete, "RUN1-3", QsoEvent::Op::Add, "RUN1-6"));

    table.setCell(0, LogTable::ColBand, "6");  // not a contest band: the others would refuse it
    EXPECT_TRUE(follow(own, table, 0).empty());
    EXPECT_NE(own.lastRefusal().find("S51AA"), std::string::npos) << own.lastRefusal();
    EXPECT_EQ(OwnEventLog(journal, "RUN1", 2).events(), own.events());
    OwnEventLog later(journal, "RUN1", 2, 1'000'000);  // seqs from a clock past the journal's
    table.setCell(0, LogTable::ColBand, "20");
    EXPECT_EQ(later.follow(table, 0).at(0).seq, 1'000'000u);
}

} // namespace

namespace {

TEST(StationRow, SaysWhatIsLackingAndAClockOffByMoreThanTwoSeconds)
{
    const std::optional<std::int64_t> none;
    const struct {
        int events, held;
        std::optional<std::int64_t> offset;
        bool complete;
        const char *heldText, *clock;
    } cases[] = {
        {20, 20, 0, true, "yes", ""},
        {20, 23, -2000, true, "yes", ""},  // more than it said: it published since
        {20, 17, 2000, false, "lacks 3 of 20", ""},
        {30000, 20700, 2001, false, "lacks 9300 of 30000", "clock off by +2 s"},
        {-1, 0, -5400, true, "?", "clock off by -5 s"},  // a status of a program without the count
        {0, 0, none, true, "yes", ""},                    // only retained statuses: the clock is not judged
    };
    for (const auto &c : cases) {
        StationStatus s;
        s.online = true, s.band = "40", s.mode = "CW", s.run = c.events > 20, s.qsos = 7;
        s.events = c.events, s.clockOffsetMs = c.offset, s.heardMs = 1796601600000 + 3723000;  // 2026-12-07 01:02:03
        const StationRow row = DescribeStation("RUN2", s, c.held);
        SCOPED_TRACE(c.heldText);
        EXPECT_EQ(std::tie(row.complete, row.held, row.clock), std::make_tuple(c.complete, c.heldText, c.clock));
        EXPECT_EQ(row.lastHeard, "01:02:03");
        EXPECT_EQ(row.runOrSp, c.events > 20 ? "Run" : "S/P");
    }
    EXPECT_EQ(DescribeStation("RUN3", StationStatus{}, 0).runOrSp, "") << "an offline station is neither";
    EXPECT_EQ(DescribeStation("RUN3", StationStatus{}, 0).lastHeard, "");
}

} // namespace
