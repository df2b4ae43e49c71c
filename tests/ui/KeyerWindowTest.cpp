// The keyer options window driven as an operator does, on the offscreen platform,
// with the simulated keyer behind its port.
#include "keyer/KeyerRig.h"

#include "ui/KeyerWindow.h"
#include "ui/MessagePanel.h"
#include "settings/MainSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>

#include <memory>

class KeyerWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<KeyerRig> rig;
    std::unique_ptr<QWidget> mainWindow;
    std::unique_ptr<KeyerWindow> w;

    ContestState &st() { return rig->st; }
    std::string received() { return rig->sim.received(); }
    void openPlainPort()
    {
        rig->port.SetConnected(true);
        QVERIFY(rig->port.Connected());
    }
    // Accepts the next message box and hands back its text.
    QString answerMessageBox(const std::function<void()> &action)
    {
        QString text;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                text = box->text();
                box->accept();
            }
        });
        poll.start(10);
        action();
        return text;
    }

private slots:
    void init()
    {
        rig = std::make_unique<KeyerRig>();
        std::string error;
        QVERIFY2(rig->start(&error), error.c_str());
        st().SpeedMin = 10;
        st().SpeedMax = 46;
        st().Sidetone = 4;
        st().Ratio = "50";
        st().HangTime = 1;
        st().MyCall = "S50A";
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

    void createdHiddenAndFirstShownCentredOnTheMainWindow()
    {
        QVERIFY(!w->isVisible());

        rig->main.keyer().showOptions();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY((w->frameGeometry().center() - mainWindow->frameGeometry().center()).manhattanLength() < 4);
        QTRY_VERIFY(w->ECommand->hasFocus());
        QTRY_VERIFY(st().KeyerOnline);  // the status timer ran
    }

    void aStoredPositionIsUsedAndKeptOnTheScreen()
    {
        const auto reopen = [this](const char *file) {
            w.reset();
            QFile out(QString::fromStdString(KeyerWindowFile(rig->folder)));
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) > 0);
            out.close();
            w = std::make_unique<KeyerWindow>(rig->link, mainWindow.get());
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        };
        reopen("[VIEW]\r\nWKTop=20\r\nWKLeft=30\r\n");
        QCOMPARE(w->pos(), QPoint(30, 20));
        reopen("[VIEW]\r\nWKTop=-900\r\nWKLeft=5000\r\n");
        QVERIFY(w->screen()->availableGeometry().contains(w->frameGeometry()));
    }

    void openComSaysWhyItFailedAndSendsHostModeThenTheOptions()
    {
        rig->port.SetPort(rig->folder + "no-such-port");
        w->BOpenCom->click();
        QVERIFY(!w->LInfo1->text().isEmpty());
        QCOMPARE(w->BOpenCom->text(), QStringLiteral("Open Com"));
        QVERIFY(rig->pauses.empty());

        st().PaddleWatchdog = true;
        st().PaddleEcho = true;
        rig->port.SetPort(rig->sim.slavePath());
        w->BOpenCom->click();
        const std::string open = bytes({0x00, 0x02, 0x00, 0x04, 0x07, 0x02, 20, 0x0E, 0x94});
        const std::string options = bytes({0x0E, 0x80, 0x0E, 0xC0});
        const std::string sidetone = bytes({0x01, 0x05});  // the status timer: 800 Hz
        QVERIFY2(rig->received(open + options + sidetone), received().c_str());
        QTRY_COMPARE(w->LInfo->text(), QStringLiteral("Winkeyer 2 - Open"));
        QTRY_COMPARE(w->LInfo1->text(), QStringLiteral("WKConnected"));
        QCOMPARE(w->BOpenCom->text(), QStringLiteral("Close Com"));
        QCOMPARE(w->LCCom->text(), QString::fromStdString(rig->sim.slavePath()));
        QCOMPARE(rig->pauses, (std::vector<int>{100, 500, 200}));
        QCOMPARE(rig->main.display.EWinkeyerColor, std::string(Colors::ColorGreen));
    }

    void showingAgainSendsNoModeFrame()
    {
        st().PaddleWatchdog = true;
        st().SerialEcho = true;
        openPlainPort();
        w->show();
        QVERIFY(waitUntil([&] { return received().find(bytes({0x0E, 0x80, 0x0E, 0x84})) != std::string::npos; }));
        w->hide();
        runEventsFor();
        rig->sim.clearRecords();
        w->show();
        runEventsFor(300);
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

    void tuneAndWriteToWinkeyerWithThePortClosedSayPortNotOpen()
    {
        MessagePanel memo(rig->link, mainWindow.get());
        w->show();
        QTRY_VERIFY(st().KeyerOnline);  // showing the window ran the status timer
        const std::string mode = rig->main.display.BModeColor;
        for (QPushButton *button : {w->BTune, memo.BTune, w->BWriteWK}) {
            const QString caption = button->text();
            const QString shown = answerMessageBox([&] { button->click(); });
            QVERIFY2(shown.startsWith(QStringLiteral("Port Not Open")), qPrintable(button->objectName() + shown));
            QCOMPARE(button->text(), caption);
        }
        QVERIFY(!st().TuneOn);
        QCOMPARE(rig->main.display.BModeColor, mode);
    }

    void keyerSpeedPotWithThePortClosed()
    {
        st().PaddleSpeed = "23";
        w->show();
        w->SM3->click();
        QCOMPARE(w->EdSpeed->value(), 23);
        QVERIFY(!w->EdSpeed->isEnabled());
        w->SM2->click();
        QVERIFY(w->EdSpeed->isEnabled());
        runEventsFor();
        QCOMPARE(received(), std::string());
    }

    void sendSpeedRangeWithoutAMaximumShowsTheErrorAndSendsNothing()
    {
        w->show();
        openPlainPort();
        QTRY_VERIFY(st().KeyerOnline);
        runEventsFor();
        rig->sim.clearRecords();
        w->ESpeedMax->clear();
        const QString shown = answerMessageBox([&] { w->BSendSpeedRange->click(); });
        QCOMPARE(shown, QStringLiteral("'' is not a valid integer value"));
        runEventsFor();
        QCOMPARE(received(), std::string());
    }

    void f12InTheCommandBoxChangesOnlyLastKey()
    {
        openPlainPort();
        st().EnterSendMsg = true;
        w->show();
        w->ECommand->setText(QStringLiteral("599"));
        QTest::keyClick(w->ECommand, Qt::Key_F12);
        QCOMPARE(st().LastKey, std::string("Wipe"));
        QCOMPARE(w->ECommand->text(), QStringLiteral("599"));
        QVERIFY(w->CBESM->isChecked() && st().EnterSendMsg);
        runEventsFor();
        QVERIFY(received().find_first_not_of(bytes({0x01, 0x05})) == std::string::npos);
    }

    void closeWritesTheKeyerWindowFileAndHides()
    {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->move(30, 40);
        QTRY_COMPARE(w->pos(), QPoint(30, 40));
        w->BClose->click();
        QVERIFY(!w->isVisible());
        QFile file(QString::fromStdString(KeyerWindowFile(rig->folder)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        // Whether a blank line parts the sections is the profile file's concern.
        const QByteArray written = file.readAll().replace("\r\n\r\n", "\r\n");
        const QByteArray expected = "[VIEW]\r\nWKTop=40\r\nWKLeft=30\r\n[ComPort]\r\nPort="
                                    + QByteArray::fromStdString(rig->sim.slavePath())
                                    + "\r\nBaudRate=1200\r\nStopBits=1\r\nDataBits=8\r\nParity=None\r\n"
                                      "FlowControl=Software\r\n";
        QCOMPARE(written, expected);
    }
};

QTEST_MAIN(KeyerWindowTest)
#include "KeyerWindowTest.moc"
