#include "keyer/KeyerLink.h"
#include "keyer/SimulatorProgram.h"
#include "serial/SerialPort.h"
#include "support/WindowRig.h"

#include <sstream>

// A practice QSO worked as the operator works it: the logger's window, its keyer link to
// the practice station on a pseudo-terminal, and the test copying what the callers send.
class PracticeSessionTest : public WindowTest {
    Q_OBJECT

    std::unique_ptr<SimulatorProgram> sim;
    std::unique_ptr<SerialPort> port;
    std::unique_ptr<KeyerLink> link;

    struct Sent {
        std::string who, text;
    };
    // What the callers sent (the station's --show lines) after the output's `from`.
    std::vector<Sent> sentSince(size_t from)
    {
        std::vector<Sent> sent;
        std::istringstream lines(sim->output().substr(from));
        for (std::string line; std::getline(lines, line);) {
            if (!line.starts_with("  "))
                continue;  // the station's own messages
            std::istringstream words(line);
            Sent s;
            words >> s.who;
            std::getline(words >> std::ws, s.text);
            sent.push_back(s);
        }
        return sent;
    }
    // The first transmission after `from` that fits, within ms milliseconds.
    std::optional<Sent> hear(size_t from, const std::function<bool(const Sent &)> &fits, int ms)
    {
        std::optional<Sent> got;
        QTest::qWaitFor([&] {
            for (const Sent &s : sentSince(from))
                if (!got && fits(s))
                    got = s;
            return got.has_value();
        }, ms);
        return got;
    }
    bool idle() { return QTest::qWaitFor([this] { return !st->KeyerBusy; }, 15000); }

private slots:
    void init()
    {
        cleanup();  // Qt skips cleanup() after a failed init(): end what that one left first
        newContest("S59ABC", "CW", "40");
        st->MyYearLic = "95";
        st->RunMode = true;
        st->EnterSendMsg = true;
        st->Speed = 36;
        st->F = {"CQ * TEST", "5NN #", "TU *", "*", "!", "", "AGN", "", ""};
        const QString folder = dir->path();
        sim = std::make_unique<SimulatorProgram>();
        std::string why;
        QVERIFY2(sim->start({"--practice", "--show", "--activity", "3", "--seed", "5", "--folder", folder, "--wav",
                             folder + "/practice.wav"},
                            &why),
                 why.c_str());
        port = std::make_unique<SerialPort>();
        link = std::make_unique<KeyerLink>(*contest, *port);
        ConfigureKeyerPort(*port);
        port->SetPort(sim->port);
        link->setPause([](int) {});
        QVERIFY(showWindow());
        link->OpenKeyerLink();
        QTRY_VERIFY(st->KeyerOnline);
    }
    void cleanup()
    {
        link.reset();
        port.reset();
        if (contest)
            endContest();
        sim.reset();
    }

    void qsoFromCqToScore()
    {
        // CQ until a caller is heard: his call, sent back as he sent it.
        std::optional<Sent> caller;
        for (int cq = 0; cq < 4 && !caller; ++cq) {
            const size_t from = sim->output().size();
            enter();
            QVERIFY2(idle(), "the CQ did not end");
            caller = hear(from, [](const Sent &s) { return s.who == s.text; }, 8000);
        }
        QVERIFY2(caller, "nobody answered four CQs");

        // Enter sends the call, the exchange follows by itself; he sends his.
        size_t from = sim->output().size();
        type(QString::fromStdString(caller->who));
        enter();
        const auto exchange = hear(from, [&](const Sent &s) { return s.who == caller->who && s.text.starts_with("5NN "); },
                                   15000);
        QVERIFY2(exchange, ("no exchange from " + caller->who + "; the station printed: " + sim->output().substr(from)).c_str());
        QVERIFY(idle());

        // His exchange typed, Enter logs the QSO and thanks him.
        type(QString::fromStdString(exchange->text.substr(4)));
        enter();
        QTRY_COMPARE(w->LQSO->text(), QStringLiteral("S59ABC QSO: 1"));
        QVERIFY2(idle(), "the thanks did not end");
        QTest::qWait(500);  // the station takes the over as ended

        from = sim->output().size();
        sim->command("score");
        QVERIFY2(sim->waitFor("Callers who logged you", 5000, from), sim->output().c_str());
        const std::string score = sim->output().substr(from);
        QVERIFY2(score.find("QSOs logged: 1 ") != std::string::npos && score.find("Good: 1\n") != std::string::npos
                     && score.find("Busted calls: 0\n") != std::string::npos,
                 score.c_str());
        QVERIFY(fileBytes(dir->filePath("S59ABC.practice.txt")).contains("Good: 1\r\n"));
        QVERIFY2(sim->quit(), sim->output().c_str());
    }
};

QTEST_MAIN(PracticeSessionTest)
#include "PracticeSessionTest.moc"
