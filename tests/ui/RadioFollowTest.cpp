#include "radio/RadioLink.h"
#include "support/FreePort.h"
#include "support/WindowRig.h"
#include "ui/RadioSetupDialog.h"

#include <algorithm>

namespace {

const int kWait = 20000;  // a loaded machine; the radio is read every 250 ms

// Moves the radio through Hamlib's own client, as another program on the network would; a
// rigctld just started may take a moment on a busy machine before it answers. rigctl exits
// with 0 even when the radio refused a command, so the frequency and mode are read back.
bool rigctl(int port, const QStringList &commands)
{
    const QStringList args = QStringList{"-m", "2", "-r", QStringLiteral("127.0.0.1:%1").arg(port)} + commands
                             + QStringList{"f", "m"};
    QStringList values;  // what F and M set
    for (int i = 0; i + 1 < commands.size(); ++i)
        if (commands[i] == "F" || commands[i] == "M")
            values << commands[i + 1];
    return QTest::qWaitFor([&] {
        QProcess client;
        client.start(QStringLiteral("rigctl"), args);
        if (!client.waitForFinished(kWait)) {
            client.kill();
            client.waitForFinished();
            return false;
        }
        const QStringList lines = QString::fromLatin1(client.readAllStandardOutput()).split('\n');
        return client.exitCode() == 0
               && std::all_of(values.begin(), values.end(), [&](const QString &v) { return lines.contains(v); });
    }, kWait);
}

// The keyer as the mode list sees it.
class CountingKeyer : public NoKeyer {
public:
    bool open = false;
    int opened = 0, closed = 0;
    bool portOpen() const override { return open; }
    void openLink() override { open = true, ++opened; }
    void closeLink() override { open = false, ++closed; }
};

} // namespace

// The band and mode following a real Hamlib radio: rigctld's dummy radio reached over
// the network, and Hamlib's dummy inside the program.
class RadioFollowTest : public WindowTest {
    Q_OBJECT

    std::unique_ptr<RadioLink> radio;
    std::unique_ptr<RadioSetupDialog> dialog;
    CountingKeyer keyer;
    QProcess rigctld;
    int port = 0;

    bool startRigctld()
    {
        rigctld.start(QStringLiteral("rigctld"), {"-m", "1", "-T", "127.0.0.1", "-t", QString::number(port)});
        return rigctld.waitForStarted() && rigctl(port, {"F", "14025000"});
    }
    void chooseBand(int index)
    {
        w->EBand->setCurrentIndex(index);
        emit w->EBand->activated(index);
    }
    // Logs a QSO and gives the band and mode its row shows.
    QString logQso(const QString &text)
    {
        enterLines({text});
        return cell(st->QsoCount - 1, 4) + ' ' + cell(st->QsoCount - 1, 5);
    }

private slots:
    void init()
    {
        cleanup();  // Qt skips cleanup() after a failed init(): end what that one left first
        newContest("S5ABC", "SSB", "40");
        keyer = CountingKeyer();
        contest->setKeyer(&keyer);
        w = std::make_unique<MainWindow>(*contest);
        radio = std::make_unique<RadioLink>(*contest);
        dialog = std::make_unique<RadioSetupDialog>(*radio, w.get());
        radio->setSetupOpener([this] { dialog->showDialog(); });
        QVERIFY(showWindow());
        w->SetupMenu->trigger();
    }
    void cleanup()
    {
        dialog.reset();
        radio.reset();
        endContest();
        rigctld.kill();
        rigctld.waitForFinished();
    }

