#include "support/WindowRig.h"
#include "ui/GuiSupport.h"
#include "ui/LogCheckWindow.h"

// The main window driven as an operator does, on the offscreen platform.
class MainWindowTest : public WindowTest {
    Q_OBJECT

    // A key as the operator presses it: to whatever holds the keyboard, an open menu included.
    void press(Qt::Key k, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(w->windowHandle(), k, mods); }
    bool inView(int row) const
    {
        return w->Log->viewport()->rect().contains(w->Log->visualRect(w->Log->model()->index(row, 0)));
    }

private slots:
    void init()
    {
        newContest("S5ABC", "CW", "80");
        QVERIFY(showWindow());
    }
    void cleanup() { endContest(); }

    void logsAQsoFromTheEntryLine()
    {
        QTest::keyClicks(w->ECall, QStringLiteral("s5x,y-z? 1987"));  // only call characters, in capitals
        QCOMPARE(w->ECall->text(), QStringLiteral("S5XYZ 1987"));
        QCOMPARE(w->LInfo->text(), QStringLiteral("S5XYZ"));
        QCOMPARE(w->LInfo1->text(), QStringLiteral("1987"));
        QTest::keyClick(w->ECall, Qt::Key_Return);
        QCOMPARE(w->LQSO->text(), QStringLiteral("S5ABC QSO: 1"));
        QCOMPARE(w->ECall->text() + w->LInfo->text(), QString());
        const QStringList cells{"0712", "S5XYZ", "1987", "1", "80", "CW"};
        for (int col = 0; col < cells.size(); ++col)
            QCOMPARE(cell(0, col), cells[col]);
        QCOMPARE(logText(), QStringLiteral("2013-04-14 0712 S5XYZ 1987 80 CW\r\n"));

        QTest::keyClicks(w->ECall, QStringLiteral("S5XYZ"));
        QCOMPARE(w->LDouble->text(), QStringLiteral("DVOJNA ZVEZA"));
        enterLines({" 2"});
        QCOMPARE(w->LDouble->text(), QString());
        QCOMPARE(w->LQSO->text(), QStringLiteral("S5ABC QSO: 2"));
    }

