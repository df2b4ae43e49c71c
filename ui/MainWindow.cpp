#include "ui/MainWindow.h"

#include "logging/DurableFile.h"
#include "ui/GuiSupport.h"
#include "logging/ScreenText.h"
#include "export/Adif.h"
#include "export/Cabrillo.h"
#include "ui/LogCheckWindow.h"
#include "ui/Launch.h"
#include "settings/MainSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>

namespace {

QString fileFilter()
{
    return QStringLiteral("Text files (*.log)");
}

} // namespace

MainWindow::MainWindow(Contest &contest, QWidget *parent) : QMainWindow(parent), c_(contest), model_(contest.table)
{
    // The program ends through "Close" in the File menu, never by a stray click on the frame.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(sansFont(11));
    buildWindow();
    buildMenu();
    // A fixed single border: the client area and the menu bar, no more, no less.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    c_.setView(this);
    c_.log.setFileReader(ReadAwayFromWindow);
    FormCreate();
}

MainWindow::~MainWindow()
{
    // The children are deleted after this body, and a focused one moves the application's
    // focus as it goes: the grid's focus watch must not run on a window half taken apart.
    disconnect(qApp, nullptr, this, nullptr);
    c_.setView(nullptr);
}

void MainWindow::FormCreate()
{
    LoadSettings();
    move(KeptOnScreen(this, QPoint(c_.st.MainLeft, c_.st.MainTop)));
    c_.formCreate();
    setWindowTitle(toScreen(c_.display.Caption));
    cbExchange->setChecked(c_.st.CbExchange);
    cbNumber->setChecked(c_.st.CbNumber);
    displayChanged();
}

void MainWindow::LoadSettings()
{
    firstStart_ = !LoadMainSettings(c_.st, c_.folder);
}

