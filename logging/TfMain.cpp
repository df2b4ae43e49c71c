#include "logging/TfMain.h"

#include "logging/DurableFile.h"
#include "logging/GuiSupport.h"
#include "logging/ScreenText.h"
#include "export/Cabrillo.h"
#include "export/Launch.h"
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

const QColor kCream(255, 251, 240);

// Grid cells are edited upper case, as the entry line writes them.
class UpperCaseDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor))
            line->setValidator(new UpperCaseValidator(line));
        return editor;
    }
};

QLabel *label(QWidget *parent, const QString &name, const QRect &geometry, const QFont &font,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *l = new QLabel(parent);
    l->setObjectName(name);
    l->setGeometry(geometry);
    l->setFont(font);
    l->setAlignment(align);
    return l;
}

QString fileFilter()
{
    return QStringLiteral("Text files (*.log)");
}

} // namespace

TfMain::TfMain(Contest &contest, QWidget *parent) : QMainWindow(parent), c_(contest), model_(contest.table)
{
    // The program ends through "Close" in the File menu, never by a stray click on the frame.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(sansFont(11));
    buildWindow();
    buildMenu();
    c_.setView(this);
    FormCreate();
}

TfMain::~TfMain()
{
    c_.setView(nullptr);
}

void TfMain::buildWindow()
{
    auto *client = new QWidget(this);
    client->setFixedSize(498, 498);
    setCentralWidget(client);

    auto *frame = new QFrame(client);
    frame->setObjectName(QStringLiteral("Panel1"));
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Raised);
    frame->setGeometry(2, 12, 469, 474);

    LCall = label(frame, QStringLiteral("LCall"), QRect(8, 4, 220, 22), sansFont(16));
    LTest = label(frame, QStringLiteral("LTest"), QRect(240, 4, 220, 22), sansFont(16),
                  Qt::AlignRight | Qt::AlignVCenter);

    Log = new QTableView(frame);
    Log->setObjectName(QStringLiteral("Log"));
    Log->setGeometry(2, 30, 465, 319);
    Log->setModel(&model_);
    Log->setItemDelegate(new UpperCaseDelegate(Log));
    Log->setFont(monoFont(24));
    Log->horizontalHeader()->hide();
    Log->verticalHeader()->hide();
    Log->verticalHeader()->setMinimumSectionSize(20);
    Log->verticalHeader()->setDefaultSectionSize(35);
    Log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The six columns are a little wider than the grid, as they always were.
    Log->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Log->setTextElideMode(Qt::ElideNone);
    Log->setFocusPolicy(Qt::ClickFocus);  // the operator reaches the grid by mouse only
    Log->setTabKeyNavigation(false);
    Log->setSelectionMode(QAbstractItemView::SingleSelection);
    Log->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                         | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    {
        QPalette pal = Log->palette();
        pal.setColor(QPalette::Base, kCream);
        Log->setPalette(pal);
    }
    const int widths[] = {80, 157, 55, 58, 58, 62};
    for (int col = 0; col < 6; ++col)
        Log->setColumnWidth(col, widths[col]);
    connect(Log, &QTableView::pressed, this, [this] { LogClick(); });
    model_.setOnEdited([this] { c_.log.gridCellEdited(); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        const auto inGrid = [this](QWidget *w) { return w && (w == Log || Log->isAncestorOf(w)); };
        // Deferred, so an open cell editor has handed its text to the table first.
        if (inGrid(old) && !inGrid(now))
            QTimer::singleShot(0, this, [this] { LogExit(); });
    });

    PWork = new QFrame(frame);
    PWork->setObjectName(QStringLiteral("PWork"));
    PWork->setFrameShape(QFrame::Panel);
    PWork->setFrameShadow(QFrame::Sunken);
    PWork->setGeometry(2, 353, 465, 108);
    PWork->setAutoFillBackground(true);

    LClock = label(PWork, QStringLiteral("LClock"), QRect(4, 0, 96, 42), sansFont(32, true));
    setTextColor(LClock, Qt::blue);
    LSecond = label(PWork, QStringLiteral("LSecond"), QRect(100, 6, 22, 18), sansFont(13));

    BMode = new QLineEdit(PWork);
    BMode->setObjectName(QStringLiteral("BMode"));
    BMode->setGeometry(8, 46, 50, 26);
    BMode->setReadOnly(true);
    BMode->setFocusPolicy(Qt::NoFocus);
    BMode->setFont(sansFont(16));
    BMode->setText(QStringLiteral("  CW"));
    BMode->installEventFilter(this);

    LMemo = label(PWork, QStringLiteral("LMemo"), QRect(62, 46, 58, 16), sansFont(11, true),
                  Qt::AlignRight | Qt::AlignVCenter);
    LRun = label(PWork, QStringLiteral("LRun"), QRect(62, 62, 58, 16), sansFont(11, true),
                 Qt::AlignRight | Qt::AlignVCenter);

    ECall = new QLineEdit(PWork);
    ECall->setObjectName(QStringLiteral("ECall"));
    ECall->setGeometry(124, 4, 227, 43);
    ECall->setFont(monoFont(32));
    ECall->setFrame(false);
    ECall->setValidator(new EntryLineValidator(ECall));
    setTextColor(ECall, Qt::blue);
    ECall->installEventFilter(this);
    connect(ECall, &QLineEdit::textChanged, this, &TfMain::ECallChange);

    LInfo = label(PWork, QStringLiteral("LInfo"), QRect(124, 50, 136, 16), sansFont(11, true));
    setTextColor(LInfo, Qt::blue);
    LInfo1 = label(PWork, QStringLiteral("LInfo1"), QRect(262, 52, 85, 16), sansFont(11, true),
                   Qt::AlignRight | Qt::AlignVCenter);
    setTextColor(LInfo1, Qt::blue);

    ShapeCall = new QFrame(PWork);
    ShapeCall->setObjectName(QStringLiteral("ShapeCall"));
    ShapeCall->setGeometry(356, 10, 22, 22);
    ShapeCall->setFrameShape(QFrame::Box);
    ShapeExchange = new QFrame(PWork);
    ShapeExchange->setObjectName(QStringLiteral("ShapeExchange"));
    ShapeExchange->setGeometry(366, 20, 22, 22);
    ShapeExchange->setFrameShape(QFrame::Box);

    LESM = label(PWork, QStringLiteral("LESM"), QRect(420, 2, 40, 14), sansFont(10, true),
                 Qt::AlignRight | Qt::AlignVCenter);
    LESM->setText(QStringLiteral("ESM"));
    setTextColor(LESM, Qt::red);

    LSpeed = label(PWork, QStringLiteral("LSpeed"), QRect(8, 76, 26, 20), sansFont(16));
    LSpeed1 = label(PWork, QStringLiteral("LSpeed1"), QRect(34, 76, 44, 20), sansFont(16));
    LSpeed1->setText(QStringLiteral("wpm"));
    LSpeedPaddle = label(PWork, QStringLiteral("LSpeedPaddle"), QRect(80, 76, 30, 20), sansFont(16));

    LQSO = label(PWork, QStringLiteral("LQSO"), QRect(124, 70, 120, 16), sansFont(11, true));
    LTransmit = label(PWork, QStringLiteral("LTransmit"), QRect(8, 92, 236, 14), sansFont(11, true));

    LDouble = label(PWork, QStringLiteral("LDouble"), QRect(262, 48, 200, 22), sansFont(16, true),
                    Qt::AlignRight | Qt::AlignVCenter);
    setTextColor(LDouble, Qt::red);

    Panel2 = new QFrame(PWork);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameShape(QFrame::Panel);
    Panel2->setFrameShadow(QFrame::Sunken);
    Panel2->setGeometry(246, 66, 217, 40);
    const auto small = sansFont(10);
    Lcwtx = label(Panel2, QStringLiteral("Lcwtx"), QRect(4, 1, 100, 12), small);
    LcwtxB = label(Panel2, QStringLiteral("LcwtxB"), QRect(4, 13, 100, 12), small);
    LcwtxBB = label(Panel2, QStringLiteral("LcwtxBB"), QRect(4, 25, 100, 12), small);
    Lsptx = label(Panel2, QStringLiteral("Lsptx"), QRect(112, 1, 100, 12), small);
    LsptxB = label(Panel2, QStringLiteral("LsptxB"), QRect(112, 13, 100, 12), small);
    LsptxBB = label(Panel2, QStringLiteral("LsptxBB"), QRect(112, 25, 100, 12), small);

    buildSetupPanel(frame);

    TimerStart.setSingleShot(true);
    TimerStart.setInterval(100);
    connect(&TimerStart, &QTimer::timeout, this, &TfMain::TimerStartTimer);
    TimerTime.setInterval(1000);
    TimerTime.setTimerType(Qt::PreciseTimer);
    connect(&TimerTime, &QTimer::timeout, this, &TfMain::TimerTimeTimer);
}

