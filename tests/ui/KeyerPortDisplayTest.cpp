// What the options window tells of the keyer's port: its name, why it did not open,
// and output the keyer holds back.
#include "keyer/KeyerRig.h"

#include "ui/KeyerWindow.h"

#include <QtWidgets>
#include <QtTest>

class KeyerPortDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void aFailedOpenShowsTheWholeReasonToTheOperator()
    {
        KeyerRig rig;
        std::string error;
        QVERIFY2(rig.start(&error), error.c_str());
        KeyerWindow w(rig.link);
        SerialPort holder;  // another program has the keyer's port
        holder.SetPort(rig.sim.slavePath());
        holder.Open();
        rig.port.SetPort(rig.sim.slavePath());
        w.show();
        w.BOpenCom->click();
        QCOMPARE(w.LInfo1->text(), QStringLiteral("Unable to open com port (Error: 16)"));
        QVERIFY(w.LInfo1->heightForWidth(w.LInfo1->width()) <= w.LInfo1->height());
        QVERIFY(w.LInfo1->toolTip().endsWith(QStringLiteral("Another program is using this port.")));
        auto *box = w.findChild<QMessageBox *>();
        QVERIFY(box && box->isVisible());
        QVERIFY(box->text().contains(QString::fromStdString(rig.sim.slavePath())));
        QVERIFY(box->text().endsWith(QStringLiteral("(Error: 16)\n\nAnother program is using this port.")));
        box->accept();

        rig.port.OnTxHold(rig.port, true);  // the keyer holds what is sent
        QVERIFY(w.LInfo1->text().contains(QStringLiteral("XOFF")));
        rig.port.OnTxHold(rig.port, false);
        QCOMPARE(w.LInfo1->text(), QStringLiteral("Unable to open com port (Error: 16)"));
    }

    void aLongPortNameShowsItsEnd()
    {
        KeyerRig rig;
        KeyerWindow w(rig.link);
        const std::string byId = "/dev/serial/by-id/usb-1a86_USB2.0-Serial-if00-port0";
        rig.port.SetPort(byId);
        w.show();
        const QString shown = w.LCCom->text();
        QVERIFY2(shown.endsWith(QStringLiteral("if00-port0")), qPrintable(shown));
        QVERIFY(w.LCCom->fontMetrics().horizontalAdvance(shown) <= w.LCCom->contentsRect().width());
        QCOMPARE(w.LCCom->toolTip(), QString::fromStdString(byId));
    }
};

QTEST_MAIN(KeyerPortDisplayTest)
#include "KeyerPortDisplayTest.moc"