    void followsRigctldAndLogsOnWhenItStops()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("rigctld")).isEmpty())
            QSKIP("rigctld is not installed (Debian package libhamlib-utils); the network radio is not tested");
        port = freePort();
        QVERIFY2(startRigctld() && rigctl(port, {"M", "CW", "500"}), "rigctld did not answer in 20 s");
        st->CatModel = 2;
        st->CatPort = "127.0.0.1:" + std::to_string(port);

        chooseBand(6);
        QVERIFY(!dialog->isVisible());  // a radio is set up
        QTRY_COMPARE_WITH_TIMEOUT(st->Band, std::string("20"), kWait);
        QTRY_COMPARE_WITH_TIMEOUT(st->Mode, std::string("CW"), kWait);
        QCOMPARE(keyer.opened, 1);  // as choosing CW in the mode list
        QCOMPARE(w->BMode->text(), QStringLiteral("  CW"));
        QVERIFY(w->LTest->text().contains("14025.0 kHz") && w->LTest->text().endsWith("20 m"));
        QVERIFY(!w->LTest->text().contains("#e00000"));
        QCOMPARE(logQso(QStringLiteral("S51A 123")), QStringLiteral("20 CW"));

        QVERIFY(rigctl(port, {"F", "3550000", "M", "LSB", "2400"}));
        QTRY_COMPARE_WITH_TIMEOUT(st->Mode, std::string("SSB"), kWait);
        QCOMPARE(st->Band, std::string("80"));
        QCOMPARE(keyer.closed, 1);
        QVERIFY(rigctl(port, {"F", "10120000"}));  // outside the contest bands: the band stays
        QTRY_VERIFY_WITH_TIMEOUT(w->LTest->text().contains("10120.0 kHz"), kWait);
        QVERIFY(w->LTest->text().contains("#e00000"));
        QCOMPARE(logQso(QStringLiteral("S52B 5")), QStringLiteral("80 SSB"));

        rigctld.kill();
        rigctld.waitForFinished();
        QTRY_COMPARE_WITH_TIMEOUT(radio->state(), RadioLink::State::Failing, kWait);
        QVERIFY(w->ECAT->toolTip().contains("rigctld"));
        QVERIFY(w->LTest->text().contains("no radio"));
        QCOMPARE(logQso(QStringLiteral("S53C 7")), QStringLiteral("80 SSB"));
        QCOMPARE(st->QsoCount, 3);

        // The link keeps trying and finds the radio again.
        QVERIFY2(startRigctld() && rigctl(port, {"F", "21025000"}), "rigctld did not answer again in 20 s");
        QTRY_COMPARE_WITH_TIMEOUT(st->Band, std::string("15"), kWait);
        QCOMPARE(radio->state(), RadioLink::State::Connected);
        // A call in the entry line is checked again when the radio moves to where it was logged.
        QTest::keyClicks(w->ECall, QStringLiteral("S51A"));
        QVERIFY(w->LDouble->text().isEmpty());
        QVERIFY(rigctl(port, {"F", "14030000", "M", "CW", "500"}));
        QTRY_COMPARE_WITH_TIMEOUT(w->LDouble->text(), QStringLiteral("DVOJNA ZVEZA"), kWait);

        chooseBand(2);
        QCOMPARE(radio->state(), RadioLink::State::Off);
        QCOMPARE(w->LTest->text(), QStringLiteral("40 m"));
        QVERIFY(rigctl(port, {"F", "14025000"}));
        QTest::qWait(1000);
        QCOMPARE(st->Band, std::string("40"));
    }

    void catWithoutARadioOpensTheDialogAndFollowsTheDummy()
    {
        st->Mode = "CW";
        keyer.open = true;
        chooseBand(6);
        QVERIFY(dialog->isVisible() && !dialog->isModal());
        QCOMPARE(dialog->BCatConnect->text(), QStringLiteral("Connect"));

        dialog->ECatModel->lineEdit()->selectAll();
        QTest::keyClicks(dialog->ECatModel->lineEdit(), QStringLiteral("dummy"));
        QVERIFY(dialog->ECatModel->completer()->completionCount() >= 1);
        dialog->ECatModel->setCurrentIndex(dialog->ECatModel->findData(1));
        dialog->BCatConnect->click();
        QCOMPARE(st->CatModel, 1);
        // Hamlib's dummy starts at 145 MHz FM: outside the bands, phone.
        QTRY_VERIFY_WITH_TIMEOUT(w->LTest->text().contains("145000.0 kHz"), kWait);
        QVERIFY(w->LTest->text().contains("#e00000"));
        QCOMPARE(st->Band + st->Mode, std::string("40SSB"));
        QCOMPARE(keyer.closed, 1);
        QVERIFY(dialog->LCatStatus->text().startsWith("Connected to Hamlib Dummy"));
        QCOMPARE(dialog->BCatConnect->text(), QStringLiteral("Disconnect"));

        dialog->BCatConnect->click();
        QCOMPARE(radio->state(), RadioLink::State::Off);
        chooseBand(3);
        QCOMPARE(w->LTest->text(), QStringLiteral("20 m"));
        QVERIFY(!st->CatFollow);
    }
};

QTEST_MAIN(RadioFollowTest)
#include "RadioFollowTest.moc"