void TfMain::buildSetupPanel(QWidget *parent)
{
    Pdata = new QFrame(parent);
    Pdata->setObjectName(QStringLiteral("Pdata"));
    Pdata->setFrameShape(QFrame::Panel);
    Pdata->setFrameShadow(QFrame::Raised);
    Pdata->setAutoFillBackground(true);
    Pdata->setGeometry(200, 27, 169, 208);

    const auto caption = [this](const QString &text, int top) {
        auto *l = new QLabel(text, Pdata);
        l->setGeometry(8, top, 50, 21);
    };
    caption(QStringLiteral("Call"), 8);
    EMyCall = new QLineEdit(Pdata);
    EMyCall->setObjectName(QStringLiteral("EMyCall"));
    EMyCall->setGeometry(58, 8, 103, 21);
    EMyCall->setValidator(new UpperCaseValidator(EMyCall));
    connect(EMyCall, &QLineEdit::textChanged, this, &TfMain::EMyCallChange);

    caption(QStringLiteral("Mode"), 33);
    EMode = new QComboBox(Pdata);
    EMode->setObjectName(QStringLiteral("EMode"));
    EMode->setGeometry(58, 33, 103, 21);
    EMode->addItems({QStringLiteral("CW"), QStringLiteral("PH")});
    EMode->setCurrentIndex(-1);
    // Only the operator's choice runs the handler, never a choice made by the program.
    connect(EMode, &QComboBox::activated, this, &TfMain::EModeSelect);

    caption(QStringLiteral("Band"), 58);
    EBand = new QComboBox(Pdata);
    EBand->setObjectName(QStringLiteral("EBand"));
    EBand->setGeometry(58, 58, 103, 21);
    EBand->addItems({QStringLiteral("1.8"), QStringLiteral("3.5"), QStringLiteral("7"), QStringLiteral("14"),
                     QStringLiteral("21"), QStringLiteral("28"), QStringLiteral("CAT")});
    EBand->setCurrentIndex(-1);
    connect(EBand, &QComboBox::activated, this, &TfMain::EBandSelect);

    caption(QStringLiteral("Exch."), 83);
    EExchange = new QLineEdit(Pdata);
    EExchange->setObjectName(QStringLiteral("EExchange"));
    EExchange->setGeometry(58, 83, 103, 21);
    EExchange->setValidator(new UpperCaseValidator(EExchange));
    connect(EExchange, &QLineEdit::textChanged, this, &TfMain::EExchangeChange);

    cbExchange = new QCheckBox(QStringLiteral("Exchange"), Pdata);
    cbExchange->setObjectName(QStringLiteral("cbExchange"));
    cbExchange->setGeometry(8, 108, 78, 20);
    cbNumber = new QCheckBox(QStringLiteral("Number"), Pdata);
    cbNumber->setObjectName(QStringLiteral("cbNumber"));
    cbNumber->setGeometry(88, 108, 76, 20);
    connect(cbExchange, &QCheckBox::toggled, this, [this](bool checked) { c_.st.CbExchange = checked; });
    connect(cbNumber, &QCheckBox::toggled, this, [this](bool checked) { c_.st.CbNumber = checked; });

    caption(QStringLiteral("Date"), 131);
    EDate = new QLineEdit(Pdata);
    EDate->setObjectName(QStringLiteral("EDate"));
    EDate->setGeometry(58, 131, 103, 21);
    EDate->setReadOnly(true);

    EWinkeyer = new QLineEdit(QStringLiteral("Setup Winkeyer"), Pdata);
    EWinkeyer->setObjectName(QStringLiteral("EWinkeyer"));
    EWinkeyer->setGeometry(8, 156, 153, 21);
    EWinkeyer->setReadOnly(true);
    EWinkeyer->setAlignment(Qt::AlignCenter);
    EWinkeyer->setCursor(Qt::PointingHandCursor);
    EWinkeyer->installEventFilter(this);

    BCancel = new QPushButton(QStringLiteral("Izhod"), Pdata);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    BCancel->setGeometry(46, 181, 77, 23);
    connect(BCancel, &QPushButton::clicked, this, &TfMain::BCancelClick);

    Pdata->hide();
}

