#include "net/MosquittoRig.h"
#include "net/NetStation.h"
#include "support/WindowRig.h"
#include "ui/GuiSupport.h"

// The shared log's box in the main window, against a real broker that dies mid-contest.
class NetBoxTest : public WindowTest {
    Q_OBJECT

    std::unique_ptr<NetStation> net;

    bool boxIs(bool up) const
    {
        const QColor want = colorFromText(up ? Colors::ColorGreen : Colors::ColorRed);
        return w->LNet->isVisible() && w->LNet->palette().color(QPalette::Window) == want;
    }

private slots:
    void init() { newContest("S50A", "CW", "40"); }
    void cleanup()
    {
        net.reset();
        endContest();
    }

    void boxTurnsRedWhenTheBrokerIsLostAndGreenWhenItIsBack()
    {
        if (!MosquittoRig::installed())
            QSKIP("mosquitto is not installed (Debian package mosquitto)");
        MosquittoRig broker;
        QVERIFY2(broker.start(), "mosquitto did not take connections in 10 s");
        QVERIFY(showWindow());
        QVERIFY2(!w->LNet->isVisible(), "a log not shared shows no box");

        NetSettings s;
        s.Enabled = true, s.Broker = broker.address(), s.Station = "RUN1", s.Group = "S50A";
        net = std::make_unique<NetStation>(*table, s, "S50A", dir->path().toStdString() + "/");
        connect(net.get(), &NetStation::stateChanged, w.get(), &MainWindow::showNetState);
        std::string error;
        QVERIFY2(net->start(error), error.c_str());
        const int wait = 30000;  // a lost link is tried again every few seconds
        QVERIFY2(QTest::qWaitFor([&] { return boxIs(true); }, wait), qPrintable("not green: " + w->LNet->toolTip()));

        broker.kill();
        QVERIFY2(QTest::qWaitFor([&] { return boxIs(false); }, wait), qPrintable("not red: " + w->LNet->toolTip()));
        QVERIFY2(w->LNet->toolTip().contains("is lost"), qPrintable(w->LNet->toolTip()));
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        enterLines({"S51A 599"});
        QVERIFY2(logText().contains("S51A"), "logging stopped with the broker");

        QVERIFY2(broker.start(), "mosquitto did not start again in 10 s");
        QVERIFY2(QTest::qWaitFor([&] { return boxIs(true); }, wait), qPrintable("not green again: " + w->LNet->toolTip()));
        QVERIFY(QTest::qWaitFor([&] { return net->sharedLog().liveCount() == 1; }, wait));

        // A journal that cannot be written keeps the QSO from the others: red until it can.
        const QString journal = dir->filePath("net-S50A-RUN1.jsonl");
        QVERIFY(QFile::rename(journal, journal + ".aside") && QDir().mkdir(journal));
        enterLines({"S51B 599"});
        QVERIFY2(QTest::qWaitFor([&] { return boxIs(false); }, wait), qPrintable("not red: " + w->LNet->toolTip()));
        QVERIFY2(w->LNet->toolTip().contains("Not shared yet"), qPrintable(w->LNet->toolTip()));
        QVERIFY(QDir().rmdir(journal) && QFile::rename(journal + ".aside", journal));
        QVERIFY2(QTest::qWaitFor([&] { return boxIs(true) && net->sharedLog().liveCount() == 2; }, wait),
                 qPrintable("the QSO was not shared once the journal could be written: " + w->LNet->toolTip()));
    }
};

QTEST_MAIN(NetBoxTest)
#include "NetBoxTest.moc"
