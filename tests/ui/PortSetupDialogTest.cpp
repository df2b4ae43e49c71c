#include "serial/PtyPair.h"

#include "serial/ListComPorts.h"
#include "support/WindowRig.h"
#include "ui/PortSetupDialog.h"

namespace {

using DialogAnswerer = ModalAnswerer<PortSetupDialog>;

// Chooses an item as the operator does: by keyboard on the focused list.
void choose(PortComboBox *combo, const QString &text)
{
    const int target = combo->findText(text);
    QVERIFY2(target >= 0, qPrintable("no item " + text));
    combo->setFocus();
    if (combo->currentIndex() < 0)
        QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < combo->count() && combo->currentIndex() != target; ++i)
        QTest::keyClick(combo, combo->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
    QCOMPARE(combo->currentText(), text);
}

// The next widget the Tab key reaches (labels and the group box take no focus).
QWidget *nextTabStop(QWidget *w)
{
    do
        w = w->nextInFocusChain();
    while (!((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled()));
    return w;
}

} // namespace

class PortSetupDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PtyPair> a, b;

private slots:
    void init()
    {
        a = std::make_unique<PtyPair>();
        b = std::make_unique<PtyPair>();
        const std::string pa = a->slavePath, pb = b->slavePath;
        SetComPortLister([pa, pb](std::vector<std::string> &list) { list = {pb, pa, "/dev/ttyQF9"}; });
    }

    void cleanup()
    {
        SetComPortLister(nullptr);
        a.reset();
        b.reset();
    }

    // The dialog opens on the port's values, in its tab order; Cancel after selections changes
    // nothing; OK sends everything in one batch at the end, unchanged or not. Applies are counted
    // from the latest opening: the one on the first port, then a change of port opens anew.
    void okAppliesAllSixInOneBatchAndCancelNothing_data()
    {
        QTest::addColumn<bool>("change");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("applied");
        QTest::newRow("cancel after selections") << true << false << 1;
        QTest::newRow("ok without changes") << false << true << 2;
        QTest::newRow("ok after selections") << true << true << 1;
    }

    void okAppliesAllSixInOneBatchAndCancelNothing()
    {
        QFETCH(bool, change);
        QFETCH(bool, ok);
        QFETCH(int, applied);
        SerialPort port;
        keyerSettings(port, a->slavePath);
        port.Open();
        const SerialDcb before = port.BuildDcb();
        DialogAnswerer answer([&](PortSetupDialog &d) {
            QVERIFY(d.Button1->isDefault());
            const QStringList shown = {d.Combo1->currentText(), d.Combo2->currentText(), d.Combo3->currentText(),
                                       d.Combo4->currentText(), d.Combo5->currentText(), d.Combo6->currentText()};
            QCOMPARE(shown, QStringList({QString::fromStdString(a->slavePath), "1200", "8", "1", "None", "Software"}));
            QWidget *order[] = {d.Combo1, d.Combo2, d.Combo3, d.Combo4, d.Combo5, d.Combo6, d.Button1, d.Button2};
            for (int i = 0; i + 1 < 8; ++i)
                QCOMPARE(nextTabStop(order[i]), order[i + 1]);
            if (change) {
                choose(d.Combo1, QString::fromStdString(b->slavePath));
                choose(d.Combo2, "9600");
                choose(d.Combo3, "7");
                choose(d.Combo4, "2");
                choose(d.Combo5, "Even");
                choose(d.Combo6, "None");
                QCOMPARE(port.BaudRate(), br1200);  // nothing applied before OK
            }
            (ok ? d.Button1 : d.Button2)->click();
        });
        RunSetupDialog(port);
        QVERIFY(port.Connected());
        QCOMPARE(port.AppliedLine().ApplyCount, applied);
        QCOMPARE(port.UpdateCount(), 0);
        QCOMPARE(port.Port(), (change && ok ? b : a)->slavePath);
        QCOMPARE(port.BuildDcb() == before, !(change && ok));
        if (!(change && ok))
            return;
        QCOMPARE(port.BaudRate(), br9600);
        QCOMPARE(port.DataBits(), dbSeven);
        QCOMPARE(port.StopBits(), sbTwoStopBits);
        QCOMPARE(port.Parity().Bits(), prEven);
        QCOMPARE(port.FlowControl().FlowControl(), fcNone);
        QCOMPARE(port.FlowControl().ControlDTR(), dtrEnable);
        QCOMPARE(port.AppliedLine().DeviceBaudRate, 9600u);
    }

