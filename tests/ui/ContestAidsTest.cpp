#include "support/WindowRig.h"
#include "ui/CabrilloHeaderDialog.h"
#include "ui/CheckWindow.h"
#include "ui/RateWindow.h"
#include "ui/ContestAids.h"

// The check window beside the main window, driven from the entry line.
class ContestAidsTest : public WindowTest {
    Q_OBJECT

    std::unique_ptr<ContestAids> aids;

    void startAids()
    {
        aids.reset();
        aids = std::make_unique<ContestAids>(*contest, *w);
    }
    QStringList lines(QListWidget *list) const
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

private slots:
    void init()
    {
        newContest("S5ABC", "CW", "40");
        QVERIFY(writeBytes(dir->filePath("MASTER.SCP"), "# calls\r\nK1ABC\r\nS50ABC\r\nS59ABC\r\nS59ABD\r\n"));
        QVERIFY(showWindow());
        startAids();
    }
    void cleanup()
    {
        aids.reset();
        endContest();
    }

    void followsTheEntryLineAndTheLog()
    {
        aids->CheckMenu->trigger();
        QTRY_VERIFY(aids->fCheckCalls->isVisible());
        QTRY_VERIFY(w->ECall->hasFocus());
        CheckWindow &check = *aids->fCheckCalls;
        type("S");
        QCOMPARE(lines(check.EScpCalls), QStringList());  // from the second character on
        type("59AB");
        QCOMPARE(lines(check.EScpCalls), QStringList({"S59ABC", "S59ABD"}));
        enterLines({" 15"});
        type("S59AB");
        QTRY_COMPARE(lines(check.ELogCalls), QStringList({"S59AB  40 CW"}));  // the new QSO, a dupe here
        QCOMPARE(check.ELogCalls->item(0)->foreground().color(), QColor(Qt::red));
        type("X");
        QCOMPARE(lines(check.ENearCalls), QStringList({"S59AB", "S59ABC", "S59ABD"}));
        key(Qt::Key_Backspace);
        w->Log->model()->setData(w->Log->model()->index(0, LogTable::ColCall), "S59AC");  // the grid edited
        QTRY_COMPARE(lines(check.ELogCalls), QStringList());
        key(Qt::Key_Backspace, Qt::ControlModifier);
        type("ZZ9ZZ");
        QCOMPARE(check.LUnique->text(), QStringLiteral("Unique"));
    }

