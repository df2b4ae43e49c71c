#include "logging/Contest.h"
#include "ui/LogCheckWindow.h"
#include "ui/MainWindow.h"
#include "support/FixedClock.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

// "Save ADIF" and "Check Log" from the File menu of the main window.
class LogCheckWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    ContestState st;
    LogTable table;
    FixedClock clock;
    std::unique_ptr<Contest> contest;
    std::unique_ptr<MainWindow> w;

private slots:
    void init()
    {
        st = ContestState{};
        st.MyCall = "S5ABC";
        st.Mode = "CW";
        st.Band = "80";
        QFile log(dir.filePath(QStringLiteral("S5ABC.log")));
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write("2013-04-14 0700 S51A 1 80 CW\r\n2013-04-14 0701 S52B 2 80 CW\r\n"
                  "2013-04-14 0702 S51A 3 80 CW\r\n2013-04-14 0703 S53C 4 40 CW\r\n");
        log.close();
        contest = std::make_unique<Contest>(st, table, clock, dir.path().toStdString() + "/");
        w = std::make_unique<MainWindow>(*contest);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCOMPARE(st.QsoCount, 4);
    }
    void cleanup()
    {
        w.reset();
        contest.reset();
    }

    void fileMenuOrder()
    {
        QStringList captions;
        for (QAction *a : w->menuBar()->actions().constFirst()->menu()->actions())
            captions << a->text();
        QCOMPARE(captions, QStringList({"Delete File", "Delete Last QSO", "Save Log", "Save CBR", "Save ADIF",
                                        "Check Log", "Open File", "Close"}));
    }

    void saveAdifNamesTheFileAndTheCount()
    {
        QString shown;
        QTimer::singleShot(0, [&shown] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            shown = box->text();
            box->accept();
        });
        w->SaveAdifMenu->trigger();
        const QString path = dir.filePath(QStringLiteral("S5ABC.adi"));
        QCOMPARE(shown, QStringLiteral("Wrote 4 QSOs to \"%1\".\n\nThe sent exchange is not in the file: tick exactly "
                                       "one of \"Exchange\" and \"Number\" in the setup panel (Setup, Ctrl+S) and "
                                       "save again to add it.").arg(path));
        QVERIFY(QFile::exists(path));
    }

    void doubleClickSelectsTheRowInTheGrid()
    {
        w->CheckLogMenu->trigger();
        LogCheckWindow *check = w->fCheck;
        QVERIFY(check && check->isVisible());
        QCOMPARE(check->LFindings->model()->rowCount(), 1);
        QVERIFY(check->LFindings->model()->index(0, 0).data().toString().startsWith("QSO 3 (S51A): duplicate of QSO 1"));
        QListView *list = check->LFindings;
        const QPoint at = list->visualRect(list->model()->index(0, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(w->Log->currentIndex().row(), 2);
        QVERIFY(w->Log->selectionModel()->isRowSelected(2, {}));

        w->DeleteLastQSO->trigger();
        w->DeleteLastQSO->trigger();
        check->BCheckAgain->click();
        QCOMPARE(check->LFindings->model()->rowCount(), 0);
        QVERIFY(check->LCheckResult->text().startsWith("The log is clean"));
    }
};

QTEST_MAIN(LogCheckWindowTest)
#include "LogCheckWindowTest.moc"