    void menuShortcutsWorkFromTheEntryLine()
    {
        enterLines({"S5AAA 1", "S5BBB 2"});
        QTest::keyClicks(w->ECall, QStringLiteral("S5CCC"));
        {
            BoxAnswerer ok;
            QTest::keyClick(w->ECall, Qt::Key_Delete, Qt::ControlModifier);
        }
        QTRY_VERIFY(w->ECall->hasFocus());  // the keys go on to the entry line
        QCOMPARE(st->QsoCount, 1);
        QCOMPARE(w->ECall->text(), QString());  // the entry is cleared with the QSO
        QCOMPARE(logText(), QStringLiteral("2013-04-14 0712 S5AAA 1 80 CW\r\n"));

        QTest::keyClick(w->ECall, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(w->Pdata->isVisible() && !w->ECall->isVisible());
        QTRY_VERIFY(w->EMyCall->hasFocus());
        QCOMPARE(w->EMyCall->cursorPosition(), w->EMyCall->text().size());

        // Choosing the mode and band as the operator does.
        w->EMode->setFocus();
        w->EMode->showPopup();
        QTest::keyClick(w->EMode->view(), Qt::Key_Down);
        QTest::keyClick(w->EMode->view(), Qt::Key_Return);
        QCOMPARE(st->Mode, std::string("SSB"));
        QCOMPARE(w->BMode->text(), QStringLiteral("  SSB"));
        QVERIFY(!w->EWinkeyer->isVisible());
        w->EMode->showPopup();
        QTest::keyClick(w->EMode->view(), Qt::Key_Up);
        QTest::keyClick(w->EMode->view(), Qt::Key_Return);
        QCOMPARE(w->BMode->text(), QStringLiteral("  CW"));
        QVERIFY(w->EWinkeyer->isVisible());
        press(Qt::Key_Escape);  // as "Izhod"
        QVERIFY(!w->Pdata->isVisible() && w->ECall->isVisible());
    }

    // A lone Alt, or a menu opened with the mouse and closed with one Esc, leaves the keyboard
    // in the entry line, so four Enters later the log is whole; letters with Alt or Ctrl are
    // not typed; what removes QSOs asks first with Cancel for Enter, and Delete File keeps the
    // emptied log in a file of its own.
    void strayKeysNeverEmptyTheLog()
    {
        enterLines({"S5AAA 1", "S5BBB 2"});
        const QString before = logText();
        {
            QStringList titles;
            ModalAnswerer<QDialog> enters([&](QDialog &d) {
                if (auto *box = qobject_cast<QMessageBox *>(&d)) {
                    titles << box->windowTitle() + (box->icon() == QMessageBox::Question ? "?" : "!");
                    QTest::keyClick(box, Qt::Key_Return);
                }
            });
            QMenuBar *bar = w->menuBar();
            for (bool alt : {true, false}) {
                if (alt) {
                    press(Qt::Key_Alt);
                } else {
                    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(bar->actions().first()).center());
                    QTRY_VERIFY(QApplication::activePopupWidget());
                    press(Qt::Key_Escape);
                    QTRY_VERIFY(w->ECall->hasFocus());
                }
                for (int i = 0; i < 4; ++i)
                    press(Qt::Key_Return);
                QCOMPARE(logText(), before);
                QTRY_VERIFY(w->ECall->hasFocus());
            }
            press(Qt::Key_F, Qt::AltModifier);
            press(Qt::Key_W, Qt::AltModifier);
            press(Qt::Key_W, Qt::ControlModifier);
            QCOMPARE(w->ECall->text(), QString());
            for (QAction *a : {w->ClearMenu, w->DeleteLastQSO, w->OdpriLog1})
                a->trigger();
            QCOMPARE(logText(), before);
            QCOMPARE(titles, QStringList({"Delete File?", "Delete Last QSO?", "Open File?"}));
        }
        BoxAnswerer ok;
        const QString copy = QStringLiteral("S5ABC.log.deleted-20130414-071230");
        w->ClearMenu->trigger();
        QCOMPARE(logText() + logText(copy), before);
        QVERIFY(ok.texts.last().contains("2 QSOs") && ok.texts.last().contains("S5ABC.log.deleted-"));
        // No later rewrite replaces it.
        enterLines({"S5CCC 3", "S5DDD 4"});
        w->DeleteLastQSO->trigger();
        w->ClearMenu->trigger();
        QCOMPARE(logText(copy) + logText(copy + "-2"), before + "2013-04-14 0712 S5CCC 3 80 CW\r\n");
    }

    // The newest QSO is in view after each commit and a delete, a 5-digit serial is whole in
    // its cells, the clock's minute has its own room, and the log check opens on the screen.
    void newestQsoInViewAndEverythingShownWhole()
    {
        for (int i = 1; i <= 12; ++i) {
            enterLines({QStringLiteral("S5A%1 %2").arg(i).arg(i < 12 ? i : 12345)});
            QVERIFY(inView(i - 1));
        }
        const int room = w->Log->columnWidth(LogTable::ColExchange) - 6;  // as the grid paints it
        QVERIFY(QFontMetrics(FittedFont(w->Log->font(), "12345", room)).horizontalAdvance("12345") <= room);
        QTRY_VERIFY(!w->LClock->text().isEmpty());
        QVERIFY(QFontMetrics(w->LClock->font()).horizontalAdvance(w->LClock->text()) <= w->LClock->width());
        w->Log->scrollToTop();
        {
            BoxAnswerer ok;
            w->DeleteLastQSO->trigger();
        }
        QVERIFY(inView(10));
    }