void MainWindow::SaveSettings()
{
    SaveMainSettings(c_.st, c_.folder, SystemShortDate(c_.clock));
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void MainWindow::FormShow()
{
    std::vector<int> skipped;
    guarded(this, [&] { skipped = c_.formShow(); });
    TimerTime.start();
    TimerStart.start();
    // A first start asks for the own call before anything else.
    if (firstStart_)
        QTimer::singleShot(0, this, [this] { c_.openSetup(); });
    if (!skipped.empty()) {
        const std::string path = c_.logPath();
        QTimer::singleShot(0, this, [this, skipped, path] { reportSkippedLines(skipped, path); });
    }
}

void MainWindow::TimerStartTimer()
{
    guarded(this, [this] { c_.startTimerTick(); });
}

void MainWindow::TimerTimeTimer()
{
    c_.clockTick();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
    // The other windows close with this one, whatever they show.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

// Saves the settings once, however the program is ended.
void MainWindow::FormClose()
{
    if (closing_)
        return;
    closing_ = true;
    guarded(this, [this] {
        c_.st.MainTop = y();
        c_.st.MainLeft = x();
        SaveSettings();
    });
}

void MainWindow::ExitMenuClick()
{
    close();
}

std::string MainWindow::entryText() const
{
    return fromScreen(ECall->text());
}

void MainWindow::setEntryText(const std::string &text)
{
    ECall->setText(toScreen(text));
}

void MainWindow::caretToEnd()
{
    ECall->setCursorPosition(ECall->text().size());
}

void MainWindow::focusEntry()
{
    if (ECall->isHidden())
        return;
    // The entry line takes the keyboard back even from the panel or the options window.
    if (isVisible() && !isActiveWindow())
        activateWindow();
    ECall->setFocus();
    caretToEnd();
}

bool MainWindow::entryVisible() const
{
    return !ECall->isHidden();
}

void MainWindow::focusMyCall()
{
    if (Pdata->isHidden())
        return;
    EMyCall->setFocus();
    EMyCall->setCursorPosition(EMyCall->text().size());
}

bool MainWindow::setupVisible() const
{
    return !Pdata->isHidden();
}

void MainWindow::showSetup(bool shown)
{
    Pdata->setVisible(shown);
    ECall->setVisible(!shown);
    if (shown)
        Pdata->raise();
}

void MainWindow::showGridRow(int row)
{
    // Rows just added are laid out later; scrolling before that stops short of them.
    Log->doItemsLayout();
    Log->setCurrentIndex(model_.index(row, 0));
    Log->scrollTo(model_.index(row, 0));
}

void MainWindow::displayChanged()
{
    const MainDisplay &d = c_.display;
    setTextIfChanged(LCall, d.LCall);
    showBandAndFrequency();
    setTextIfChanged(LClock, d.LClock);
    setTextIfChanged(LSecond, d.LSecond);
    setTextIfChanged(LInfo, d.LInfo);
    setTextIfChanged(LInfo1, d.LInfo1);
    const QString dupe = !d.LDouble ? QString()
                         : d.LDoubleBy.empty() ? QStringLiteral("DVOJNA ZVEZA")
                                               : QStringLiteral("DVOJNA ZVEZA ") + toScreen(d.LDoubleBy);
    if (dupe != LDouble->text()) {
        // The other position's name must fit beside the warning: the label cannot grow.
        LDouble->setFont(FittedFont(sansFont(16, true), dupe, LDouble->width()));
        LDouble->setText(dupe);
    }
    setTextIfChanged(LQSO, d.LQSO);
    setTextIfChanged(LMemo, d.LMemo);
    setTailIfChanged(LTransmit, d.LTransmit);
    LRun->setText(d.LRunIsRun ? QStringLiteral("RUN") : QStringLiteral("S/P"));
    setTextColor(LRun, d.LRunIsRun ? Qt::red : Qt::black);
    LESM->setVisible(d.LESMVisible);
    setTextIfChanged(LSpeed, d.LSpeed);
    setTextIfChanged(LSpeedPaddle, d.LSpeedPaddle);
    for (QLabel *l : {LSpeed, LSpeed1, LSpeedPaddle})
        l->setVisible(d.CwControlsVisible);
    EWinkeyer->setVisible(d.EWinkeyerVisible);
    if (BMode->text() != toScreen(d.BModeText))
        BMode->setText(toScreen(d.BModeText));
    paintBackground(BMode, d.BModeColor);
    if (BMode->toolTip() != toScreen(d.BModeHint))
        BMode->setToolTip(toScreen(d.BModeHint));
    paintBackground(EWinkeyer, d.EWinkeyerColor);
    paintBackground(ECAT, d.ECATColor);
    if (ECAT->toolTip() != toScreen(d.ECATHint))
        ECAT->setToolTip(toScreen(d.ECATHint));
    paintBackground(ShapeCall, d.ShapeCallColor);
    paintBackground(ShapeExchange, d.ShapeExchangeColor);
    if (EDate->text() != toScreen(d.EDate))
        EDate->setText(toScreen(d.EDate));
    if (EMyCall->text() != toScreen(d.EMyCall))
        EMyCall->setText(toScreen(d.EMyCall));
    if (EExchange->text() != toScreen(d.EExchange))
        EExchange->setText(toScreen(d.EExchange));
    if (d.EModeIndex >= 0 && EMode->currentIndex() != d.EModeIndex)
        EMode->setCurrentIndex(d.EModeIndex);
    if (d.EBandIndex >= 0 && EBand->currentIndex() != d.EBandIndex)
        EBand->setCurrentIndex(d.EBandIndex);
    QLabel *cw[] = {Lcwtx, LcwtxB, LcwtxBB};
    QLabel *sp[] = {Lsptx, LsptxB, LsptxBB};
    for (int i = 0; i < 3; ++i) {
        setTextIfChanged(cw[i], d.Lcwtx[static_cast<size_t>(i)]);
        setTextIfChanged(sp[i], d.Lsptx[static_cast<size_t>(i)]);
    }
}

void MainWindow::ECallChange(const QString &text)
{
    guarded(this, [&] { c_.entry.changed(fromScreen(text)); });
}

bool MainWindow::isMenuShortcut(const QKeyEvent *key) const
{
    const QKeySequence pressed(key->keyCombination());
    for (const QAction *a : {DeleteLastQSO, SetupMenu})
        if (a->shortcut() == pressed)
            return true;
    return false;
}

// Returns true when the key was handled and must not reach the line's own editing.
bool MainWindow::ECallKeyDown(QKeyEvent *key)
{
    const auto mods = key->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const int code = entryKeyCode(key);
    if (code != 0 || ctrl) {
        bool consumed = false;
        guarded(this, [&] {
            consumed = c_.keys.keyDown(code, ctrl, mods & Qt::ShiftModifier, mods & Qt::AltModifier);
        });
        if (consumed)
            return true;
    }
    return ECallKeyPress(key);
}

bool MainWindow::ECallKeyPress(QKeyEvent *key)
{
    // Alt+F, Alt+W and the like are commands that missed, never letters of the call.
    if (key->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier) && !key->text().isEmpty()
        && key->text().at(0).isPrint())
        return true;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        guarded(this, [this] { c_.keys.enter(); });
        return true;
    case Qt::Key_Escape:
        guarded(this, [this] { c_.keys.escape(); });
        return true;
    default:
        return false;
    }
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ECall) {
        if (event->type() == QEvent::ShortcutOverride && isMenuShortcut(static_cast<QKeyEvent *>(event))) {
            // The menu's shortcuts win over the line's own editing keys (Ctrl+Delete deletes a word there).
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress)
            return ECallKeyDown(static_cast<QKeyEvent *>(event));
    } else if (watched == BMode && event->type() == QEvent::MouseButtonPress) {
        BModeClick();
        return true;
    } else if (watched == EWinkeyer && event->type() == QEvent::MouseButtonPress) {
        EWinkeyerClick();
        return true;
    } else if (watched == ECAT && event->type() == QEvent::MouseButtonPress) {
        ECATClick();
        return true;
    } else if (watched == ENet && event->type() == QEvent::MouseButtonPress) {
        emit networkSetupClicked();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::EBandSelect(int index)
{
    c_.bandSelected(index);
}

void MainWindow::EModeSelect(int index)
{
    guarded(this, [&] { c_.modeSelected(index); });
}

void MainWindow::EMyCallChange(const QString &text)
{
    c_.myCallChanged(fromScreen(text));
}

void MainWindow::EExchangeChange(const QString &text)
{
    c_.exchangeChanged(fromScreen(text));
}

void MainWindow::EWinkeyerClick()
{
    c_.keyer().showOptions();
}

void MainWindow::showNetState(bool up, const QString &text)
{
    LNet->setText(up ? QStringLiteral("NET") : QStringLiteral("NET DOWN"));
    paintBackground(LNet, up ? Colors::ColorGreen : Colors::ColorRed);
    LNet->setToolTip(text);
    LNet->show();
}

void MainWindow::ECATClick()
{
    c_.radio().showSetup();
}

// The band, and while it follows the radio the frequency before it, in the warning
// colour when it lies outside the contest bands or the radio is lost.
void MainWindow::showBandAndFrequency()
{
    const MainDisplay &d = c_.display;
    if (d.LTestFrequency.empty()) {
        setTextIfChanged(LTest, d.LTest);
        return;
    }
    const QString text = QStringLiteral("<span style=\"color:%1\">%2</span>&nbsp;&nbsp;&nbsp;%3")
                             .arg(d.LTestWarning ? QStringLiteral("#e00000") : QStringLiteral("black"),
                                  toScreen(d.LTestFrequency).toHtmlEscaped(), toScreen(d.LTest).toHtmlEscaped());
    if (LTest->text() != text)
        LTest->setText(text);
}

void MainWindow::BCancelClick()
{
    std::vector<int> skipped;
    guarded(this, [&] { skipped = c_.closeSetup(); });
    if (!skipped.empty())
        reportSkippedLines(skipped, c_.logPath());
}

// Before a command on the log: the table holds the own call's log, even while the
// setup panel with a changed call is still open. False when that log cannot be read.
bool MainWindow::followOwnCall()
{
    std::vector<int> skipped;
    bool ok = false;
    guarded(this, [&] {
        skipped = c_.log.followOwnCall();
        ok = true;
    });
    if (!skipped.empty())
        reportSkippedLines(skipped, c_.logPath());
    return ok;
}

void MainWindow::BModeClick()
{
    guarded(this, [this] { c_.modeBoxClicked(); });
}

void MainWindow::LogExit()
{
    guarded(this, [this] { c_.log.gridLeft(); });
}

namespace {
QString qsoCountText(int count)
{
    return count == 1 ? QStringLiteral("1 QSO") : QStringLiteral("%1 QSOs").arg(count);
}
QString BaseName(const std::string &path)
{
    return QString::fromLocal8Bit(path.substr(path.find_last_of('/') + 1).c_str());
}
} // namespace

void MainWindow::ClearMenuClick()
{
    if (!followOwnCall())
        return;
    const QString goes = QStringLiteral("\n\n%1 of %2 go from the log; the log is kept whole in %3.")
                             .arg(qsoCountText(c_.st.QsoCount), toScreen(c_.st.MyCall),
                                  BaseName(c_.log.deletedCopyPath()));
    const QString title = QStringLiteral("Delete File");
    if (!confirm(this, title,
                 QStringLiteral("Si prepričan da želiš brisati podatke?\n\rBrisanje - OK !\n\r"
                                "Če podatke nisi shranil ne briši - CANCEL !") + goes,
                 Confirm::RemovesQsos))
        return;
    if (!confirm(this, title,
                 QStringLiteral("Pritisnil si brisanje podatkov, res želiš to storiti?\n\r"
                                "Brisal boš podatke dnevnika ")
                     + toScreen(c_.st.MyCall) + QStringLiteral(" !") + goes,
                 Confirm::RemovesQsos))
        return;
    guarded(this, [this] { c_.log.deleteFile(); });
}

void MainWindow::DeleteLastQSOClick()
{
    if (!followOwnCall() || c_.st.QsoCount <= 0)
        return;
    const QsoRow &last = c_.table.row(c_.st.QsoCount - 1);
    if (!confirm(this, QStringLiteral("Delete Last QSO"),
                 QStringLiteral("QSO %1, %2 %3 on %4 %5, goes from the log of %6.")
                     .arg(c_.st.QsoCount)
                     .arg(toScreen(last.Call), toScreen(last.Exchange), toScreen(last.Band), toScreen(last.Mode),
                          toScreen(c_.st.MyCall)),
                 Confirm::RemovesQsos))
        return;
    guarded(this, [this] { c_.log.deleteLastQso(); });
}

void MainWindow::Log1Click()
{
    const QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Save Log"),
                                                      QString::fromStdString(c_.folder), fileFilter());
    if (name.isEmpty() || !followOwnCall())
        return;
    guarded(this, [&] { c_.log.saveCopy(name.toStdString()); });
}