    void doubleClickPutsTheCallInKeepingTheExchange()
    {
        aids->CheckMenu->trigger();
        CheckWindow &check = *aids->fCheckCalls;
        type("S59AB 15");  // the call part alone is looked up
        QTRY_COMPARE(check.EScpCalls->count(), 2);
        QVERIFY(QTest::qWaitForWindowExposed(&check));
        const QPoint second = check.EScpCalls->visualItemRect(check.EScpCalls->item(1)).center();
        QTest::mouseClick(check.EScpCalls->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(check.EScpCalls->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(w->ECall->text(), QStringLiteral("S59ABD 15"));
        QCOMPARE(w->LInfo->text(), QStringLiteral("S59ABD"));
        QTRY_VERIFY(w->ECall->hasFocus());
    }

    void openAgainAtStartWhereItWas()
    {
        aids->CheckMenu->trigger();
        aids->fCheckCalls->move(40, 50);
        aids->fCheckCalls->close();  // as the program closes every window when it ends
        aids->save();
        startAids();  // as the next start of the program
        QTRY_VERIFY(aids->fCheckCalls->isVisible());
        QCOMPARE(aids->fCheckCalls->pos(), QPoint(40, 50));
        aids->CheckMenu->trigger();
        QVERIFY(!aids->fCheckCalls->isVisible());
        aids->save();
        startAids();
        QTest::qWait(20);
        QVERIFY2(!aids->fCheckCalls->isVisible(), "closed at the end, closed at the start");
    }

    void tabPutsTheHistoryExchangeInAndSaveWritesTheLog()
    {
        QVERIFY(writeBytes(dir->filePath("CALLHISTORY.txt"), "!!Order!!,Call,Name,Sect\r\nS59ABC,JOZE,SV\r\n"));
        QVERIFY(writeBytes(dir->filePath("Quillfeatherini.ini"), "[AIDS]\r\nHistoryField=Sect\r\n"));
        startAids();
        aids->CheckMenu->trigger();
        type("S59ABC");
        QCOMPARE(aids->fCheckCalls->LHistory->text(), QStringLiteral("SV"));
        key(Qt::Key_Tab);
        QCOMPARE(w->ECall->text(), QStringLiteral("S59ABC SV"));
        QCOMPARE(w->LInfo1->text(), QStringLiteral("SV"));
        QVERIFY(w->ECall->hasFocus());
        key(Qt::Key_Backspace);
        key(Qt::Key_Tab);  // an exchange begun is the operator's
        QCOMPARE(w->ECall->text(), QStringLiteral("S59ABC S"));
        QVERIFY(w->ECall->hasFocus());
        key(Qt::Key_Backspace);
        type("14");
        enter();
        BoxAnswerer ok;
        aids->SaveHistoryMenu->trigger();
        QCOMPARE(ok.texts.size(), 1);
        QCOMPARE(fileBytes(dir->filePath("CALLHISTORY.txt")),
                 QByteArray("# Call history written by Quillfeather\r\n!!Order!!,Call,Name,Sect,Exch1\r\n"
                            "S59ABC,JOZE,SV,14\r\n"));
    }

    void cabrilloHeaderOffersTheFormatsValuesAndKeepsThem()
    {
        CabrilloHeaderDialog dialog(contest->folder, w.get());
        QStringList powers;
        ModalAnswerer<CabrilloHeaderDialog> answer([&](CabrilloHeaderDialog &d) {
            auto *power = d.findChild<QComboBox *>("CategoryPower");
            for (int i = 0; i < power->count(); ++i)
                powers << power->itemText(i);
            power->setCurrentText("QRP");
            d.EVersion->setCurrentText("3.0");
            d.findChild<QLineEdit *>("Contest")->setText(" S5-CONTEST ");
            d.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        });
        dialog.showDialog();
        QCOMPARE(powers, QStringList({"", "HIGH", "LOW", "QRP"}));
        CabrilloHeader kept;
        LoadCabrilloHeader(kept, contest->folder);
        QCOMPARE(kept.Version + " " + kept.CategoryPower + " " + kept.Contest, std::string("3.0 QRP S5-CONTEST"));
    }

    void rateFollowsCommitsDeletesAndTheClock()
    {
        aids->RateMenu->trigger();
        QTRY_VERIFY(aids->fRate->isVisible() && w->ECall->hasFocus());
        enterLines({"S51A 1", "S51B 2"});  // both at 07:12
        clock.now.minute = 20;
        contest->clockTick();  // as the main window's clock does each second
        enterLines({"S51A 3"});
        QTRY_COMPARE(aids->fRate->LRates->text(),
                 QStringLiteral("Last 10:   22.5/h\nLast 100:  22.5/h\nLast 60 min: 3\nThis hour:   3"));
        QVERIFY2(aids->fRate->LBands->text().endsWith("\n  40 CW       3     1"), qPrintable(aids->fRate->LBands->text()));
        QCOMPARE(aids->fRate->GHours->hours().size(), size_t(1));
        clock.now = UtcStamp{2013, 4, 14, 8, 15, 0};  // the next tick moves the hour figures on
        QTRY_VERIFY(aids->fRate->LRates->text().endsWith("Last 60 min: 1\nThis hour:   0"));
        QTRY_VERIFY(w->isActiveWindow());
        BoxAnswerer ok;
        key(Qt::Key_Delete, Qt::ControlModifier);  // the last QSO deleted
        QTRY_VERIFY2(aids->fRate->LRates->text().startsWith("Last 10:   -/h"), qPrintable(aids->fRate->LRates->text()));
    }

    // On a networked station the windows and the exports take the whole station's log.
    void otherPositionsCountInTheWindowsAndTheExports()
    {
        StationQso other{{"0713", "OE3X", "5", "1", "40", "CW", "2013-04-14"}, "RUN2", 1};
        contest->stationQsos = [&] {
            std::vector<StationQso> all = OwnQsos(*st, contest->table, "RUN1", 0);
            all.push_back(other);
            return all;
        };
        aids->RateMenu->trigger();
        aids->CheckMenu->trigger();
        enterLines({"S51A 1"});
        other.row.Call = "S51A";
        aids->stationChanged();  // as the shared log tells when RUN2 edits its QSO
        QTRY_VERIFY2(aids->fRate->LBands->text().endsWith("\n  40 CW       2     1"), qPrintable(aids->fRate->LBands->text()));
        type("S51");
        QTRY_COMPARE(lines(aids->fCheckCalls->ELogCalls), QStringList({"S51A  40 CW"}));
        w->cbNumber->setChecked(true);
        BoxAnswerer boxes(QMessageBox::Cancel);  // Cancel exports nothing; OK exports
        w->SaveCBRMenu->trigger();
        QVERIFY(!boxes.texts.isEmpty() && !QFile::exists(dir->filePath(QStringLiteral("S5ABC.cbr"))));
        boxes.button = QMessageBox::Ok;
        w->SaveCBRMenu->trigger();
        QVERIFY(logText(QStringLiteral("S5ABC.cbr")).contains(QStringLiteral("0713 S5ABC        599 001      S51A")));
        contest->stationQsos = nullptr;
    }

    void withoutMasterScpSaysWhereItGoes()
    {
        QFile::remove(dir->filePath("MASTER.SCP"));
        startAids();
        aids->CheckMenu->trigger();
        type("S59AB");
        const QStringList scp = lines(aids->fCheckCalls->EScpCalls);
        QCOMPARE(scp.size(), 1);
        QVERIFY2(scp[0].contains("MASTER.SCP into " + dir->path()), qPrintable(scp[0]));
    }
};

QTEST_MAIN(ContestAidsTest)
#include "ContestAidsTest.moc"
