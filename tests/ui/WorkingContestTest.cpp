#include "keyer/KeyerLink.h"
#include "ui/MessagePanel.h"
#include "keyer/sim/WinKeyerSim.h"
#include "logging/Contest.h"
#include "ui/MainWindow.h"
#include "support/FixedClock.h"
#include "serial/SerialPort.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace std::chrono_literals;

namespace {

std::string hex(const std::string &bytes)
{
    std::string out;
    char buf[4];
    for (unsigned char b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", b);
        out += buf;
    }
    return out;
}

} // namespace

// A contest worked from the keyboard, the simulated keyer at the far end of a
// pseudo-terminal: what goes on the air, what the labels show, what is logged.
class WorkingContestTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<WinKeyerSim> sim;
    std::unique_ptr<ContestState> st;
    std::unique_ptr<LogTable> table;
    FixedClock clock;
    std::unique_ptr<Contest> contest;
    std::unique_ptr<MainWindow> w;
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
        QTest::qWaitFor([&] { return sim->received().size() >= want; }, 3000);
        const std::string fresh = newBytes();
        if (fresh != expected)
            qWarning("keyer got [%s] (%s), expected [%s]", fresh.c_str(), hex(fresh).c_str(), expected.c_str());
        return fresh == expected;
    }
    bool nothingSent()
    {
        QTest::qWait(50);
        return newBytes().empty();
    }
    void enter() { QTest::keyClick(w->ECall, Qt::Key_Return); }
    void type(const QString &text) { QTest::keyClicks(w->ECall, text); }
    // The keyer has sent everything and said so.
    bool idle() { return QTest::qWaitFor([this] { return !st->KeyerBusy; }, 5000); }
    QString logText() const
    {
        QFile f(dir->filePath(QStringLiteral("S59ABC.log")));
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        taken.clear();
        sim = std::make_unique<WinKeyerSim>();
        std::string error;
        QVERIFY2(sim->start(&error), error.c_str());
        sim->setTimeScale(0.05);

        st = std::make_unique<ContestState>();
        st->MyCall = "S59ABC";
        st->MyYearLic = "95";
        st->Mode = "CW";
        st->EModeIndex = 0;
        st->Band = "40";
        st->RunMode = true;
        st->EnterSendMsg = true;
        st->Speed = 24;
        st->SpeedStep = 1;
        st->SpeedMode = 1;
        st->SerialEcho = true;
        st->Short9N = true;
        st->F = {"CQ * TEST", "5NN #", "TU *", "*", "!", "", "AGN 599", "", ""};
        st->Fs = {"SP1", "SP2 #", "", "", "", "", "", "", ""};
        table = std::make_unique<LogTable>();
        contest = std::make_unique<Contest>(*st, *table, clock, dir->path().toStdString() + "/");
        w = std::make_unique<MainWindow>(*contest);
        port = std::make_unique<SerialPort>();
        link = std::make_unique<KeyerLink>(*contest, *port);
        ConfigureKeyerPort(*port);
        port->SetPort(sim->slavePath());
        link->setPause([](int) {});
        memo = std::make_unique<MessagePanel>(*link, w.get());
        w->show();
        memo->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));

        link->OpenKeyerLink();
        QTRY_VERIFY(st->KeyerOnline);
        QTRY_COMPARE(w->ECall->hasFocus(), true);
        QTest::qWaitFor([&] { return sim->received().size() >= 11; }, 2000);  // host open .. sidetone
        newBytes();
    }
    void cleanup()
    {
        memo.reset();
        link.reset();
        port.reset();
        w.reset();
        contest.reset();
        sim.reset();
        if (QTest::currentTestFailed())
            dir->setAutoRemove(false);
    }

    void runQsoWithEsm()
    {
        // Enter on an empty line calls CQ.
        enter();
        QVERIFY(keyerGets("CQ S59ABC TEST "));
        QCOMPARE(w->LMemo->text(), QStringLiteral("F1"));
        QVERIFY(idle());
        QTRY_COMPARE(w->LTransmit->text(), QStringLiteral("CQ S59ABC TEST "));

        // The call goes out as typed, and what is typed meanwhile follows it.
        type(QStringLiteral("S5XY"));
        enter();
        QCOMPARE(w->LMemo->text(), QStringLiteral("F5"));
        type(QStringLiteral("Z"));
        QVERIFY(keyerGets("S5XYZ"));
        // Idle: the exchange follows by itself, and the line gets its blank.
        QVERIFY(keyerGets(" 5NN 95 "));
        QTRY_COMPARE(w->ECall->text(), QStringLiteral("S5XYZ "));
        QCOMPARE(st->EsmState, 1);
        QCOMPARE(w->LMemo->text(), QStringLiteral("F2"));
        QVERIFY(idle());

        // Enter without the exchange repeats it.
        enter();
        QVERIFY(keyerGets("5NN 95 "));
        QCOMPARE(st->EsmState, 1);
        QVERIFY(idle());

        // Enter with the exchange logs the QSO and thanks the station.
        type(QStringLiteral("1987"));
        enter();
        QVERIFY(keyerGets("TU S59ABC "));
        QCOMPARE(w->LMemo->text(), QStringLiteral("F3"));
        QCOMPARE(w->LQSO->text(), QStringLiteral("S59ABC QSO: 1"));
        QCOMPARE(w->Log->model()->index(0, 1).data().toString(), QStringLiteral("S5XYZ"));
        QCOMPARE(w->Log->model()->index(0, 2).data().toString(), QStringLiteral("1987"));
        QCOMPARE(logText(), QStringLiteral("2013-04-14 0712 S5XYZ 1987 40 CW\r\n"));
        QCOMPARE(w->ECall->text(), QString());
        QCOMPARE(st->EsmState, 0);
        QCOMPARE(w->Lcwtx->text(), QStringLiteral("0"));
        QVERIFY(idle());

        // A call changed after it went out starts over: the next Enter sends the corrected call.
        type(QStringLiteral("S5ABD"));
        enter();
        QVERIFY(keyerGets("S5ABD"));
        QVERIFY(keyerGets(" 5NN 95 "));
        QTRY_COMPARE(st->EsmState, 1);
        QVERIFY(idle());
        w->ECall->setText(QStringLiteral("S5ABC "));
        QCOMPARE(st->EsmState, 0);
        enter();
        QVERIFY(keyerGets("S5ABC "));
    }

    void searchAndPounceWithEsm()
    {
        QTest::keyClick(w->ECall, Qt::Key_F10);
        QCOMPARE(w->LRun->text(), QStringLiteral("S/P"));
        QCOMPARE(memo->LMemoRun->text(), QStringLiteral("S/P"));

        // Enter on an empty line sends the own call and arms the exchange.
        enter();
        QVERIFY(keyerGets("S59ABC "));
        QCOMPARE(w->LMemo->text(), QStringLiteral("F4"));
        QVERIFY(st->SpExchangeDue);
        QVERIFY(idle());

        // With the other station's call: the exchange, with its cut numbers.
        type(QStringLiteral("S5XYZ"));
        enter();
        QVERIFY(keyerGets("5NN 95 "));
        QCOMPARE(w->LMemo->text(), QStringLiteral("F2"));
        QVERIFY(idle());

        // With the received exchange: logged.
        type(QStringLiteral(" 1987"));
        enter();
        QCOMPARE(st->QsoCount, 1);
        QCOMPARE(logText(), QStringLiteral("2013-04-14 0712 S5XYZ 1987 40 CW\r\n"));
        QVERIFY(nothingSent());

        // A call without exchange, the exchange not armed: a request for a repeat.
        st->SpExchangeDue = false;
        type(QStringLiteral("S5QQ"));
        enter();
        QVERIFY(keyerGets("AGN 5NN "));
        QCOMPARE(w->LMemo->text(), QStringLiteral("F7"));
        QVERIFY(idle());

        // Esc restarts the sequence.
        QTest::keyClick(w->ECall, Qt::Key_Escape);
        QCOMPARE(st->SpStep, 0);
        w->ECall->clear();
        enter();
        QVERIFY(keyerGets("\x0A" "S59ABC "));
    }

    void speedKeys()
    {
        st->SpeedStep = 2;
        st->Speed = 49;
        QTest::keyClick(w->ECall, Qt::Key_PageUp);
        QVERIFY(keyerGets(std::string("\x02\x33", 2)));
        QCOMPARE(w->LSpeed->text(), QStringLiteral("51"));
        st->Speed = 50;
        QTest::keyClick(w->ECall, Qt::Key_PageUp);
        QCOMPARE(st->Speed, 50);
        st->Speed = 11;
        QTest::keyClick(w->ECall, Qt::Key_PageDown);
        QVERIFY(keyerGets(std::string("\x02\x09", 2)));
        QCOMPARE(st->Speed, 9);
        st->ComConnected = false;
        st->Speed = 20;
        QTest::keyClick(w->ECall, Qt::Key_PageUp);
        QCOMPARE(st->Speed, 20);
        QVERIFY(nothingSent());
    }

    void tuneEscAndMessageKeys()
    {
        QTest::keyClick(w->ECall, Qt::Key_T, Qt::ControlModifier);
        QVERIFY(keyerGets(std::string("\x0B\x01", 2)));
        QTRY_VERIFY(st->TuneOn);
        QCOMPARE(memo->BTune->text(), QStringLiteral("TUNE ON"));
        QCOMPARE(w->ECall->text(), QString());  // the T never reaches the line

        // Esc clears the keyer's buffer but leaves the tune on; the panel's button reads TUNE.
        // (The keyer's idle report that follows the cleared buffer is what ends the tune.)
        QTest::keyClick(w->ECall, Qt::Key_Escape);
        QVERIFY(st->TuneOn);
        QCOMPARE(memo->BTune->text(), QStringLiteral("TUNE"));
        QVERIFY(keyerGets("\x0A"));
        QTRY_VERIFY(!st->TuneOn);

        // F10 twice returns to Run, ESM state 0 both times.
        QTest::keyClick(w->ECall, Qt::Key_F10);
        QCOMPARE(st->EsmState, 0);
        QTest::keyClick(w->ECall, Qt::Key_F10);
        QCOMPARE(w->LRun->text(), QStringLiteral("RUN"));
        QCOMPARE(memo->LMemoRun->text(), QStringLiteral("RUN"));
        QCOMPARE(st->EsmState, 0);

        QTest::keyClick(w->ECall, Qt::Key_F11);
        QVERIFY(keyerGets("Z Z "));
        QCOMPARE(w->LMemo->text(), QStringLiteral("Z Z"));
        QVERIFY(idle());

        // F12 switches ESM off and on, with both labels.
        QVERIFY(w->LESM->isVisible());
        QTest::keyClick(w->ECall, Qt::Key_F12);
        QVERIFY(!st->EnterSendMsg);
        QVERIFY(!w->LESM->isVisible());
        QVERIFY(!memo->LMemoESM->isVisible());
        QTest::keyClick(w->ECall, Qt::Key_F12);
        QVERIFY(st->EnterSendMsg);
        QVERIFY(memo->LMemoESM->isVisible());
    }

    void phoneDisablesTheKeysAndLogsEveryEnter()
    {
        contest->modeSelected(1);
        QVERIFY(!port->Connected());  // phone closes the keyer link
        newBytes();
        for (Qt::Key key : {Qt::Key_F1, Qt::Key_F10, Qt::Key_F11, Qt::Key_F12, Qt::Key_PageUp})
            QTest::keyClick(w->ECall, key);
        QTest::keyClick(w->ECall, Qt::Key_T, Qt::ControlModifier);
        QVERIFY(st->RunMode);
        QVERIFY(st->EnterSendMsg);
        QCOMPARE(st->Speed, 24);
        type(QStringLiteral("S5PH"));
        enter();
        type(QStringLiteral("S5PH 59"));
        enter();
        QCOMPARE(st->QsoCount, 2);
        QCOMPARE(logText(), QStringLiteral("2013-04-14 0712 S5PH  40 SSB\r\n2013-04-14 0712 S5PH 59 40 SSB\r\n"));
    }

    void cwWithoutEsmNeedsCallAndExchange()
    {
        QTest::keyClick(w->ECall, Qt::Key_F12);
        type(QStringLiteral("S5ABC"));
        enter();
        QCOMPARE(st->QsoCount, 0);
        type(QStringLiteral(" 1987"));
        enter();
        QCOMPARE(st->QsoCount, 1);
        QVERIFY(nothingSent());
    }

    void shortCallAndStrayCharacters()
    {
        type(QStringLiteral("S5"));
        enter();
        QVERIFY(nothingSent());
        QVERIFY(!st->KeyerBusy);
        type(QStringLiteral(",-?"));
        QCOMPARE(w->ECall->text(), QStringLiteral("S5"));
    }
};

QTEST_MAIN(WorkingContestTest)
#include "WorkingContestTest.moc"
