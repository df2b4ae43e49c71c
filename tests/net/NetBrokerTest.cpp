#include "MosquittoRig.h"

#include "logging/DurableFile.h"
#include "net/NetStation.h"

#include <QDateTime>

#include <random>

namespace {

const int kWait = 30000;  // a loaded machine; a lost link is tried again every few seconds

// One position of the station: its own log and folder, sharing through the broker.
struct Position {
    std::string name;
    std::string broker;
    std::string user, password, caFile;  // a login, and TLS with caFile set
    TestFolder dir;
    LogTable table;
    int count = 0;
    std::unique_ptr<NetStation> net;

    Position(std::string station, const MosquittoRig &rig, std::string login = {}, std::string ca = {})
        : name(std::move(station)), broker(rig.address()), user(login.empty() ? "" : name), password(std::move(login)),
          caFile(std::move(ca))
    {
        table.setRowCount(100);
        start();
    }
    void start()
    {
        NetSettings s;
        s.Enabled = true, s.Broker = broker, s.Station = name, s.Group = "S50A";
        s.User = user, s.Password = password, s.Tls = !caFile.empty(), s.CaFile = caFile;
        net.reset();
        net = std::make_unique<NetStation>(table, s, "S50A", dir.path());
        std::string error;
        EXPECT_TRUE(net->start(error)) << error;
    }
    void log(const std::string &call)
    {
        table.commitQso(count, QsoRow{"12:00", call, "599", std::to_string(count + 1), "40", "CW", "2026-12-07"});
        ++count;
    }
    // The whole station's log as this position has it.
    std::string shared() const
    {
        std::string text;
        for (const QsoEvent &e : net->sharedLog().liveQsos())
            text += e.station + ":" + e.call + "/" + e.band + " ";
        return text;
    }
};

// Every position ends with the same log of count QSOs.
::testing::AssertionResult sameLogs(std::initializer_list<const Position *> positions, int count)
{
    const bool same = waitUntil([&] {
        for (const Position *p : positions)
            if (p->net->sharedLog().liveCount() != count || p->shared() != (*positions.begin())->shared())
                return false;
        return true;
    }, kWait);
    if (same)
        return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure() << "within " << kWait << " ms no common log of " << count << " QSOs:";
    for (const Position *p : positions)
        failure << "\n" << p->name << " (" << p->net->stateText() << "): " << p->shared();
    return failure;
}

class NetBroker : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!MosquittoRig::installed())
            GTEST_SKIP() << "mosquitto is not installed (Debian package mosquitto); the shared log's link is not tested";
    }
};

TEST_F(NetBroker, AddsEditsAndDeletesReachTheOtherWhoKeepsThemWithoutTheBroker)
{
    MosquittoRig broker;
    ASSERT_TRUE(broker.start()) << "mosquitto did not take connections in 10 s";
    Position run1("RUN1", broker), run2("RUN2", broker);
    ASSERT_TRUE(waitUntil([&] { return run1.net->isUp() && run2.net->isUp(); }, kWait))
        << run1.net->stateText() << " / " << run2.net->stateText();
    run1.log("S51A"), run1.log("S51B"), run1.log("S51C"), run2.log("S52A");
    run1.table.setCell(0, LogTable::ColCall, "S51AA");
    run1.table.deleteQso(--run1.count);
    ASSERT_TRUE(sameLogs({&run1, &run2}, 3));
    EXPECT_EQ(run2.shared(), "RUN1:S51AA/40 RUN1:S51B/40 RUN2:S52A/40 ");
    EXPECT_EQ(run2.net->dupeStation("S51B", "40", "CW"), "RUN1");
    EXPECT_EQ(run2.net->dupeStation("S51C", "40", "CW"), "");
    EXPECT_EQ(run2.net->dupeStation("S52A", "40", "CW"), "");  // its own: the own log's dupe check says so
    EXPECT_TRUE(waitUntil([&] { return run2.net->stations().count("RUN1") && run2.net->stations().at("RUN1").online; }, kWait));

    run1.net.reset();  // leaves: the broker tells the others
    EXPECT_TRUE(waitUntil([&] { return !run2.net->stations().at("RUN1").online; }, kWait)) << "RUN1 not seen leaving";
    broker.kill();
    run2.start();
    EXPECT_EQ(run2.shared(), "RUN1:S51AA/40 RUN1:S51B/40 RUN2:S52A/40 ") << "not kept in the journal";
    EXPECT_EQ(run2.net->refusedCount(), 0);
}