    void editedGridCellRewritesTheLogOnLeaving()
    {
        enterLines({"S5ABC 1"});
        const QModelIndex callCell = w->Log->model()->index(0, 1);
        const QPoint at = w->Log->visualRect(callCell).center();
        QTest::mouseClick(w->Log->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(w->Log->viewport(), Qt::LeftButton, {}, at);
        QWidget *editor = w->Log->indexWidget(callCell);
        if (!editor)
            editor = QApplication::focusWidget();
        auto *line = qobject_cast<QLineEdit *>(editor);
        QVERIFY(line);
        line->selectAll();
        QTest::keyClicks(line, QStringLiteral("s5abd"));
        QCOMPARE(line->text(), QStringLiteral("S5ABD"));
        QTest::mouseClick(w->ECall, Qt::LeftButton);
        QTRY_COMPARE(logText(), QStringLiteral("2013-04-14 0712 S5ABD 1 80 CW\r\n"));
        QTest::keyClicks(w->ECall, QStringLiteral("S5ABD"));
        QCOMPARE(w->LDouble->text(), QStringLiteral("DVOJNA ZVEZA"));
    }

    void saveAdifAndCheckLogFollowSaveCbr()
    {
        QStringList captions;
        for (QAction *a : w->menuBar()->actions().constFirst()->menu()->actions())
            captions << a->text();
        QCOMPARE(captions, QStringList({"Delete File", "Delete Last QSO", "Save Log", "Save CBR", "Save ADIF",
                                        "Check Log", "Open File", "Close"}));
        enterLines({"S5AAA 1", "S5BBB 2", "S5AAA 3"});
        BoxAnswerer boxes;
        w->SaveAdifMenu->trigger();  // no question first: the box says what was written
        QVERIFY(QFile::exists(dir->filePath(QStringLiteral("S5ABC.adi"))) && boxes.texts.size() == 1);

        w->CheckLogMenu->trigger();
        QListView *list = w->fCheck->LFindings;
        QCOMPARE(list->model()->rowCount(), 1);
        QVERIFY(list->model()->index(0, 0).data().toString().startsWith("QSO 3 (S5AAA): duplicate of QSO 1"));
        const QPoint line = list->visualRect(list->model()->index(0, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line);  // a double click begins with a click
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, line);
        QCOMPARE(w->Log->currentIndex().row(), 2);
        QVERIFY(w->Log->selectionModel()->isRowSelected(2, {}));

        {
            BoxAnswerer ok;
            w->DeleteLastQSO->trigger();
        }
        w->fCheck->BCheckAgain->click();
        QCOMPARE(list->model()->rowCount(), 0);
        QVERIFY(w->fCheck->LCheckResult->text().startsWith("The log is clean"));
    }

    void closeSavesTheSettings()
    {
        w->ExitMenu->trigger();
        const QString text = logText(QStringLiteral("Quillfeatherini.ini"));
        QVERIFY(text.startsWith(QStringLiteral("[GENERAL]\r\nMyCall=S5ABC\r\n")));
        QVERIFY(text.contains(QStringLiteral("MainLeft=")));
    }

    void gridEditAfterFocusWithoutACellClickIsSaved()
    {
        enterLines({"S5AAA 1"});
        // Below the only row: the grid takes the focus but no cell is clicked.
        QTest::mouseClick(w->Log->viewport(), Qt::LeftButton, {}, QPoint(100, 200));
        QTRY_VERIFY(w->Log->hasFocus());
        QTest::keyClick(w->Log, Qt::Key_0);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("815"));
        QTest::mouseClick(w->ECall, Qt::LeftButton);
        QTRY_COMPARE(logText(), QStringLiteral("2013-04-14 0815 S5AAA 1 80 CW\r\n"));
    }

    // The window has a fixed border: the operator cannot stretch it out of its layout.
    void windowHasAFixedSize()
    {
        QCOMPARE(w->centralWidget()->size(), QSize(498, 498));
        QCOMPARE(w->minimumSize(), w->maximumSize());
        // Nor do the grid's columns follow what is logged in them.
        const int callWidth = w->Log->columnWidth(1);
        enterLines({"S5ABCDEFGHIJKLMNOPQRS 1234567890123456789"});
        QCOMPARE(cell(0, 1), QStringLiteral("S5ABCDEFGHIJKLMNOPQRS"));
        QCOMPARE(w->Log->columnWidth(1), callWidth);
        QVERIFY(w->Log->horizontalHeader()->isHidden());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