std::vector<StationQso> MainWindow::exportedQsos() const
{
    return c_.stationQsos ? c_.stationQsos() : OwnQsos(c_.st, c_.table);
}

void MainWindow::SaveCBRMenuClick()
{
    if (!followOwnCall() || !confirm(this, QStringLiteral("Save CBR"), CabrilloConfirmationText(), Confirm::Proceeds))
        return;
    try {
        ExportCabrillo(c_.st, exportedQsos(), c_.folder);
    } catch (const std::exception &e) {
        showError(this, messageToScreen(e.what()));
    }
}

void MainWindow::SaveAdifMenuClick()
{
    try {
        const std::vector<StationQso> qsos = exportedQsos();
        const AdifExport done = ExportAdif(c_.st, qsos, c_.folder, c_.clock.utcNow());
        QMessageBox box(QMessageBox::Information, QStringLiteral("Save ADIF"),
                        messageToScreen(AdifReport(done, qsos)), QMessageBox::Ok, this);
        box.exec();
    } catch (const std::exception &e) {
        showError(this, messageToScreen(e.what()));
    }
}

void MainWindow::CheckLogMenuClick()
{
    if (!fCheck) {
        fCheck = new LogCheckWindow(c_.st, c_.table, [this](int row) { selectCheckedRow(row); }, this);
        // Beside the log, so the rows it names can be seen while the list is open.
        fCheck->move(KeptOnScreen(fCheck, frameGeometry().topRight() + QPoint(8, 0)));
    }
    fCheck->check();
    fCheck->show();
    fCheck->raise();
    fCheck->activateWindow();
}

