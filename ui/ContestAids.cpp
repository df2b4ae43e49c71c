#include "ui/ContestAids.h"

#include "aids/HistoryHint.h"
#include "logging/Contest.h"
#include "logging/ScreenText.h"
#include "ui/CheckWindow.h"
#include "ui/GuiSupport.h"
#include "ui/MainWindow.h"

#include <QAbstractItemModel>
#include <QKeyEvent>
#include <QMessageBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QTimer>

ContestAids::ContestAids(Contest &contest, MainWindow &main)
    : c_(contest), w_(main), checker_(contest.st, contest.table)
{
    guarded(&w_, [this] { LoadAidSettings(settings_, c_.folder); });
    checker_.setMasterScp(MasterScp::load(MasterScpPath(c_.folder)));
    history_ = CallHistory::load(CallHistoryPath(c_.folder)).value_or(CallHistory());

    fCheckCalls = new CheckWindow(&w_);
    fCheckCalls->setOnCallChosen([this](const std::string &call) { callChosen(call); });
    fCheckCalls->setOnPlaceChanged([this](bool open) { checkPlaceChanged(open); });
    CheckMenu = menuNamed(w_, QStringLiteral("Other"))->addAction(QStringLiteral("Check"), this,
                                                                  &ContestAids::CheckMenuClick);
    SaveHistoryMenu = new QAction(QStringLiteral("Save Call History"), this);
    connect(SaveHistoryMenu, &QAction::triggered, this, &ContestAids::SaveHistoryMenuClick);
    menuNamed(w_, QStringLiteral("File"))->insertAction(w_.ExitMenu, SaveHistoryMenu);

    connect(w_.ECall, &QLineEdit::textChanged, this, &ContestAids::refreshCheck);
    // The lists follow the log through the grid's model: every commit, edit, delete and load.
    QAbstractItemModel *log = w_.Log->model();
    connect(log, &QAbstractItemModel::dataChanged, this, &ContestAids::refreshCheck);
    connect(log, &QAbstractItemModel::rowsInserted, this, &ContestAids::refreshCheck);
    connect(log, &QAbstractItemModel::rowsRemoved, this, &ContestAids::refreshCheck);
    connect(log, &QAbstractItemModel::modelReset, this, &ContestAids::refreshCheck);
    w_.ECall->installEventFilter(this);

    if (settings_.check.visible)
        QTimer::singleShot(0, this, &ContestAids::showCheckWindow);
}

ContestAids::~ContestAids()
{
    // The main window may live on (in tests it does): it keeps no item or window of ours.
    w_.ECall->removeEventFilter(this);
    delete CheckMenu;
    delete SaveHistoryMenu;
    delete fCheckCalls;
}

void ContestAids::save()
{
    guarded(&w_, [this] { SaveAidSettings(settings_, c_.folder); });
}

void ContestAids::CheckMenuClick()
{
    if (fCheckCalls->isVisible())
        fCheckCalls->close();
    else
        showCheckWindow();
}

void ContestAids::showCheckWindow()
{
    if (settings_.check.stored)
        fCheckCalls->move(settings_.check.left, settings_.check.top);
    else  // beside the log, where the eye goes from the entry line
        fCheckCalls->move(w_.frameGeometry().topRight() + QPoint(8, 0));
    fCheckCalls->show();
    settings_.check.visible = true;
    refreshCheck();
    w_.focusEntry();
}

void ContestAids::refreshCheck()
{
    if (!fCheckCalls->isVisible())
        return;
    const std::string call = CallPart(fromScreen(w_.ECall->text()));
    fCheckCalls->showResult(checker_.lookUp(call), c_.folder);
    fCheckCalls->showHint(history_.field(call, settings_.HistoryField));
}

// Tab never leaves the entry line: in mid-QSO the keyboard must stay where the call is typed.
bool ContestAids::ECallTab()
{
    const std::string entry = w_.entryText();
    const std::string exchange = history_.field(CallPart(entry), settings_.HistoryField);
    if (const std::optional<std::string> filled = WithHistoryExchange(entry, exchange)) {
        w_.setEntryText(*filled);
        w_.caretToEnd();
    }
    return true;
}

void ContestAids::SaveHistoryMenuClick()
{
    try {
        history_ = SaveCallHistory(c_.st, c_.table, c_.folder);
        QMessageBox box(QMessageBox::Information, QStringLiteral("Save Call History"),
                        QStringLiteral("%1 calls written to %2.")
                            .arg(history_.size())
                            .arg(toScreen(CallHistoryPath(c_.folder))),
                        QMessageBox::Ok, &w_);
        box.exec();
    } catch (const std::exception &e) {
        showError(&w_, toScreen(e.what()));
    }
    refreshCheck();
}

void ContestAids::callChosen(const std::string &call)
{
    w_.setEntryText(WithCall(w_.entryText(), call));
    w_.focusEntry();
}

void ContestAids::checkPlaceChanged(bool open)
{
    settings_.check.visible = open;
    if (open) {
        settings_.check.left = fCheckCalls->x();
        settings_.check.top = fCheckCalls->y();
        settings_.check.stored = true;
    }
}

bool ContestAids::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == w_.ECall && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Tab)
        return ECallTab();
    return QObject::eventFilter(watched, event);
}
