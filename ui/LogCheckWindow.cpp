#include "ui/LogCheckWindow.h"

#include "logging/ContestState.h"
#include "logging/ScreenText.h"
#include "ui/GuiSupport.h"

#include <QAbstractListModel>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

// The findings as list lines; a log of many bad lines costs no widget per line.
class FindingsModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    std::vector<LogFinding> findings;

    void replace(std::vector<LogFinding> next)
    {
        beginResetModel();
        findings = std::move(next);
        endResetModel();
    }
    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(findings.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return messageToScreen(findings[static_cast<size_t>(index.row())].text);
    }
};

LogCheckWindow::LogCheckWindow(const ContestState &state, const LogTable &log, std::function<void(int)> showRow,
                               QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Window), st_(state), log_(log), showRow_(std::move(showRow)),
      model_(new FindingsModel(this))
{
    setObjectName(QStringLiteral("fCheck"));
    setWindowTitle(QStringLiteral("Check Log"));
    setFont(sansFont(12));
    resize(640, 360);

    LCheckResult = new QLabel(this);
    LCheckResult->setObjectName(QStringLiteral("LCheckResult"));
    LCheckResult->setWordWrap(true);

    LFindings = new QListView(this);
    LFindings->setObjectName(QStringLiteral("LFindings"));
    LFindings->setModel(model_);
    LFindings->setFont(monoFont(13));
    LFindings->setUniformItemSizes(true);
    LFindings->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A double click, or Enter on the chosen line.
    connect(LFindings, &QListView::activated, this, &LogCheckWindow::LFindingsDoubleClick);

    BCheckAgain = new QPushButton(QStringLiteral("Check again"), this);
    BCheckAgain->setObjectName(QStringLiteral("BCheckAgain"));
    connect(BCheckAgain, &QPushButton::clicked, this, &LogCheckWindow::check);
    BCheckClose = new QPushButton(QStringLiteral("Close"), this);
    BCheckClose->setObjectName(QStringLiteral("BCheckClose"));
    connect(BCheckClose, &QPushButton::clicked, this, &QWidget::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BCheckAgain);
    buttons->addWidget(BCheckClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(LCheckResult);
    layout->addWidget(LFindings, 1);
    layout->addLayout(buttons);
}

LogCheckWindow::~LogCheckWindow() = default;

void LogCheckWindow::check()
{
    model_->replace(CheckLog(st_, log_));
    const int qsos = st_.QsoCount;
    const size_t found = model_->findings.size();
    const QString checked = qsos == 1 ? QStringLiteral("1 QSO checked") : QStringLiteral("%1 QSOs checked").arg(qsos);
    if (found == 0)
        LCheckResult->setText(QStringLiteral("The log is clean: ") + checked
                              + QStringLiteral(", nothing a log checker would flag."));
    else
        LCheckResult->setText(checked + QStringLiteral(": %1 to look at before you send the log. "
                                                       "Double-click a line to show its QSO in the log.")
                                            .arg(found == 1 ? QStringLiteral("1 finding")
                                                            : QStringLiteral("%1 findings").arg(found)));
    if (found > 0)
        LFindings->setCurrentIndex(model_->index(0));
}

const std::vector<LogFinding> &LogCheckWindow::findings() const
{
    return model_->findings;
}

void LogCheckWindow::LFindingsDoubleClick(const QModelIndex &index)
{
    if (index.isValid())
        showRow_(model_->findings[static_cast<size_t>(index.row())].row);
}