void TfMain::buildMenu()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    ClearMenu = file->addAction(QStringLiteral("Delete File"), this, &TfMain::ClearMenuClick);
    DeleteLastQSO = file->addAction(QStringLiteral("Delete Last QSO"), this, &TfMain::DeleteLastQSOClick);
    DeleteLastQSO->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    Log1 = file->addAction(QStringLiteral("Save Log"), this, &TfMain::Log1Click);
    SaveCBRMenu = file->addAction(QStringLiteral("Save CBR"), this, &TfMain::SaveCBRMenuClick);
    OdpriLog1 = file->addAction(QStringLiteral("Open File"), this, &TfMain::OdpriLog1Click);
    ExitMenu = file->addAction(QStringLiteral("Close"), this, &TfMain::ExitMenuClick);

    // "Setup" is a command on the bar itself, without a submenu.
    SetupMenu = menuBar()->addAction(QStringLiteral("Setup"), this, &TfMain::SetupMenuClick);
    SetupMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));

    QMenu *other = menuBar()->addMenu(QStringLiteral("Other"));
    ManMenu = other->addAction(QStringLiteral("www"), this, &TfMain::ManMenuClick);
    SendLogMenu = other->addAction(QStringLiteral("Send CBR"), this, &TfMain::SendLogMenuClick);
    UraTidewatch1 = other->addAction(QStringLiteral("Tidewatch"), this, &TfMain::UraTidewatch1Click);
    By = other->addAction(QStringLiteral("About ..."), this, &TfMain::ByClick);

    for (QAction *a : {DeleteLastQSO, SetupMenu})
        a->setShortcutContext(Qt::WindowShortcut);
}