TEST_F(NetBroker, EveryoneHasEverythingAfterTheBrokerRestartsAndForALateJoiner)
{
    for (const bool persistent : {false, true}) {
        SCOPED_TRACE(persistent ? "broker keeps its store" : "broker restarted without its store");
        MosquittoRig broker(persistent);
        ASSERT_TRUE(broker.start()) << "mosquitto did not take connections in 10 s";
        Position run1("RUN1", broker), run2("RUN2", broker);
        for (int i = 0; i < 20; ++i)
            run1.log("S5" + std::to_string(i) + "A");
        ASSERT_TRUE(sameLogs({&run1, &run2}, 20));

        persistent ? broker.stop() : broker.kill();
        for (int i = 0; i < 5; ++i)
            run1.log("S5" + std::to_string(i) + "B"), run2.log("S5" + std::to_string(i) + "C");
        run2.table.setCell(0, LogTable::ColBand, "20");
        ASSERT_TRUE(broker.start()) << "mosquitto did not start again in 10 s";
        ASSERT_TRUE(sameLogs({&run1, &run2}, 30));

        Position mult("MULT", broker);
        EXPECT_TRUE(sameLogs({&run1, &run2, &mult}, 30)) << "the late joiner lacks QSOs";
        EXPECT_NE(mult.shared().find("RUN2:S50C/20"), std::string::npos) << mult.shared();
    }
}

// Three positions add, edit and delete at random while the broker dies and comes back without
// its store; QUILL_TEST_SEED reruns the rounds of a seed a run printed.
TEST_F(NetBroker, ThreePositionsLoggingAtRandomEndWithTheSameLog)
{
    const unsigned seed = qEnvironmentVariableIsSet("QUILL_TEST_SEED") ? qEnvironmentVariableIntValue("QUILL_TEST_SEED")
                                                                        : std::random_device{}();
    std::printf("seed %u (QUILL_TEST_SEED=%u reruns it)\n", seed, seed);
    std::mt19937 random(seed);
    MosquittoRig broker;
    ASSERT_TRUE(broker.start()) << "mosquitto did not take connections in 10 s";
    Position mult("MULT", broker), run1("RUN1", broker), run2("RUN2", broker);  // in the merged log's order
    Position *const all[] = {&mult, &run1, &run2};
    std::string rounds;
    for (int round = 0; round < 60; ++round) {
        if (round == 20)
            broker.kill();
        if (round == 30)
            ASSERT_TRUE(broker.start()) << "mosquitto did not start again in 10 s";
        Position &p = *all[random() % 3];
        std::vector<int> live;
        for (int row = 0; row < p.count; ++row)
            if (!p.table.row(row).Call.empty())
                live.push_back(row);
        const unsigned what = live.empty() ? 0 : random() % 4;
        const int row = live.empty() ? 0 : live[random() % live.size()];
        if (what < 2)
            p.log("S5" + std::to_string(round) + "A");
        else if (what == 2)
            p.table.setCell(row, LogTable::ColBand, round % 2 ? "20" : "80");
        else
            p.table.deleteQso(row);
        rounds += p.name + "+~-"[what < 2 ? 0 : what - 1] + std::to_string(what < 2 ? p.count - 1 : row) + " ";
    }
    std::printf("rounds: %s\n", rounds.c_str());

    std::string expected;
    int count = 0;
    for (const Position *p : all)
        for (int row = 0; row < p->count; ++row)
            if (const QsoRow &q = p->table.row(row); !q.Call.empty())
                expected += p->name + ":" + q.Call + "/" + q.Band + " ", ++count;
    ASSERT_TRUE(sameLogs({&mult, &run1, &run2}, count));
    EXPECT_EQ(run1.shared(), expected);
}

