#include "keyer/KeyerLink.h"
#include "keyer/sim/WinKeyerSim.h"
#include "serial/SerialPort.h"
#include "support/WindowRig.h"
#include "ui/MessagePanel.h"

// A contest worked from the keyboard, the simulated keyer at the far end of a
// pseudo-terminal: what goes on the air, what the labels show, what is logged.
class WorkingContestTest : public WindowTest {
    Q_OBJECT

    std::unique_ptr<WinKeyerSim> sim;
    std::unique_ptr<SerialPort> port;
    std::unique_ptr<KeyerLink> link;
    std::unique_ptr<MessagePanel> memo;

    // Bytes the keyer received since the last call.
    std::string taken;
    std::string newBytes()
    {
        const std::string all = sim->received();
        std::string fresh = all.substr(taken.size());
        taken = all;
        return fresh;
    }
    // Waits until the keyer has received `expected` as its next bytes.
    bool keyerGets(const std::string &expected)
    {
        const size_t want = taken.size() + expected.size();
        // The GUI thread must go on handling the keyer's status bytes meanwhile.
        const bool arrived = QTest::qWaitFor([&] { return sim->received().size() >= want; }, 3000);
        const std::string fresh = newBytes();
        if (!arrived || fresh != expected)
            qWarning("keyer got [%s] (%s), expected [%s]", fresh.c_str(),
                     QByteArray::fromStdString(fresh).toHex(' ').constData(), expected.c_str());
        return arrived && fresh == expected;
    }
    bool typeEnterSends(const QString &text, const std::string &expected, const char *memo)
    {
        enterLines({text});
        return keyerGets(expected) && w->LMemo->text() == QLatin1String(memo);
    }
    bool nothingSent()
    {
        QTest::qWait(50);
        return newBytes().empty();
    }
    // The keyer has sent everything and said so.
    bool idle() { return QTest::qWaitFor([this] { return !st->KeyerBusy; }, 5000); }

    void buildWindows()
    {
        w = std::make_unique<MainWindow>(*contest);
        port = std::make_unique<SerialPort>();
        link = std::make_unique<KeyerLink>(*contest, *port);
        ConfigureKeyerPort(*port);
        port->SetPort(sim->slavePath());
        link->setPause([](int) {});
        memo = std::make_unique<MessagePanel>(*link, w.get());
    }
    // On line once the keyer took host open .. sidetone. The echo reply starts the status timer
    // again when it comes after the timer's first sidetone frame: the opening is over once that
    // timer has also sent its frame.
    bool openKeyer()
    {
        link->OpenKeyerLink();
        const bool online = QTest::qWaitFor([&] {
            return st->KeyerOnline && link->display.LInfo1 == "WKConnected" && !link->TimerReadWK.isActive()
                && sim->received().size() >= 11 && sim->received().ends_with("\x01\x01");
        }, 3000);
        newBytes();
        return online;
    }

private slots:
    void init()
    {
        cleanup();  // Qt skips cleanup() after a failed init(): end what that one left first
        taken.clear();
        sim = std::make_unique<WinKeyerSim>();
        std::string error;
        QVERIFY2(sim->start(&error), error.c_str());
        sim->setTimeScale(0.05);
        if (QTest::currentTestFunction() == QLatin1String("firstStartWorksAQsoFromTheDefaults"))
            return;

        newContest("S59ABC", "CW", "40");
        st->MyYearLic = "95";
        st->RunMode = true;
        st->EnterSendMsg = true;
        st->Speed = 24;
        st->SpeedStep = 1;
        st->SpeedMode = 1;
        st->SerialEcho = true;
        st->Short9N = true;
        st->F = {"CQ * TEST", "5NN #", "TU *", "*", "!", "", "AGN 599", "", ""};
        st->Fs = {"SP1", "SP2 #", "", "", "", "", "", "", ""};
        buildWindows();
        memo->show();
        QVERIFY(showWindow());
        QVERIFY(w->screen()->availableGeometry().contains(memo->frameGeometry()));
        QVERIFY(openKeyer());
    }
    void cleanup()
    {
        memo.reset();
        link.reset();
        port.reset();
        endContest();
        sim.reset();
    }

