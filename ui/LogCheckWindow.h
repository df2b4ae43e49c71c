#pragma once

#include "export/LogCheck.h"

#include <QWidget>

#include <functional>
#include <vector>

class FindingsModel;
class LogTable;
class QLabel;
class QListView;
class QPushButton;
struct ContestState;

// What a contest's log checker would flag, listed before the log is sent; a double
// click on a line shows that QSO in the log grid.
class LogCheckWindow : public QWidget {
    Q_OBJECT
public:
    LogCheckWindow(const ContestState &state, const LogTable &log, std::function<void(int row)> showRow,
                   QWidget *mainWindow);
    ~LogCheckWindow() override;

    // Checks the log as it stands now and lists the findings.
    void check();
    const std::vector<LogFinding> &findings() const;

    QLabel *LCheckResult;
    QListView *LFindings;
    QPushButton *BCheckAgain, *BCheckClose;

private:
    void LFindingsDoubleClick(const QModelIndex &index);

    const ContestState &st_;
    const LogTable &log_;
    std::function<void(int)> showRow_;
    FindingsModel *model_;
};