// The README's broker for a station: TLS, a login per position, and an ACL by which each may
// write only its own topics.
TEST_F(NetBroker, BehindTlsAndLoginsEachPositionWritesOnlyItsOwnTopics)
{
    TestFolder certs;
    const std::string at = certs.path();
    writeFileBytes(at + "san.ext", "subjectAltName=IP:127.0.0.1\n");
    const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    const std::string make = "cd '" + at + "' && openssl req -x509" + key + " -keyout ca.key -out ca.crt -days 2 -subj /CN=QuillTestCA"
                             + " && openssl req" + key + " -keyout server.key -out server.csr -subj /CN=127.0.0.1"
                             + " && openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2"
                             + " -extfile san.ext -out server.crt && mosquitto_passwd -c -b passwd RUN1 one"
                             + " && mosquitto_passwd -b passwd RUN2 two";
    ASSERT_EQ(std::system(make.c_str()), 0) << "could not make the certificates and logins (openssl, mosquitto_passwd)";
    writeFileBytes(at + "acl", "pattern read quillfeather/+/#\npattern write quillfeather/+/qso/%u/#\n"
                               "pattern write quillfeather/+/status/%u\n");
    std::filesystem::permissions(at + "passwd", std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    MosquittoRig broker(false, "cafile " + at + "ca.crt\ncertfile " + at + "server.crt\nkeyfile " + at + "server.key\n"
                                   "allow_anonymous false\npassword_file " + at + "passwd\nacl_file " + at + "acl\n");
    ASSERT_TRUE(broker.start()) << "mosquitto did not take connections in 10 s";
    Position run1("RUN1", broker, "one", at + "ca.crt"), run2("RUN2", broker, "two", at + "ca.crt");
    Position intruder("RUN3", broker, "wrong", at + "ca.crt");
    run1.log("S51A");
    ASSERT_TRUE(sameLogs({&run1, &run2}, 1));
    EXPECT_TRUE(waitUntil([&] { return intruder.net->stateText().find("check User and Password") != std::string::npos; }, kWait))
        << intruder.net->stateText();
    EXPECT_FALSE(intruder.net->isUp());

    // RUN2 speaking for RUN1: the broker drops it, and the QSO RUN2 logs after it arrives alone.
    QsoEvent forged;
    forged.station = "RUN1", forged.seq = 1, forged.qso = "RUN1-1", forged.date = "2026-12-07";
    forged.time = "1200", forged.call = "S59FAKE", forged.band = "40", forged.mode = "CW";
    MqttLink client;
    MqttOptions options;
    options.host = "127.0.0.1", options.port = broker.port(), options.user = "RUN2", options.password = "two";
    options.tls = true, options.caFile = at + "ca.crt";
    std::string error;
    ASSERT_TRUE(client.start(options, error)) << error;
    ASSERT_TRUE(waitUntil([&] { return client.isUp(); }, kWait)) << client.stateText();
    client.publish(EventTopic("S50A", "RUN1", 1), EncodeEvent(forged), true);
    run2.log("S52A");
    ASSERT_TRUE(sameLogs({&run1, &run2}, 2));
    EXPECT_EQ(run1.shared().find("S59FAKE"), std::string::npos) << run1.shared();
}

TEST_F(NetBroker, MessagesNotOursAreCountedAndReachNoFile)
{
    MosquittoRig broker;
    ASSERT_TRUE(broker.start()) << "mosquitto did not take connections in 10 s";
    Position run2("RUN2", broker);
    ASSERT_TRUE(waitUntil([&] { return run2.net->isUp(); }, kWait)) << run2.net->stateText();

    QsoEvent e;
    e.station = "RUN9", e.seq = 1, e.qso = "RUN9-1", e.call = "S59X", e.band = "40", e.mode = "CW";
    QsoEvent other = e;
    other.station = "RUN8", other.qso = "RUN8-1";
    const std::pair<std::string, QByteArray> hostile[] = {
        {EventTopic("S50A", "RUN7", 1), "not json"},
        {EventTopic("S50A", "RUN7", 2), R"({"station":"RUN7","seq":"2"})"},
        {EventTopic("S50A", "RUN7", 3), QByteArray(10 * 1024 * 1024, '{')},
        {EventTopic("S50A", "RUN9", 1), EncodeEvent(other)},  // a station speaking for another
        {EventTopic("S50A", "RUN9", 2), EncodeEvent(e)},      // its seq is not the topic's
        {"quillfeather/S50A/qso/RUN9", EncodeEvent(e)},
    };
    MqttLink client;  // any client of the broker, not a position of ours
    std::string error;
    MqttOptions options;
    options.host = "127.0.0.1", options.port = broker.port();
    ASSERT_TRUE(client.start(options, error)) << error;
    ASSERT_TRUE(waitUntil([&] { return client.isUp(); }, kWait)) << client.stateText();
    for (const auto &[t, payload] : hostile)
        ASSERT_TRUE(client.publish(t, payload, true)) << t;
    ASSERT_TRUE(client.publish(EventTopic("S50A", "RUN9", 1), EncodeEvent(e), true));

    EXPECT_TRUE(waitUntil([&] { return run2.net->refusedCount() == 6 && run2.net->sharedLog().liveCount() == 1; }, kWait))
        << run2.net->refusedCount() << " refused, the last: " << run2.net->lastRefusal();
    EXPECT_EQ(run2.shared(), "RUN9:S59X/40 ");
    run2.net.reset();  // its journals written to the end
    const std::string journal = readWholeFile(run2.dir.file("net-S50A-received.jsonl"));
    EXPECT_EQ(std::count(journal.begin(), journal.end(), '\n'), 1) << journal;
}

TEST_F(NetBroker, StatusesTellWhatIsLackingAndAClockOffOnlyWhenLive)
{
    MosquittoRig broker;
    ASSERT_TRUE(broker.start()) << "mosquitto did not take connections in 10 s";
    MqttLink client;  // RUN7, a position on a computer whose clock is off
    std::string error;
    MqttOptions options;
    options.host = "127.0.0.1", options.port = broker.port();
    ASSERT_TRUE(client.start(options, error)) << error;
    ASSERT_TRUE(waitUntil([&] { return client.isUp(); }, kWait)) << client.stateText();
    const auto status = [&](std::int64_t skewMs) {
        const std::int64_t utc = QDateTime::currentMSecsSinceEpoch() + skewMs;
        return client.publish(StatusTopic("S50A", "RUN7"),
                              R"({"station":"RUN7","online":true,"band":"20","mode":"CW","run":true,"qsos":1,)"
                              R"("events":3,"utc":)" + QByteArray::number(static_cast<qint64>(utc)) + "}",
                              true);
    };
    QsoEvent e;
    e.station = "RUN7", e.seq = 1, e.qso = "RUN7-1", e.call = "S59X", e.band = "20", e.mode = "CW";
    ASSERT_TRUE(client.publish(EventTopic("S50A", "RUN7", 1), EncodeEvent(e), true));
    client.subscribe(StatusTopic("S50A", "RUN7"));
    ASSERT_TRUE(status(-3600000));  // an hour old when RUN2 subscribes: no word on the clock
    ASSERT_TRUE(waitUntil([&] { return !client.takeMessages().empty(); }, kWait)) << "the broker does not hold RUN7's status";

    Position run1("RUN1", broker), run2("RUN2", broker);
    run1.log("S51A"), run1.log("S51B");
    const auto row = [&](const std::string &station) {
        for (const StationRow &r : run2.net->rows())
            if (r.station == station)
                return r;
        return StationRow{};
    };
    ASSERT_TRUE(waitUntil([&] {
        run1.net->setStatus("40", "CW", false);
        return row("RUN7").held == "lacks 2 of 3" && row("RUN1").held == "yes" && run2.net->sharedLog().liveCount() == 3
               && run2.net->stations().at("RUN1").events == 2;
    }, kWait)) << row("RUN7").held << " / " << row("RUN1").held;
    EXPECT_EQ(row("RUN7").clock, "") << "judged on a retained status";
    EXPECT_EQ(row("RUN7").runOrSp, "Run");
    EXPECT_EQ(row("RUN1").clock, "");

    ASSERT_TRUE(status(5000));
    EXPECT_TRUE(waitUntil([&] { return row("RUN7").clock == "clock off by +5 s"; }, kWait)) << row("RUN7").clock;

    ASSERT_TRUE(client.publish(StatusTopic("S50A", "RUN7"), R"({"station":"RUN7","online":false})", true));  // its will
    EXPECT_TRUE(waitUntil([&] { return !row("RUN7").online; }, kWait));
    const StationRow gone = row("RUN7");
    EXPECT_EQ(std::tie(gone.band, gone.qsos, gone.held), std::make_tuple("20", 1, "lacks 2 of 3"));
}

} // namespace