    void runQsoWithEsm()
    {
        // Enter on an empty line calls CQ.
        QVERIFY(typeEnterSends({}, "CQ S59ABC TEST ", "F1"));
        QVERIFY(idle());
        QTRY_COMPARE(w->LTransmit->text(), QStringLiteral("CQ S59ABC TEST "));

        // The call goes out as typed, and what is typed meanwhile follows it.
        enterLines({"S5XY"});
        QCOMPARE(w->LMemo->text(), QStringLiteral("F5"));
        type(QStringLiteral("Z"));
        QVERIFY(keyerGets("S5XYZ"));
        // Idle: the exchange follows by itself, and the line gets its blank.
        QVERIFY(keyerGets(" 5NN 95 "));
        QTRY_COMPARE(w->ECall->text(), QStringLiteral("S5XYZ "));
        QCOMPARE(st->EsmState, EsmStep::AwaitingExchange);
        QCOMPARE(w->LMemo->text(), QStringLiteral("F2"));
        QVERIFY(idle());

        // Enter without the exchange repeats it.
        QVERIFY(typeEnterSends({}, "5NN 95 ", "F2"));
        QCOMPARE(st->EsmState, EsmStep::AwaitingExchange);
        QVERIFY(idle());

        // Enter with the exchange logs the QSO and thanks the station.
        QVERIFY(typeEnterSends(QStringLiteral("1987"), "TU S59ABC ", "F3"));
        QCOMPARE(w->LQSO->text(), QStringLiteral("S59ABC QSO: 1"));
        QCOMPARE(logText(), QStringLiteral("2013-04-14 0712 S5XYZ 1987 40 CW\r\n"));
        QCOMPARE(w->ECall->text(), QString());
        QCOMPARE(st->EsmState, EsmStep::Idle);
        QCOMPARE(w->Lcwtx->text(), QStringLiteral("0"));
        QVERIFY(idle());

        // A call changed after it went out starts over: the next Enter sends the corrected call.
        QVERIFY(typeEnterSends(QStringLiteral("S5ABD"), "S5ABD", "F5"));
        QVERIFY(keyerGets(" 5NN 95 "));
        QTRY_COMPARE(st->EsmState, EsmStep::AwaitingExchange);
        QVERIFY(idle());
        w->ECall->setText(QStringLiteral("S5ABC 1987"));
        QCOMPARE(st->EsmState, EsmStep::Idle);
        enter();
        QVERIFY(keyerGets("S5ABC"));  // never the exchange received
    }

    // No settings file: ready for CW on 80 m at 25 wpm in Run with the standard messages,
    // the setup panel open on the own call, and no log until the first QSO.
    void firstStartWorksAQsoFromTheDefaults()
    {
        newContest("", "", "", true);
        buildWindows();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QTRY_VERIFY(w->EMyCall->hasFocus());
        QCOMPARE(w->EMode->currentText() + w->EBand->currentText() + w->LSpeed->text() + w->LRun->text(),
                 QStringLiteral("CW3.525RUN"));
        QVERIFY(!st->EnterSendMsg);
        QTest::keyClicks(w->EMyCall, QStringLiteral("9ABC"));
        QTest::keyClicks(w->EExchange, QStringLiteral("95"));
        QTest::keyClick(w->EExchange, Qt::Key_Escape);
        QTRY_VERIFY(w->ECall->hasFocus());
        QVERIFY(openKeyer());
        key(Qt::Key_F12);
        const std::string at25("\x02\x19", 2);  // Set WPM Speed 25: the pot serves the paddle
        QVERIFY(typeEnterSends({}, at25 + "CQ TEST S59ABC S59ABC ", "F1"));
        QVERIFY(idle());
        QVERIFY(typeEnterSends(QStringLiteral("S5XYZ"), "S5XYZ", "F5"));
        QVERIFY(keyerGets(at25 + " S5XYZ 5NN 95 "));
        QVERIFY(idle());
        QVERIFY(typeEnterSends(QStringLiteral("599"), at25 + "TU S59ABC ", "F3"));
        QCOMPARE(QDir(dir->path()).entryList({"*.log"}), QStringList({"S59ABC.log"}));
        QCOMPARE(logText(), QStringLiteral("2013-04-14 0712 S5XYZ 599 80 CW\r\n"));
    }

    void searchAndPounceWithEsm()
    {
        key(Qt::Key_F10);
        QCOMPARE(w->LRun->text(), QStringLiteral("S/P"));
        QCOMPARE(memo->LMemoRun->text(), QStringLiteral("S/P"));

        // Enter on an empty line sends the own call and arms the exchange; with the other
        // station's call: the exchange, with its cut numbers.
        QVERIFY(typeEnterSends({}, "S59ABC ", "F4"));
        QVERIFY(st->SpExchangeDue);
        QVERIFY(idle());
        QVERIFY(typeEnterSends(QStringLiteral("S5XYZ"), "5NN 95 ", "F2"));
        QVERIFY(idle());

        // With the received exchange: logged.
        enterLines({" 1987"});
        QCOMPARE(logText(), QStringLiteral("2013-04-14 0712 S5XYZ 1987 40 CW\r\n"));
        QVERIFY(nothingSent());

        // A call without exchange, the exchange not armed: a request for a repeat.
        st->SpExchangeDue = false;
        QVERIFY(typeEnterSends(QStringLiteral("S5QQ"), "AGN 5NN ", "F7"));
        QVERIFY(idle());

        // Esc restarts the sequence.
        key(Qt::Key_Escape);
        QCOMPARE(st->SpStep, SpStage::Start);
        w->ECall->clear();
        enter();
        QVERIFY(keyerGets("\x0A" "S59ABC "));
    }