    // What the lists cannot show survives OK: a custom rate, a port not plugged in. Names as
    // older keyer window files store them select their listed path; "COM7" is the seventh
    // serial port of the keyer's original platform.
    void okKeepsWhatTheListsCannotShow_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("kept");
        QTest::newRow("custom rate") << "/dev/ttyUSB0" << "/dev/ttyUSB0" << "/dev/ttyUSB0";
        QTest::newRow("unplugged") << "/dev/ttyUSB7" << "" << "/dev/ttyUSB7";
        QTest::newRow("bare name") << "ttyUSB0" << "/dev/ttyUSB0" << "/dev/ttyUSB0";
        QTest::newRow("COM7") << "com7" << "/dev/ttyS6" << "/dev/ttyS6";
    }

    void okKeepsWhatTheListsCannotShow()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(QString, kept);
        SetComPortLister([](std::vector<std::string> &list) {
            list = {"/dev/serial/by-id/usb-1a86_USB2.0-Serial-if00-port0", "/dev/ttyS6", "/dev/ttyUSB0"};
        });
        SerialPort port;
        port.SetPort(stored.toStdString());
        port.SetBaudRate(brCustom);
        port.SetCustomBaudRate(250000);
        DialogAnswerer answer([shown](PortSetupDialog &d) {
            QCOMPARE(d.Combo1->currentText(), shown);
            QCOMPARE(d.Combo2->currentText(), QString("Custom"));
            d.Button1->click();
        });
        RunSetupDialog(port);
        QCOMPARE(QString::fromStdString(port.Port()), kept);
        QCOMPARE(port.BaudRate(), brCustom);
        QCOMPARE(port.CustomBaudRate(), 250000);
    }

    void aFailureToApplyReachesTheCallerAfterTheBatch()
    {
        SerialPort port;
        keyerSettings(port, a->slavePath);
        port.Open();
        DialogAnswerer answer([](PortSetupDialog &d) {
            choose(d.Combo1, "/dev/ttyQF9");  // listed, but nothing is there
            choose(d.Combo2, "4800");
            d.Button1->click();
        });
        const std::string said = failureOf([&] { RunSetupDialog(port); });
        QVERIFY2(said.starts_with("1: Unable to open com port (Error: 2)"), said.c_str());
        QCOMPARE(port.UpdateCount(), 0);
        QVERIFY(!port.Connected());
        QCOMPARE(port.BaudRate(), br1200);  // applying stopped at the port
        QVERIFY(!QApplication::activeModalWidget());
    }

    void comboForgetsAPortThatGoesAway()
    {
        PortComboBox combo;
        combo.SetComProperty(cpParity);
        QCOMPARE(combo.currentText(), QString("None"));
        {
            SerialPort port;
            port.Parity().SetBits(prMark);
            combo.SetComPort(&port);
            QCOMPARE(combo.currentText(), QString("Mark"));
            combo.SetAutoApply(true);
            choose(&combo, "Odd");
            QCOMPARE(port.Parity().Bits(), prOdd);
        }
        QVERIFY(combo.ComPort() == nullptr);
        QCOMPARE(combo.currentIndex(), 0);
        combo.SetText("Space");
        QCOMPARE(combo.Text(), std::string("Space"));
        combo.SetText("Nonsense");
        QCOMPARE(combo.Text(), std::string("Space"));
    }
};

QTEST_MAIN(PortSetupDialogTest)
#include "PortSetupDialogTest.moc"