void MainWindow::selectCheckedRow(int row)
{
    // The log may have changed since the check; a row it no longer has is not shown.
    if (row < 0 || row >= c_.st.QsoCount || row >= c_.table.rowCount())
        return;
    const QModelIndex index = model_.index(row, LogTable::ColCall);
    Log->setCurrentIndex(index);
    Log->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    Log->scrollTo(index);
}

void MainWindow::OdpriLog1Click()
{
    if (!followOwnCall())
        return;
    if (!confirm(this, QStringLiteral("Open File"),
                 QStringLiteral("Uvozil boš dnevnik iz kopije,\n\r"
                                "uvoženi dnevnik se bo avtomatsko prepisal čez podatke dnevnika ")
                     + toScreen(c_.st.MyCall) + QStringLiteral(".\n\rČe hočete nadaljevati pritisni tipko - OK !")
                     + QStringLiteral("\n\nThe %1 now in the log give way to the copy's.").arg(qsoCountText(c_.st.QsoCount)),
                 Confirm::RemovesQsos))
        return;
    const QString name = QFileDialog::getOpenFileName(this, QStringLiteral("Open File"),
                                                      QString::fromStdString(c_.folder), fileFilter());
    if (name.isEmpty())
        return;
    std::vector<int> skipped;
    guarded(this, [&] { c_.log.openCopy(name.toStdString(), skipped); });
    if (!skipped.empty())
        reportSkippedImport(skipped, name.toStdString());
}