    void speedKeys()
    {
        // From, key, to, the byte sent (none at the limit or with the keyer not connected).
        const struct { int from; Qt::Key key; int to; const char *sent; } cases[] = {
            {49, Qt::Key_PageUp, 51, "\x02\x33"}, {50, Qt::Key_PageUp, 50, ""}, {11, Qt::Key_PageDown, 9, "\x02\x09"}};
        st->SpeedStep = 2;
        for (const auto &c : cases) {
            st->Speed = c.from;
            key(c.key);
            QVERIFY(*c.sent ? keyerGets(std::string(c.sent, 2)) : nothingSent());
            QCOMPARE(st->Speed, c.to);
        }
        QCOMPARE(w->LSpeed->text(), QStringLiteral("9"));
        st->ComConnected = false;
        st->Speed = 20;
        key(Qt::Key_PageUp);
        QCOMPARE(st->Speed, 20);
        QVERIFY(nothingSent());
    }

    void tuneEscAndMessageKeys()
    {
        key(Qt::Key_T, Qt::ControlModifier);
        QVERIFY(keyerGets(std::string("\x0B\x01", 2)));
        QTRY_COMPARE(link->display.LTun, std::string("TUNE"));  // the keyer says it keys down
        QCOMPARE(w->LTransmit->text(), QString());  // and that is no echo
        QCOMPARE(memo->BTune->text(), QStringLiteral("TUNE ON"));
        QCOMPARE(w->ECall->text(), QString());  // the T never reaches the line

        // Esc clears the keyer's buffer but leaves the tune on; the panel's button reads TUNE.
        // (The keyer's idle report that follows the cleared buffer is what ends the tune.)
        key(Qt::Key_Escape);
        QVERIFY(st->TuneOn);
        QCOMPARE(memo->BTune->text(), QStringLiteral("TUNE"));
        QVERIFY(keyerGets("\x0A"));
        QTRY_VERIFY(!st->TuneOn);

        // F10 twice returns to Run, ESM state 0 both times.
        for (int i = 0; i < 2; ++i) {
            key(Qt::Key_F10);
            QCOMPARE(st->EsmState, EsmStep::Idle);
        }
        QCOMPARE(memo->LMemoRun->text(), QStringLiteral("RUN"));

        key(Qt::Key_F11);
        QVERIFY(keyerGets("Z Z "));
        QCOMPARE(w->LMemo->text(), QStringLiteral("Z Z"));
        QVERIFY(idle());

        // F12 switches ESM off and on, with both labels.
        for (bool on : {false, true}) {
            key(Qt::Key_F12);
            QCOMPARE(st->EnterSendMsg, on);
            QCOMPARE(w->LESM->isVisible(), on);
            QCOMPARE(memo->LMemoESM->isVisible(), on);
        }
    }

    void phoneDisablesTheKeysAndLogsEveryEnter()
    {
        contest->modeSelected(1);
        QVERIFY(!port->Connected());  // phone closes the keyer link
        newBytes();
        for (Qt::Key k : {Qt::Key_F1, Qt::Key_F10, Qt::Key_F11, Qt::Key_F12, Qt::Key_PageUp})
            key(k);
        key(Qt::Key_T, Qt::ControlModifier);
        QVERIFY(st->RunMode && st->EnterSendMsg && !st->TuneOn);
        QCOMPARE(st->Speed, 24);
        enterLines({"S5PH", "S5PH 59"});
        QCOMPARE(logText(), QStringLiteral("2013-04-14 0712 S5PH  40 SSB\r\n2013-04-14 0712 S5PH 59 40 SSB\r\n"));
    }

    void shortCallStrayCharactersAndCwWithoutEsm()
    {
        enterLines({"S5"});
        QVERIFY(nothingSent());
        type(QStringLiteral(",-?"));
        QCOMPARE(w->ECall->text(), QStringLiteral("S5"));

        // Without ESM a QSO needs the call and the exchange, and nothing is sent.
        key(Qt::Key_F12);
        enterLines({"ABC"});
        QCOMPARE(st->QsoCount, 0);
        enterLines({" 1987"});
        QCOMPARE(st->QsoCount, 1);
        QVERIFY(nothingSent());
    }
};

QTEST_MAIN(WorkingContestTest)
#include "WorkingContestTest.moc"
