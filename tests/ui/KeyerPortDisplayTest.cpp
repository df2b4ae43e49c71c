// What the options window tells of the keyer's port: its name, why it did not open,
// and output the keyer holds back.
#include "keyer/KeyerRig.h"

#include "ui/KeyerWindow.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <memory>

class KeyerPortDisplayTest : public QObject {
    Q_OBJECT

    std::unique_ptr<KeyerRig> rig;
    std::unique_ptr<KeyerWindow> w;

private slots:
    void init()
    {
        rig = std::make_unique<KeyerRig>();
        std::string error;
        QVERIFY2(rig->start(&error), error.c_str());
        w = std::make_unique<KeyerWindow>(rig->link);
        rig->port.SetPort(rig->sim.slavePath());
    }
    void cleanup()
    {
        w.reset();
        rig.reset();
    }

    void aFailedOpenShowsTheWholeReasonToTheOperator()
    {
        SerialPort holder;  // another program has the keyer's port
        holder.SetPort(rig->sim.slavePath());
        holder.Open();
        w->show();
        w->BOpenCom->click();
        QVERIFY(!rig->port.Connected());
        QCOMPARE(w->LInfo1->text(), QStringLiteral("Unable to open com port (Error: 16)"));
        QVERIFY(w->LInfo1->heightForWidth(w->LInfo1->width()) <= w->LInfo1->height());
        QVERIFY(w->LInfo1->toolTip().contains(QStringLiteral("Another program is using this port.")));
        auto *box = w->findChild<QMessageBox *>();
        QVERIFY(box && box->isVisible());
        QVERIFY(box->text().contains(QString::fromStdString(rig->sim.slavePath())));
        QVERIFY(box->text().contains(QStringLiteral("Unable to open com port (Error: 16)")));
        QVERIFY(box->text().contains(QStringLiteral("Another program is using this port.")));
        box->accept();

        holder.Close();
        w->BOpenCom->click();
        QVERIFY(rig->port.Connected());
        QVERIFY(w->LInfo1->toolTip().isEmpty());
        QTRY_VERIFY(w->findChildren<QMessageBox *>().isEmpty());
    }

    void aLongPortNameShowsItsEnd()
    {
        const std::string byId = "/dev/serial/by-id/usb-1a86_USB2.0-Serial-if00-port0";
        rig->port.SetPort(byId);
        w->show();
        const QString shown = w->LCCom->text();
        QVERIFY2(shown.endsWith(QStringLiteral("if00-port0")), qPrintable(shown));
        QVERIFY(w->LCCom->fontMetrics().horizontalAdvance(shown) <= w->LCCom->contentsRect().width());
        QCOMPARE(w->LCCom->toolTip(), QString::fromStdString(byId));
    }

    void heldOutputIsShownUntilItMovesAgain()
    {
        // The test's own end of the keyer's line shows when the keyer's XOFF has stopped it.
        const int line = ::open(rig->sim.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(line >= 0);
        rig->port.Open();
        rig->sim.sendRaw("\x13");
        pollfd writable{line, POLLOUT, 0};
        QTRY_VERIFY(::poll(&writable, 1, 0) == 0);
        rig->port.WriteText("CQ");
        QTRY_VERIFY(w->LInfo1->text().contains(QStringLiteral("XOFF")));
        rig->sim.sendRaw("\x11");
        QTRY_VERIFY(w->LInfo1->text().isEmpty());
        QVERIFY(rig->sim.waitForReceived(2, std::chrono::seconds(3)));
        ::close(line);
    }
};

QTEST_MAIN(KeyerPortDisplayTest)
#include "KeyerPortDisplayTest.moc"
