#include "ui/MainWindow.h"

// The main window's controls, the setup panel and the menu: where each sits and what it says.

#include "logging/Bands.h"
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
#include <QProxyStyle>
#include <QPushButton>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QWindow>

namespace {

const QColor kCream(255, 251, 240);

// The menu bar never takes the keyboard (a lone Alt, or Esc out of a menu opened with the
// mouse): the next Enter would open a menu instead of logging the QSO in the entry line.
class MouseOnlyMenuBarStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
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

} // namespace

void MainWindow::buildWindow()
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
    Log->setItemDelegate(new GridDelegate(Log));
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
    // The columns keep the widths the log was laid out for.
    Log->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    model_.setOnEdited([this](int row, const QsoRow &was) { c_.log.gridCellEdited(row, was); });
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
    // The minutes end before the seconds begin, whatever font stands in for the one it was laid out in.
    LClock->setFont(FittedFont(LClock->font(), QStringLiteral("00:00"), LClock->width()));
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
    connect(ECall, &QLineEdit::textChanged, this, &MainWindow::ECallChange);

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
    connect(&TimerStart, &QTimer::timeout, this, &MainWindow::TimerStartTimer);
    TimerTime.setInterval(1000);
    TimerTime.setTimerType(Qt::PreciseTimer);
    connect(&TimerTime, &QTimer::timeout, this, &MainWindow::TimerTimeTimer);
}

