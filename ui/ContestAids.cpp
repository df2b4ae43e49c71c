#include "ui/ContestAids.h"

#include "aids/HistoryHint.h"
#include "logging/Clock.h"
#include "logging/Contest.h"
#include "logging/ScreenText.h"
#include "ui/CheckWindow.h"
#include "ui/RateWindow.h"
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
    fCheckCalls->setOnPlaceChanged([this](bool open) { placeChanged(fCheckCalls, settings_.check, open); });
    fRate = new RateWindow(&w_);
    fRate->setOnPlaceChanged([this](bool open) { placeChanged(fRate, settings_.rate, open); });
    QMenu *other = menuNamed(w_, QStringLiteral("Other"));
    CheckMenu = other->addAction(QStringLiteral("Check"), this, [this] { toggle(fCheckCalls, settings_.check); });
    RateMenu = other->addAction(QStringLiteral("Rate"), this, [this] { toggle(fRate, settings_.rate); });
    SaveHistoryMenu = new QAction(QStringLiteral("Save Call History"), this);
    connect(SaveHistoryMenu, &QAction::triggered, this, &ContestAids::SaveHistoryMenuClick);
    menuNamed(w_, QStringLiteral("File"))->insertAction(w_.ExitMenu, SaveHistoryMenu);

    connect(w_.ECall, &QLineEdit::textChanged, this, &ContestAids::refreshCheck);
    // The lists follow the log through the grid's model: every commit, edit, delete and load.
    QAbstractItemModel *log = w_.Log->model();
    connect(log, &QAbstractItemModel::rowsInserted, this, &ContestAids::logChanged);
    connect(log, &QAbstractItemModel::rowsRemoved, this, &ContestAids::logChanged);
    connect(log, &QAbstractItemModel::dataChanged, this, &ContestAids::logChanged);
    connect(log, &QAbstractItemModel::modelReset, this, &ContestAids::logChanged);
    // The hour figures move on with the clock.
    connect(&w_.TimerTime, &QTimer::timeout, this, [this] {
        const UtcStamp now = c_.clock.utcNow();
        if (now.minute != shownMinute_)
            refreshRate();
    });
    w_.ECall->installEventFilter(this);

    // Once the main window stands where it was, the windows open beside it again.
    QTimer::singleShot(0, this, [this] {
        if (settings_.check.visible)
            show(fCheckCalls, settings_.check);
        if (settings_.rate.visible)
            show(fRate, settings_.rate);
    });
}

ContestAids::~ContestAids()
{
    // The main window may live on (in tests it does): it keeps no item or window of ours.
    w_.ECall->removeEventFilter(this);
    delete CheckMenu;
    delete RateMenu;
    delete SaveHistoryMenu;
    delete fCheckCalls;
    delete fRate;
}

void ContestAids::save()
{
    guarded(&w_, [this] { SaveAidSettings(settings_, c_.folder); });
}

void ContestAids::toggle(QWidget *window, AidWindowPlace &place)
{
    if (window->isVisible()) {
        window->close();
        place.visible = false;
    } else
        show(window, place);
}

void ContestAids::show(QWidget *window, AidWindowPlace &place)
{
    if (place.stored)
        window->move(place.left, place.top);
    else  // beside the log, where the eye goes from the entry line
        window->move(w_.frameGeometry().topRight() + QPoint(8, window == fRate ? 340 : 0));
    window->show();
    place.visible = true;
    refreshCheck();
    refreshRate();
    // Some window systems hand the keyboard to a window as it appears, whatever it asks for:
    // it is taken back once they have.
    QTimer::singleShot(0, this, [this] { w_.focusEntry(); });
}

void ContestAids::placeChanged(QWidget *window, AidWindowPlace &place, bool open)
{
    place.visible = open;
    if (open) {
        place.left = window->x();
        place.top = window->y();
        place.stored = true;
    }
}

// The log tells of a commit before the commit has counted the QSO, and a load row by row:
// the windows look once everything has settled.
void ContestAids::logChanged()
{
    stationDue_ = true;
    if (refreshDue_)
        return;
    refreshDue_ = true;
    QMetaObject::invokeMethod(this, [this] {
        refreshDue_ = false;
        refreshCheck();
        refreshRate();
    }, Qt::QueuedConnection);
}

void ContestAids::stationChanged()
{
    logChanged();
}

// Asked for only while a window shows them, and once per change: the whole station's log is
// built anew each time.
const std::vector<StationQso> &ContestAids::stationQsos()
{
    if (stationDue_) {
        station_ = c_.stationQsos();
        checker_.setStation(station_);
        stationDue_ = false;
    }
    return station_;
}

void ContestAids::refreshRate()
{
    if (!fRate->isVisible())
        return;
    const UtcStamp now = c_.clock.utcNow();
    shownMinute_ = now.minute;
    fRate->showFigures(c_.stationQsos ? ComputeRate(c_.st, stationQsos(), now) : ComputeRate(c_.st, c_.table, now));
}

void ContestAids::refreshCheck()
{
    if (!fCheckCalls->isVisible())
        return;
    if (c_.stationQsos)
        stationQsos();
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

bool ContestAids::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == w_.ECall && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Tab)
        return ECallTab();
    return QObject::eventFilter(watched, event);
}
