#include "ui/MainWindow.h"

#include "logging/DurableFile.h"
#include "ui/GuiSupport.h"
#include "logging/ScreenText.h"
#include "export/Cabrillo.h"
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
    c_.setView(this);
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
    move(c_.st.MainLeft, c_.st.MainTop);
    c_.formCreate();
    setWindowTitle(toScreen(c_.display.Caption));
    cbExchange->setChecked(c_.st.CbExchange);
    cbNumber->setChecked(c_.st.CbNumber);
    displayChanged();
}

void MainWindow::LoadSettings()
{
    LoadMainSettings(c_.st, c_.folder);
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
    Log->setCurrentIndex(model_.index(row, 0));
    Log->scrollTo(model_.index(row, 0));
}

void MainWindow::displayChanged()
{
    const MainDisplay &d = c_.display;
    setTextIfChanged(LCall, d.LCall);
    setTextIfChanged(LTest, d.LTest);
    setTextIfChanged(LClock, d.LClock);
    setTextIfChanged(LSecond, d.LSecond);
    setTextIfChanged(LInfo, d.LInfo);
    setTextIfChanged(LInfo1, d.LInfo1);
    LDouble->setText(d.LDouble ? QStringLiteral("DVOJNA ZVEZA") : QString());
    setTextIfChanged(LQSO, d.LQSO);
    setTextIfChanged(LMemo, d.LMemo);
    setTextIfChanged(LTransmit, d.LTransmit);
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
    paintBackground(EWinkeyer, d.EWinkeyerColor);
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

void MainWindow::BCancelClick()
{
    c_.closeSetup();
}

void MainWindow::BModeClick()
{
    guarded(this, [this] { c_.modeBoxClicked(); });
}

void MainWindow::LogClick()
{
    c_.log.gridClicked();
}

void MainWindow::LogExit()
{
    guarded(this, [this] { c_.log.gridLeft(); });
}

void MainWindow::ClearMenuClick()
{
    if (!confirm(this, QStringLiteral("Si prepričan da želiš brisati podatke?\n\rBrisanje - OK !\n\r"
                                      "Če podatke nisi shranil ne briši - CANCEL !")))
        return;
    if (!confirm(this, QStringLiteral("Pritisnil si brisanje podatkov, res želiš to storiti?\n\r"
                                      "Brisal boš podatke dnevnika ")
                           + toScreen(c_.st.MyCall) + QStringLiteral(" !")))
        return;
    guarded(this, [this] { c_.log.deleteFile(); });
}

void MainWindow::DeleteLastQSOClick()
{
    guarded(this, [this] { c_.log.deleteLastQso(); });
}

void MainWindow::Log1Click()
{
    const QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Save Log"),
                                                      QString::fromStdString(c_.folder), fileFilter());
    if (name.isEmpty())
        return;
    guarded(this, [&] { c_.log.saveCopy(name.toStdString()); });
}

void MainWindow::SaveCBRMenuClick()
{
    if (!confirm(this, CabrilloConfirmationText()))
        return;
    try {
        ExportCabrillo(c_.st, c_.table, c_.folder);
    } catch (const std::exception &e) {
        showError(this, toScreen(e.what()));
    }
}

void MainWindow::OdpriLog1Click()
{
    if (!confirm(this, QStringLiteral("Uvozil boš dnevnik iz kopije,\n\r"
                                      "uvoženi dnevnik se bo avtomatsko prepisal čez podatke dnevnika ")
                           + toScreen(c_.st.MyCall)
                           + QStringLiteral(".\n\rČe hočete nadaljevati pritisni tipko - OK !")))
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
QString lineNumbers(const std::vector<int> &lines)
{
    QStringList numbers;
    for (int n : lines)
        numbers << QString::number(n);
    return numbers.join(QStringLiteral(", "));
}
} // namespace

void MainWindow::reportSkippedLines(const std::vector<int> &lines, const std::string &path)
{
    showError(this, QStringLiteral("These lines of %1 could not be read and are not in the log: %2.\n"
                                   "Correct them with a text editor before you log on. The next change of the "
                                   "log rewrites the file without them; its previous content is then kept as %3.")
                        .arg(QString::fromStdString(path), lineNumbers(lines),
                             QString::fromStdString(c_.logPath() + ".bak")));
}

void MainWindow::reportSkippedImport(const std::vector<int> &lines, const std::string &path)
{
    showError(this, QStringLiteral("These lines of %1 could not be read and were not imported: %2.\n"
                                   "The log held before the import is kept as %3.")
                        .arg(QString::fromStdString(path), lineNumbers(lines),
                             QString::fromStdString(c_.logPath() + ".bak")));
}