void TfMain::FormCreate()
{
    LoadSettings();
    move(c_.st.MainLeft, c_.st.MainTop);
    c_.formCreate();
    setWindowTitle(toScreen(c_.display.Caption));
    cbExchange->setChecked(c_.st.CbExchange);
    cbNumber->setChecked(c_.st.CbNumber);
    displayChanged();
}

void TfMain::LoadSettings()
{
    LoadMainSettings(c_.st, c_.folder);
}

void TfMain::SaveSettings()
{
    SaveMainSettings(c_.st, c_.folder, SystemShortDate(c_.clock));
}

void TfMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TfMain::FormShow()
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

void TfMain::TimerStartTimer()
{
    guarded(this, [this] { c_.startTimerTick(); });
}

void TfMain::TimerTimeTimer()
{
    c_.clockTick();
}

void TfMain::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
    // The other windows close with this one, whatever they show.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

// Saves the settings once, however the program is ended.
void TfMain::FormClose()
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

void TfMain::ExitMenuClick()
{
    close();
}

std::string TfMain::entryText() const
{
    return fromScreen(ECall->text());
}

void TfMain::setEntryText(const std::string &text)
{
    ECall->setText(toScreen(text));
}

void TfMain::caretToEnd()
{
    ECall->setCursorPosition(ECall->text().size());
}

void TfMain::focusEntry()
{
    if (ECall->isHidden())
        return;
    // The entry line takes the keyboard back even from the panel or the options window.
    if (isVisible() && !isActiveWindow())
        activateWindow();
    ECall->setFocus();
    caretToEnd();
}

bool TfMain::entryVisible() const
{
    return !ECall->isHidden();
}

