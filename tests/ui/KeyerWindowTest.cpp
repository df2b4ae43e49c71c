// The keyer options window driven as an operator does, on the offscreen platform,
// with the simulated keyer behind its port.
#include "keyer/KeyerRig.h"
#include "settings/MainSettings.h"
#include "support/WindowRig.h"
#include "ui/KeyerWindow.h"
#include "ui/MessagePanel.h"

class KeyerWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<KeyerRig> rig;
    std::unique_ptr<QWidget> mainWindow;
    std::unique_ptr<KeyerWindow> w;

    ContestState &st() { return rig->st; }
    std::string received() { return rig->sim.received(); }

private slots:
    void init()
    {
        rig = std::make_unique<KeyerRig>();
        std::string error;
        QVERIFY2(rig->start(&error), error.c_str());
        st().Sidetone = 4;
        st().Ratio = "50";
        mainWindow = std::make_unique<QWidget>();
        mainWindow->setGeometry(200, 150, 500, 500);
        mainWindow->show();
        w = std::make_unique<KeyerWindow>(rig->link, mainWindow.get());
        rig->port.SetPort(rig->sim.slavePath());
    }
    void cleanup()
    {
        w.reset();
        mainWindow.reset();
        if (QTest::currentTestFailed())
            rig->dir.setAutoRemove(false);
        rig.reset();
    }

    // Created hidden and first shown centred on the main window; where the operator leaves it
    // is written on Close and used the next time, kept on the screen.
    void positionIsCentredFirstThenStoredAndKeptOnTheScreen()
    {
        QVERIFY(!w->isVisible());
        rig->main.keyer().showOptions();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY((w->frameGeometry().center() - mainWindow->frameGeometry().center()).manhattanLength() < 4);
        QTRY_VERIFY(w->ECommand->hasFocus());
        QTRY_VERIFY(st().KeyerOnline);  // the status timer ran

        w->move(30, 40);
        QTRY_COMPARE(w->pos(), QPoint(30, 40));
        w->BClose->click();
        QVERIFY(!w->isVisible());
        const QString file = QString::fromStdString(KeyerWindowFile(rig->folder));
        // Whether a blank line parts the sections is the profile file's concern.
        const QByteArray written = fileBytes(file).replace("\r\n\r\n", "\r\n");
        const QByteArray expected = "[VIEW]\r\nWKTop=40\r\nWKLeft=30\r\n[ComPort]\r\nPort="
                                    + QByteArray::fromStdString(rig->sim.slavePath())
                                    + "\r\nBaudRate=1200\r\nStopBits=1\r\nDataBits=8\r\nParity=None\r\n"
                                      "FlowControl=Software\r\n";
        QCOMPARE(written, expected);

        const auto reopen = [&](const QByteArray &view) {
            w.reset();
            QVERIFY(view.isEmpty() || writeBytes(file, view));
            w = std::make_unique<KeyerWindow>(rig->link, mainWindow.get());
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        };
        reopen({});
        QCOMPARE(w->pos(), QPoint(30, 40));
        reopen("[VIEW]\r\nWKTop=-900\r\nWKLeft=5000\r\n");
        QVERIFY(w->screen()->availableGeometry().contains(w->frameGeometry()));
    }

    // The whole reason reaches the operator, whatever the label's width; output the keyer
    // holds back is told in its place while it lasts.
    void openComSaysWhyItFailedAndSendsHostModeThenTheOptions()
    {
        auto holder = std::make_unique<SerialPort>();  // another program has the keyer's port
        holder->SetPort(rig->sim.slavePath());
        holder->Open();
        w->show();
        w->BOpenCom->click();
        QCOMPARE(w->LInfo1->text(), QStringLiteral("Unable to open com port (Error: 16)"));
        QVERIFY(w->LInfo1->heightForWidth(w->LInfo1->width()) <= w->LInfo1->height());
        QVERIFY(w->LInfo1->toolTip().endsWith(QStringLiteral("Another program is using this port.")));
        auto *box = w->findChild<QMessageBox *>();
        QVERIFY(box && box->isVisible());
        QVERIFY(box->text().contains(QString::fromStdString(rig->sim.slavePath())));
        QVERIFY(box->text().endsWith(QStringLiteral("(Error: 16)\n\nAnother program is using this port.")));
        box->accept();
        rig->port.OnTxHold(rig->port, true);
        QVERIFY(w->LInfo1->text().contains(QStringLiteral("XOFF")));
        rig->port.OnTxHold(rig->port, false);
        QCOMPARE(w->LInfo1->text(), QStringLiteral("Unable to open com port (Error: 16)"));
        QCOMPARE(w->BOpenCom->text(), QStringLiteral("Open Com"));
        QVERIFY(rig->pauses.empty());

        holder.reset();
        st().PaddleWatchdog = true;
        st().PaddleEcho = true;
        w->BOpenCom->click();
        const std::string open = bytes({0x00, 0x02, 0x00, 0x04, 0x07, 0x02, 20, 0x0E, 0x94});
        const std::string options = bytes({0x0E, 0x80, 0x0E, 0xC0});
        const std::string sidetone = bytes({0x01, 0x05});  // the status timer: 800 Hz
        QVERIFY2(rig->received(open + options + sidetone), received().c_str());
        QTRY_COMPARE(w->LInfo->text(), QStringLiteral("Winkeyer 2 - Open"));
        QTRY_COMPARE(w->LInfo1->text(), QStringLiteral("WKConnected"));
        QCOMPARE(w->BOpenCom->text(), QStringLiteral("Close Com"));
        QCOMPARE(w->LCCom->text(), QString::fromStdString(rig->sim.slavePath()));
        QCOMPARE(rig->main.display.EWinkeyerColor, std::string(Colors::ColorGreen));
    }

    void showingAgainSendsNoModeFrame()
    {
        st().PaddleWatchdog = true;
        st().SerialEcho = true;
        QVERIFY(rig->openPlainPort());
        w->show();
        QVERIFY(waitUntil([&] { return received().find(bytes({0x0E, 0x80, 0x0E, 0x84})) != std::string::npos; }));
        w->hide();
        QTest::qWait(150);
        rig->sim.clearRecords();
        w->show();
        QTest::qWait(300);
        QVERIFY2(received().find('\x0E') == std::string::npos, received().c_str());
    }

    void writeToWinkeyerWaitsForTheStatusTimer()
    {
        rig->link.OpenKeyerLink();
        w->BWriteWK->click();  // before the timer's tick
        const std::string open = bytes({0x00, 0x02, 0x00, 0x04, 0x07, 0x02, 20, 0x0E, 0x94, 0x01, 0x05});
        QVERIFY2(rig->received(open), received().c_str());
        QVERIFY(st().KeyerOnline);

        rig->sim.clearRecords();
        w->ELead->setText(QStringLiteral("250"));
        w->BWriteWK->click();
        QVERIFY2(rig->received(bytes({0x04, 0xFA, 0x00, 0x10, 0x00, 0x11, 0x00, 0x17, 50})), received().c_str());
    }

    // With the port closed TUNE and Write to winkeyer say so and change nothing; choosing the
    // speed pot still shows the pot's speed and locks the speed box, sending nothing.
    void tuneAndWriteToWinkeyerWithThePortClosedSayPortNotOpen()
    {
        MessagePanel memo(rig->link, mainWindow.get());
        st().PaddleSpeed = "23";
        w->show();
        QTRY_VERIFY(st().KeyerOnline);  // showing the window ran the status timer
        const std::string mode = rig->main.display.BModeColor;
        BoxAnswerer boxes;
        for (QPushButton *button : {w->BTune, memo.BTune, w->BWriteWK}) {
            const QString caption = button->text();
            button->click();
            const QString shown = std::exchange(boxes.texts, {}).join('|');
            QVERIFY2(shown.startsWith(QStringLiteral("Port Not Open")), qPrintable(button->objectName() + shown));
            QCOMPARE(button->text(), caption);
        }
        QVERIFY(!st().TuneOn);
        QCOMPARE(rig->main.display.BModeColor, mode);
        w->SM3->click();
        QCOMPARE(w->EdSpeed->value(), 23);
        QVERIFY(!w->EdSpeed->isEnabled());
        w->SM2->click();
        QVERIFY(w->EdSpeed->isEnabled());
        QTest::qWait(150);
        QVERIFY(boxes.texts.isEmpty() && received().empty());
    }

    void sendSpeedRangeWithoutAMaximumShowsTheErrorAndSendsNothing()
    {
        QVERIFY(rig->openPlainPort());  // the window is not shown: no status timer sends
        w->ESpeedMin->setText(QStringLiteral("10"));
        w->ESpeedMax->clear();
        BoxAnswerer boxes;
        w->BSendSpeedRange->click();
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("'' is not a valid integer value")});
        QTest::qWait(150);
        QVERIFY(received().empty());
    }

    void f12InTheCommandBoxChangesOnlyLastKey()
    {
        QVERIFY(rig->openPlainPort());
        st().EnterSendMsg = true;
        w->show();
        w->ECommand->setText(QStringLiteral("599"));
        QTest::keyClick(w->ECommand, Qt::Key_F12);
        QCOMPARE(st().LastKey, std::string("Wipe"));
        QCOMPARE(w->ECommand->text(), QStringLiteral("599"));
        QVERIFY(w->CBESM->isChecked() && st().EnterSendMsg);
        QTest::qWait(150);
        QVERIFY(received().find_first_not_of(bytes({0x01, 0x05})) == std::string::npos);
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
};

QTEST_MAIN(KeyerWindowTest)
#include "KeyerWindowTest.moc"