void MainWindow::SetupMenuClick()
{
    c_.openSetup();
}

void MainWindow::ManMenuClick()
{
    OpenContestRules();
}

void MainWindow::SendLogMenuClick()
{
    OpenLogReception();
}

void MainWindow::UraTidewatch1Click()
{
    StartTidewatch();
}

void MainWindow::ByClick()
{
    QMessageBox box(QMessageBox::Information, AboutCaption(), AboutText(), QMessageBox::Ok, this);
    box.exec();
}

namespace {
// Thousands of numbers would push the box's OK button off the screen.
QString lineNumbers(const std::vector<int> &lines)
{
    return QString::fromStdString(LineNumbersSummary(lines));
}
} // namespace

void MainWindow::reportSkippedLines(const std::vector<int> &lines, const std::string &path)
{
    const QString count = QString::number(lines.size()) + (lines.size() == 1 ? QStringLiteral(" line") : QStringLiteral(" lines"));
    showWarning(this, QStringLiteral("Log File"),
                QStringLiteral("Lines of %2 that could not be read are not in the log (%1: %3).\n"
                               "Correct them with a text editor before you log on. Before the program "
                               "rewrites the log without them, it keeps them with their line numbers in %4.")
                    .arg(count, QString::fromStdString(path), lineNumbers(lines),
                         QString::fromStdString(RejectedLinesPath(path))));
}

void MainWindow::reportSkippedImport(const std::vector<int> &lines, const std::string &path)
{
    showWarning(this, QStringLiteral("Open File"),
                QStringLiteral("These lines of %1 could not be read and were not imported: %2.\n"
                               "The log held before the import is kept as %3.")
                    .arg(QString::fromStdString(path), lineNumbers(lines),
                         QString::fromStdString(c_.logPath() + ".bak")));
}