void TfMain::focusMyCall()
{
    if (Pdata->isHidden())
        return;
    EMyCall->setFocus();
    EMyCall->setCursorPosition(EMyCall->text().size());
}

bool TfMain::setupVisible() const
{
    return !Pdata->isHidden();
}

void TfMain::showSetup(bool shown)
{
    Pdata->setVisible(shown);
    ECall->setVisible(!shown);
    if (shown)
        Pdata->raise();
}

void TfMain::showGridRow(int row)
{
    Log->setCurrentIndex(model_.index(row, 0));
    Log->scrollTo(model_.index(row, 0));
}

void TfMain::displayChanged()
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

void TfMain::ECallChange(const QString &text)
{
    guarded(this, [&] { c_.entry.changed(fromScreen(text)); });
}

bool TfMain::isMenuShortcut(const QKeyEvent *key) const
{
    const QKeySequence pressed(key->keyCombination());
    for (const QAction *a : {DeleteLastQSO, SetupMenu})
        if (a->shortcut() == pressed)
            return true;
    return false;
}

// Returns true when the key was handled and must not reach the line's own editing.
bool TfMain::ECallKeyDown(QKeyEvent *key)
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

bool TfMain::ECallKeyPress(QKeyEvent *key)
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

bool TfMain::eventFilter(QObject *watched, QEvent *event)
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

void TfMain::EBandSelect(int index)
{
    c_.bandSelected(index);
}

void TfMain::EModeSelect(int index)
{
    guarded(this, [&] { c_.modeSelected(index); });
}

void TfMain::EMyCallChange(const QString &text)
{
    c_.myCallChanged(fromScreen(text));
}

void TfMain::EExchangeChange(const QString &text)
{
    c_.exchangeChanged(fromScreen(text));
}

void TfMain::EWinkeyerClick()
{
    c_.keyer().showOptions();
}

void TfMain::BCancelClick()
{
    c_.closeSetup();
}

void TfMain::BModeClick()
{
    guarded(this, [this] { c_.modeBoxClicked(); });
}

void TfMain::LogClick()
{
    c_.log.gridClicked();
}

void TfMain::LogExit()
{
    guarded(this, [this] { c_.log.gridLeft(); });
}

void TfMain::ClearMenuClick()
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

void TfMain::DeleteLastQSOClick()
{
    guarded(this, [this] { c_.log.deleteLastQso(); });
}

void TfMain::Log1Click()
{
    const QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Save Log"),
                                                      QString::fromStdString(c_.folder), fileFilter());
    if (name.isEmpty())
        return;
    guarded(this, [&] { c_.log.saveCopy(name.toStdString()); });
}

void TfMain::SaveCBRMenuClick()
{
    if (!confirm(this, CabrilloConfirmationText()))
        return;
    try {
        ExportCabrillo(c_.st, c_.table, c_.folder);
    } catch (const std::exception &e) {
        showError(this, toScreen(e.what()));
    }
}

void TfMain::OdpriLog1Click()
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

void TfMain::SetupMenuClick()
{
    c_.openSetup();
}

void TfMain::ManMenuClick()
{
    OpenContestRules();
}

void TfMain::SendLogMenuClick()
{
    OpenLogReception();
}

void TfMain::UraTidewatch1Click()
{
    StartTidewatch();
}

void TfMain::ByClick()
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

void TfMain::reportSkippedLines(const std::vector<int> &lines, const std::string &path)
{
    showError(this, QStringLiteral("These lines of %1 could not be read and are not in the log: %2.\n"
                                   "Correct them with a text editor before you log on. The next change of the "
                                   "log rewrites the file without them; its previous content is then kept as %3.")
                        .arg(QString::fromStdString(path), lineNumbers(lines),
                             QString::fromStdString(c_.logPath() + ".bak")));
}

void TfMain::reportSkippedImport(const std::vector<int> &lines, const std::string &path)
{
    showError(this, QStringLiteral("These lines of %1 could not be read and were not imported: %2.\n"
                                   "The log held before the import is kept as %3.")
                        .arg(QString::fromStdString(path), lineNumbers(lines),
                             QString::fromStdString(c_.logPath() + ".bak")));
}