void MainWindow::buildSetupPanel(QWidget *parent)
{
    Pdata = new QFrame(parent);
    Pdata->setObjectName(QStringLiteral("Pdata"));
    Pdata->setFrameShape(QFrame::Panel);
    Pdata->setFrameShadow(QFrame::Raised);
    Pdata->setAutoFillBackground(true);
    Pdata->setGeometry(200, 27, 169, 258);

    const auto caption = [this](const QString &text, int top) {
        auto *l = new QLabel(text, Pdata);
        l->setGeometry(8, top, 50, 21);
    };
    caption(QStringLiteral("Call"), 8);
    EMyCall = new QLineEdit(Pdata);
    EMyCall->setObjectName(QStringLiteral("EMyCall"));
    EMyCall->setGeometry(58, 8, 103, 21);
    EMyCall->setValidator(new UpperCaseValidator(EMyCall));
    connect(EMyCall, &QLineEdit::textChanged, this, &MainWindow::EMyCallChange);

    caption(QStringLiteral("Mode"), 33);
    EMode = new QComboBox(Pdata);
    EMode->setObjectName(QStringLiteral("EMode"));
    EMode->setGeometry(58, 33, 103, 21);
    EMode->addItems({QStringLiteral("CW"), QStringLiteral("PH")});
    EMode->setCurrentIndex(-1);
    // Only the operator's choice runs the handler, never a choice made by the program.
    connect(EMode, &QComboBox::activated, this, &MainWindow::EModeSelect);

    caption(QStringLiteral("Band"), 58);
    EBand = new QComboBox(Pdata);
    EBand->setObjectName(QStringLiteral("EBand"));
    EBand->setGeometry(58, 58, 103, 21);
    for (const ContestBand &band : ContestBands)
        EBand->addItem(QString::fromLatin1(band.label.data(), static_cast<qsizetype>(band.label.size())));
    EBand->addItem(QStringLiteral("CAT"));
    EBand->setCurrentIndex(-1);
    connect(EBand, &QComboBox::activated, this, &MainWindow::EBandSelect);

    caption(QStringLiteral("Exch."), 83);
    EExchange = new QLineEdit(Pdata);
    EExchange->setObjectName(QStringLiteral("EExchange"));
    EExchange->setGeometry(58, 83, 103, 21);
    EExchange->setValidator(new UpperCaseValidator(EExchange));
    connect(EExchange, &QLineEdit::textChanged, this, &MainWindow::EExchangeChange);

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

    // Read-only lines that open a setup window when clicked (the event filter sees the click).
    const auto setupLine = [this](const char *name, const QString &text, int top) {
        auto *e = new QLineEdit(text, Pdata);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(8, top, 153, 21);
        e->setReadOnly(true);
        e->setAlignment(Qt::AlignCenter);
        e->setCursor(Qt::PointingHandCursor);
        e->installEventFilter(this);
        return e;
    };
    EWinkeyer = setupLine("EWinkeyer", QStringLiteral("Setup Winkeyer"), 156);
    ECAT = setupLine("ECAT", QStringLiteral("Setup CAT"), 181);
    ENet = setupLine("ENet", QStringLiteral("Setup Network"), 206);

    BCancel = new QPushButton(QStringLiteral("Izhod"), Pdata);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    BCancel->setGeometry(46, 231, 77, 23);
    connect(BCancel, &QPushButton::clicked, this, &MainWindow::BCancelClick);
    // Esc leaves the setup panel as "Izhod" does.
    auto *leave = new QShortcut(QKeySequence(Qt::Key_Escape), Pdata, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(leave, &QShortcut::activated, this, &MainWindow::BCancelClick);

    Pdata->hide();
}

void MainWindow::buildMenu()
{
    auto *style = new MouseOnlyMenuBarStyle;
    style->setParent(menuBar());
    menuBar()->setStyle(style);
    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    ClearMenu = file->addAction(QStringLiteral("Delete File"), this, &MainWindow::ClearMenuClick);
    DeleteLastQSO = file->addAction(QStringLiteral("Delete Last QSO"), this, &MainWindow::DeleteLastQSOClick);
    DeleteLastQSO->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    Log1 = file->addAction(QStringLiteral("Save Log"), this, &MainWindow::Log1Click);
    SaveCBRMenu = file->addAction(QStringLiteral("Save CBR"), this, &MainWindow::SaveCBRMenuClick);
    SaveAdifMenu = file->addAction(QStringLiteral("Save ADIF"), this, &MainWindow::SaveAdifMenuClick);
    CheckLogMenu = file->addAction(QStringLiteral("Check Log"), this, &MainWindow::CheckLogMenuClick);
    OdpriLog1 = file->addAction(QStringLiteral("Open File"), this, &MainWindow::OdpriLog1Click);
    ExitMenu = file->addAction(QStringLiteral("Close"), this, &MainWindow::ExitMenuClick);

    // "Setup" is a command on the bar itself, without a submenu.
    SetupMenu = menuBar()->addAction(QStringLiteral("Setup"), this, &MainWindow::SetupMenuClick);
    SetupMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));

    QMenu *other = menuBar()->addMenu(QStringLiteral("Other"));
    ManMenu = other->addAction(QStringLiteral("www"), this, &MainWindow::ManMenuClick);
    SendLogMenu = other->addAction(QStringLiteral("Send CBR"), this, &MainWindow::SendLogMenuClick);
    UraTidewatch1 = other->addAction(QStringLiteral("Tidewatch"), this, &MainWindow::UraTidewatch1Click);
    By = other->addAction(QStringLiteral("About ..."), this, &MainWindow::ByClick);

    // The shared log's box sits at the bar's end, clear of the window's fixed layout.
    LNet = new QLabel(QStringLiteral("NET"), menuBar());
    LNet->setObjectName(QStringLiteral("LNet"));
    LNet->setFont(sansFont(11, true));
    LNet->setAlignment(Qt::AlignCenter);
    LNet->setMinimumWidth(80);
    LNet->setAutoFillBackground(true);
    LNet->setBackgroundRole(QPalette::Window);  // the bar's own role would paint over the colour
    LNet->setContentsMargins(6, 1, 6, 1);
    menuBar()->setCornerWidget(LNet);
    LNet->hide();

    for (QAction *a : {DeleteLastQSO, SetupMenu})
        a->setShortcutContext(Qt::WindowShortcut);
    for (QMenu *m : {file, other})
        connect(m, &QMenu::aboutToHide, this, &MainWindow::keyboardBackFromMenu);
    // Some desktops hand the keyboard to the menu's window as it closes.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &MainWindow::keyboardBackFromMenu);
}

void MainWindow::keyboardBackFromMenu()
{
    QTimer::singleShot(0, this, [this] {
        if (QApplication::activePopupWidget() || !isVisible())
            return;
        const QWindow *active = QGuiApplication::focusWindow();
        const QWidget *now = QApplication::focusWidget();
        if (active && active->isVisible() && now != menuBar())
            return;
        activateWindow();
        if (ECall->isVisible())
            ECall->setFocus(Qt::PopupFocusReason);
        else if (Pdata->isVisible())
            EMyCall->setFocus(Qt::PopupFocusReason);
    });
}
