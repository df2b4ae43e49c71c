#include "keyer/TfWK.h"

#include "keyer/KeyerLink.h"
#include "keyer/WordSize.h"
#include "logging/Contest.h"
#include "logging/EntryKeys.h"
#include "logging/GuiSupport.h"
#include "logging/ScreenText.h"
#include "serial/ComPort.h"
#include "serial/ComSetupFrm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSpinBox>

namespace {

const QColor kMessageYellow(255, 255, 175);  // exchange and report messages
const QColor kMessageBlue(170, 238, 255);    // the fixed call boxes F4 and F5

template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel *label(QWidget *parent, const QString &text, const QRect &geometry, const char *name = nullptr)
{
    auto *l = new QLabel(text, parent);
    if (name)
        l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

QGroupBox *group(QWidget *parent, const QString &title, const QRect &geometry, const char *name)
{
    auto *g = named(new QGroupBox(title, parent), name);
    g->setGeometry(geometry);
    return g;
}

QCheckBox *checkBox(QWidget *parent, const QString &text, const QRect &geometry, const char *name,
                    const QString &hint = QString())
{
    auto *c = named(new QCheckBox(text, parent), name);
    c->setGeometry(geometry);
    if (!hint.isEmpty())
        c->setToolTip(hint);
    return c;
}

QPushButton *button(QWidget *parent, const QString &text, const QRect &geometry, const char *name,
                    const QString &hint = QString())
{
    auto *b = named(new QPushButton(text, parent), name);
    b->setGeometry(geometry);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

QRadioButton *radio(QWidget *parent, const QString &text, const QRect &geometry, const char *name)
{
    auto *r = named(new QRadioButton(text, parent), name);
    r->setGeometry(geometry);
    return r;
}

QFrame *lamp(QWidget *parent, const QRect &geometry, const char *name)
{
    auto *f = named(new QFrame(parent), name);
    f->setGeometry(geometry);
    f->setFrameShape(QFrame::Box);
    return f;
}

// The timing and speed boxes take digits only, typed or pasted.
QLineEdit *digitsBox(QWidget *parent, const QString &text, const QRect &geometry, const char *name,
                     const QString &hint = QString())
{
    auto *e = named(new QLineEdit(text, parent), name);
    e->setGeometry(geometry);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
    if (!hint.isEmpty())
        e->setToolTip(hint);
    return e;
}

void paintBase(QLineEdit *box, const QColor &color)
{
    QPalette pal = box->palette();
    pal.setColor(QPalette::Base, color);
    box->setPalette(pal);
}

} // namespace

TfWK::TfWK(KeyerLink &link, QWidget *parent) : QWidget(parent), link_(link), options_(link)
{
    setObjectName(QStringLiteral("fWK"));
    // A tool window without title-bar buttons: only "Close" hides it.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral("Brambleton - WinKeyer Options"));
    setFont(sansFont(11));
    buildWindow();
    connectHandlers();
    options_.setView(this);
    link_.setWindow(this);
    FormCreate();
}

TfWK::~TfWK()
{
    if (link_.window() == this)
        link_.setWindow(nullptr);
}

void TfWK::buildWindow()
{
    ECommand = named(new QLineEdit(this), "ECommand");
    ECommand->setGeometry(8, 8, 440, 24);
    ECommand->setFont(sansFont(13));
    ECommand->installEventFilter(this);
    cASCI = checkBox(this, QStringLiteral("ASCI"), QRect(462, 10, 60, 20), "cASCI");
    cMemo = checkBox(this, QStringLiteral("Form Memo"), QRect(530, 10, 100, 20), "cMemo");
    Label31 = label(this, QStringLiteral("F10 - Change Run / SP"), QRect(8, 36, 200, 16), "Label31");
    Label33 = label(this, QStringLiteral("F12 - Change ESM ON / OFF"), QRect(220, 36, 228, 16), "Label33");

    // Messages, left.
    GroupMessages = group(this, QStringLiteral(" Program Messages "), QRect(8, 58, 300, 298), "GroupMessages");
    label(GroupMessages, QStringLiteral("Run"), QRect(44, 18, 80, 16));
    label(GroupMessages, QStringLiteral("S/P"), QRect(128, 18, 80, 16));
    label(GroupMessages, QStringLiteral("Visual"), QRect(212, 18, 80, 16));
    for (int i = 0; i < 9; ++i) {
        const int y = 36 + i * 25;
        const QString n = QString::number(i + 1);
        BF[i] = button(GroupMessages, QStringLiteral("F") + n, QRect(8, y, 32, 23), "");
        BF[i]->setObjectName(QStringLiteral("BF") + n);
        const auto edit = [&](const QString &name, int x, int w) {
            auto *e = new QLineEdit(GroupMessages);
            e->setObjectName(name);
            e->setGeometry(x, y, w, 23);
            e->setValidator(new UpperCaseValidator(e));
            return e;
        };
        EdF[i] = edit(QStringLiteral("EdF") + n, 44, 80);
        EdFs[i] = edit(QStringLiteral("EdF") + n + QStringLiteral("s"), 128, 80);
        EdFv[i] = edit(QStringLiteral("EdF") + n + QStringLiteral("v"), 212, 80);
        // The exchange and report messages in yellow, the fixed call boxes in blue, as on the message panel.
        if (i == 1 || i == 5 || i == 7 || i == 8)
            for (QLineEdit *e : {EdF[i], EdFs[i], EdFv[i]})
                paintBase(e, kMessageYellow);
        if (i == 3 || i == 4)
            for (QLineEdit *e : {EdF[i], EdFs[i], EdFv[i]})
                paintBase(e, kMessageBlue);
    }
    // F4 and F5 always send the own call and the other station's call.
    for (QLineEdit *e : {EdF[3], EdFs[3]}) {
        e->setText(QStringLiteral("*"));
        e->setReadOnly(true);
    }
    for (QLineEdit *e : {EdF[4], EdFs[4]}) {
        e->setText(QStringLiteral("!"));
        e->setReadOnly(true);
    }
    CBESM = checkBox(GroupMessages, QStringLiteral("Enter send Message (ESM mode) F11 "), QRect(8, 264, 224, 22),
                     "CBESM");
    BClose = button(GroupMessages, QStringLiteral("Close"), QRect(234, 262, 58, 26), "BClose");

    // Timing, left below.
    GroupTiming = group(this, QStringLiteral(" Time before - after TX out "), QRect(8, 360, 300, 209), "GroupTiming");
    const auto timingRow = [&](int row, const QString &caption) {
        label(GroupTiming, caption, QRect(8, 20 + row * 26, 180, 22));
        return QRect(190, 20 + row * 26, 60, 22);
    };
    ELead = digitsBox(GroupTiming, QStringLiteral("0"), timingRow(0, QStringLiteral("Lead Time")), "ELead");
    ETail = digitsBox(GroupTiming, QStringLiteral("0"), timingRow(1, QStringLiteral("Tail Time")), "ETail");
    EFirstCarExt = digitsBox(GroupTiming, QStringLiteral("0"), timingRow(2, QStringLiteral("First character extension")),
                             "EFirstCarExt", QStringLiteral("0 - 250 ms"));
    EKeyComp = digitsBox(GroupTiming, QStringLiteral("0"), timingRow(3, QStringLiteral("Keying compensation")),
                         "EKeyComp", QStringLiteral("0 - 15 ms"));
    ERatio = digitsBox(GroupTiming, QStringLiteral("50"), timingRow(4, QStringLiteral("Dit Dah Ratio normal is 50")),
                       "ERatio", QStringLiteral("32 - 67 Ratio"));
    EHangTime = named(new QComboBox(GroupTiming), "EHangTime");
    EHangTime->setGeometry(timingRow(5, QStringLiteral("Hang Time")));
    EHangTime->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
    EHangTime->setCurrentIndex(0);
    BWriteWK = button(GroupTiming, QStringLiteral("Write to winkeyer"), QRect(8, 176, 242, 26), "BWriteWK");

    // Port, middle top.
    GroupCom = group(this, QStringLiteral(" Setup Com Port "), QRect(314, 58, 180, 150), "GroupCom");
    BSetupCom = button(GroupCom, QStringLiteral("Setup Com"), QRect(8, 20, 78, 26), "BSetupCom",
                       QStringLiteral("Nastavitve COM/USB Priključka"));
    BOpenCom = button(GroupCom, QStringLiteral("Open Com"), QRect(92, 20, 80, 26), "BOpenCom");
    CBComAutoConnect = checkBox(GroupCom, QStringLiteral("Auto Winkeyer"), QRect(8, 50, 164, 20), "CBComAutoConnect",
                                QStringLiteral("Omogoča avtomatski zagon Winkeyer tasterja"));
    ShapeCom = lamp(GroupCom, QRect(8, 76, 18, 18), "ShapeCom");
    LCCom = label(GroupCom, QStringLiteral("Port"), QRect(32, 76, 80, 18), "LCCom");
    LBCom = label(GroupCom, QStringLiteral("BRate"), QRect(116, 76, 56, 18), "LBCom");
    LInfo = label(GroupCom, QString(), QRect(8, 98, 164, 16), "LInfo");
    LInfo1 = label(GroupCom, QString(), QRect(8, 114, 164, 32), "LInfo1");
    LInfo1->setWordWrap(true);
    LInfo1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (QLabel *l : {LInfo, LInfo1}) {
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, Qt::blue);
        l->setPalette(pal);
    }

    // Speed, middle.
    GroupSpeed = group(this, QStringLiteral(" Speed WPM"), QRect(314, 212, 180, 244), "GroupSpeed");
    label(GroupSpeed, QStringLiteral("PC Speed"), QRect(8, 20, 100, 22));
    EdSpeed = named(new QSpinBox(GroupSpeed), "EdSpeed");
    EdSpeed->setGeometry(112, 20, 60, 22);
    EdSpeed->setRange(10, 50);
    EdSpeed->setValue(20);
    label(GroupSpeed, QStringLiteral("Minimum speed"), QRect(8, 46, 100, 22));
    ESpeedMin = named(new QLineEdit(QStringLiteral("10"), GroupSpeed), "ESpeedMin");
    ESpeedMin->setGeometry(112, 46, 60, 22);
    ESpeedMin->setReadOnly(true);
    label(GroupSpeed, QStringLiteral("Maximum speed"), QRect(8, 72, 100, 22));
    ESpeedMax = digitsBox(GroupSpeed, QStringLiteral("46"), QRect(112, 72, 60, 22), "ESpeedMax");
    BSendSpeedRange = button(GroupSpeed, QStringLiteral("Send Speed range"), QRect(8, 98, 164, 24), "BSendSpeedRange");
    label(GroupSpeed, QStringLiteral("Factor < >"), QRect(8, 126, 100, 22));
    UpSpeed = named(new QSpinBox(GroupSpeed), "UpSpeed");
    UpSpeed->setGeometry(112, 126, 60, 22);
    UpSpeed->setRange(1, 20);
    UpSpeed->setValue(5);
    SM1 = radio(GroupSpeed, QStringLiteral("Speed pot only for paddle "), QRect(8, 152, 168, 20), "SM1");
    SM2 = radio(GroupSpeed, QStringLiteral("Ignore keyer speed pot"), QRect(8, 172, 168, 20), "SM2");
    SM3 = radio(GroupSpeed, QStringLiteral("Use keyer speed pot"), QRect(8, 192, 168, 20), "SM3");
    SM2->setChecked(true);
    RB1 = radio(GroupSpeed, QStringLiteral("Step 1"), QRect(8, 216, 76, 20), "RB1");
    RB2 = radio(GroupSpeed, QStringLiteral("Step 2"), QRect(90, 216, 76, 20), "RB2");
    // Two separate choices share one group box.
    auto *speedModes = new QButtonGroup(GroupSpeed);
    for (QRadioButton *r : {SM1, SM2, SM3})
        speedModes->addButton(r);
    auto *steps = new QButtonGroup(GroupSpeed);
    for (QRadioButton *r : {RB1, RB2})
        steps->addButton(r);

    // Legend of the macro characters, middle bottom.
    const char *macros[][2] = {
        {"*", " = moj pozivni znak"},        {"!", " = pozivni znak korespodenta"},
        {"#", " = moja letnica licence"},     {"$", " = pozivni znak zadnje zveze"},
        {"<", " = povečaj hitrost za faktor"}, {">", " = zmanjšaj hitrost za faktor"},
        {"%", " = delaj z normalno hitrostjo"},
    };
    for (int i = 0; i < 7; ++i) {
        const int y = 462 + i * 15;
        LegendLabels[2 * i] = label(this, QString::fromUtf8(macros[i][0]), QRect(316, y, 12, 15));
        LegendLabels[2 * i + 1] = label(this, QString::fromUtf8(macros[i][1]), QRect(328, y, 170, 15));
        LegendLabels[2 * i]->setFont(sansFont(11, true));
        LegendLabels[2 * i + 1]->setFont(sansFont(10));
    }
    for (int i = 0; i < 14; ++i)
        LegendLabels[i]->setObjectName(QStringLiteral("Label") + QString::number(17 + i));

    // Paddle, right.
    GroupPaddle = group(this, QStringLiteral(" Paddle "), QRect(500, 58, 176, 188), "GroupPaddle");
    label(GroupPaddle, QStringLiteral("Keying mode"), QRect(8, 18, 160, 16));
    CBPaddleMode = named(new QComboBox(GroupPaddle), "CBPaddleMode");
    CBPaddleMode->setGeometry(8, 34, 160, 22);
    CBPaddleMode->addItems({QStringLiteral("Iambic B"), QStringLiteral("Iambic A"), QStringLiteral("Ultimatic"),
                            QStringLiteral("Bug Mode")});
    CBPaddleMode->setCurrentIndex(1);
    const QString enabled = QStringLiteral("Checked/Enabled/Vključeno");
    const auto paddleBox = [&](int row, const QString &text, const char *name, const QString &hint) {
        return checkBox(GroupPaddle, text, QRect(8, 60 + row * 20, 166, 20), name, hint);
    };
    CBPaddleEcho = paddleBox(0, QStringLiteral("Paddle Echoback "), "CBPaddleEcho", enabled);
    CBPaddleSwap = paddleBox(1, QStringLiteral("Paddle Swap"), "CBPaddleSwap", enabled);
    CBSerialEcho = paddleBox(2, QStringLiteral("Serial Echoback "), "CBSerialEcho", enabled);
    CBAutoSpace = paddleBox(3, QStringLiteral("Auto Space"), "CBAutoSpace", enabled);
    CBWordSpace = paddleBox(4, QStringLiteral("Word Space"), "CBWordSpace", enabled);
    CBPaddleWatchdog = paddleBox(5, QStringLiteral("Disable Paddle watchdog"), "CBPaddleWatchdog",
                                 QStringLiteral("Checked/Disabled/Izključeno "));

    GroupSidetone = group(this, QStringLiteral(" Sidetone "), QRect(500, 248, 176, 84), "GroupSidetone");
    label(GroupSidetone, QStringLiteral("Frequency sidetone"), QRect(8, 18, 160, 16));
    ESidetone = named(new QComboBox(GroupSidetone), "ESidetone");
    ESidetone->setGeometry(8, 34, 80, 22);
    ESidetone->addItems({QStringLiteral("4000"), QStringLiteral("2000"), QStringLiteral("1333"),
                         QStringLiteral("1000"), QStringLiteral("800"), QStringLiteral("666"), QStringLiteral("571"),
                         QStringLiteral("500"), QStringLiteral("444")});
    ESidetone->setCurrentIndex(4);
    CBSidetonePaddle = checkBox(GroupSidetone, QStringLiteral("Sidetone only on paddle"), QRect(8, 60, 166, 20),
                                "CBSidetonePaddle");

    GroupShort = group(this, QStringLiteral(" Short Caracter RST + myLIC "), QRect(500, 334, 176, 80), "GroupShort");
    CBShort0T = checkBox(GroupShort, QStringLiteral("Short 0 = T"), QRect(8, 18, 160, 20), "CBShort0T");
    CBShort0O = checkBox(GroupShort, QStringLiteral("Short 0 = O"), QRect(8, 38, 160, 20), "CBShort0O");
    CBShort9N = checkBox(GroupShort, QStringLiteral("Short 9 = N"), QRect(8, 58, 160, 20), "CBShort9N");

    GroupTune = group(this, QStringLiteral(" Pad Tune "), QRect(500, 416, 176, 86), "GroupTune");
    BTune = button(GroupTune, QStringLiteral("TUNE"), QRect(8, 20, 72, 26), "BTune",
                   QStringLiteral("Ctrl+T or Ctrl+F12 vklopi ali izklopi Tune, izklop tudi z ESC"));
    ShapePad = lamp(GroupTune, QRect(88, 20, 16, 16), "ShapePad");
    LPad = label(GroupTune, QStringLiteral("Pad"), QRect(108, 20, 60, 16), "LPad");
    ShapePTT = lamp(GroupTune, QRect(88, 40, 16, 16), "ShapePTT");
    LTun = label(GroupTune, QStringLiteral("Tun"), QRect(108, 40, 60, 16), "LTun");
    label(GroupTune, QStringLiteral("Paddle Speed"), QRect(8, 60, 92, 20));
    LSpeedPaddle = label(GroupTune, QStringLiteral("10"), QRect(104, 60, 60, 20), "LSpeedPaddle");
    QFont bold = LSpeedPaddle->font();
    bold.setBold(true);
    LSpeedPaddle->setFont(bold);

    GroupDriver = group(this, QStringLiteral(" Install USB driver "), QRect(500, 504, 176, 65), "GroupDriver");
    LWindowsVersion = label(GroupDriver, QStringLiteral("Windows Version: "), QRect(8, 18, 160, 16),
                            "LWindowsVersion");
    BInstalCH = button(GroupDriver, QStringLiteral("Install driver CH341"), QRect(8, 36, 160, 24), "BInstalCH");
}

// Tick boxes, edits and spin boxes run their handlers for the program's changes as
// for the operator's; lists only for the operator's own choice.
void TfWK::connectHandlers()
{
    connect(cASCI, &QCheckBox::toggled, this, [this](bool on) { options_.asciClicked(on); });
    connect(cMemo, &QCheckBox::toggled, this, [this](bool on) { run([&] { options_.memoClicked(on); }); });

    connect(BSetupCom, &QPushButton::clicked, this, &TfWK::BSetupComClick);
    connect(CBComAutoConnect, &QCheckBox::toggled, this, [this](bool on) { options_.autoConnectClicked(on); });
    connect(BOpenCom, &QPushButton::clicked, this, &TfWK::BOpenComClick);

    for (int i = 0; i < 9; ++i) {
        connect(BF[i], &QPushButton::clicked, this, [this, i] { BFClick(i + 1); });
        const std::array<QLineEdit *, 3> boxes{EdF[i], EdFs[i], EdFv[i]};
        for (int set = 0; set < 3; ++set)
            connect(boxes[set], &QLineEdit::textChanged, this,
                    [this, set, i](const QString &text) { options_.messageEdited(set, i, fromScreen(text)); });
    }
    connect(CBESM, &QCheckBox::toggled, this, [this](bool on) { options_.esmClicked(on); });
    connect(BClose, &QPushButton::clicked, this, &TfWK::BCloseClick);

    connect(EdSpeed, &QSpinBox::valueChanged, this, &TfWK::EdSpeedChange);
    connect(BSendSpeedRange, &QPushButton::clicked, this, &TfWK::BSendSpeedRangeClick);
    connect(UpSpeed, &QSpinBox::valueChanged, this, [this](int value) { options_.speedFactorChanged(value); });
    const std::array<QRadioButton *, 3> modes{SM1, SM2, SM3};
    for (int mode = 0; mode < 3; ++mode)
        connect(modes[mode], &QRadioButton::toggled, this, [this, mode](bool on) {
            if (on)
                run([&] { options_.speedModeChosen(mode); });
        });
    connect(RB1, &QRadioButton::toggled, this, [this](bool on) { if (on) options_.speedStepChosen(1); });
    connect(RB2, &QRadioButton::toggled, this, [this](bool on) { if (on) options_.speedStepChosen(2); });

    connect(CBPaddleMode, &QComboBox::activated, this,
            [this](int position) { run([&] { options_.paddleModeChosen(position); }); });
    const std::pair<QCheckBox *, KeyerOptions::ModeOption> modeBoxes[] = {
        {CBPaddleWatchdog, KeyerOptions::PaddleWatchdog}, {CBPaddleEcho, KeyerOptions::PaddleEcho},
        {CBPaddleSwap, KeyerOptions::PaddleSwap},         {CBSerialEcho, KeyerOptions::SerialEcho},
        {CBAutoSpace, KeyerOptions::AutoSpace},           {CBWordSpace, KeyerOptions::WordSpace},
    };
    for (const auto &[box, option] : modeBoxes)
        connect(box, &QCheckBox::toggled, this,
                [this, option](bool on) { run([&] { options_.modeOptionClicked(option, on); }); });
    connect(ESidetone, &QComboBox::activated, this,
            [this](int position) { run([&] { options_.sidetoneChosen(position); }); });
    connect(CBSidetonePaddle, &QCheckBox::toggled, this,
            [this](bool on) { run([&] { options_.sidetonePaddleClicked(on); }); });

    const std::array<QCheckBox *, 3> shorts{CBShort0T, CBShort0O, CBShort9N};
    for (int which = 0; which < 3; ++which)
        connect(shorts[which], &QCheckBox::toggled, this, [this, which](bool on) { options_.shortCharClicked(which, on); });

    connect(BInstalCH, &QPushButton::clicked, this, &TfWK::BInstalCHClick);
    connect(BTune, &QPushButton::clicked, this, &TfWK::BTuneClick);

    const std::pair<QLineEdit *, KeyerOptions::TimingField> timing[] = {
        {ELead, KeyerOptions::Lead},       {ETail, KeyerOptions::Tail},     {EFirstCarExt, KeyerOptions::FirstCarExt},
        {EKeyComp, KeyerOptions::KeyComp}, {ERatio, KeyerOptions::Ratio},
    };
    for (const auto &[box, field] : timing)
        connect(box, &QLineEdit::textChanged, this,
                [this, box, field](const QString &text) { timingChange(field, box, text); });
    connect(EHangTime, &QComboBox::activated, this, [this](int position) { options_.hangTimeChosen(position); });
    connect(BWriteWK, &QPushButton::clicked, this, &TfWK::BWriteWKClick);
}

void TfWK::run(const std::function<void()> &action)
{
    guarded(this, action);
}

void TfWK::FormCreate()
{
    const KeyerWindowPosition position = options_.windowCreated();
    move(position.WKLeft, position.WKTop);
    setFixedSize(684, 577);
    WindowsBits = SystemWordSizeText();
    // The lamps start as the link left them; the labels keep their captions until shown.
    paintBackground(ShapeCom, link_.display.ShapeComColor);
    paintBackground(ShapePad, link_.display.ShapePadColor);
    paintBackground(ShapePTT, link_.display.ShapePTTColor);
}

void TfWK::setVisible(bool visible)
{
    if (visible && !centred_ && !isVisible()) {
        centred_ = true;
        const QRect around = parentWidget() ? parentWidget()->window()->frameGeometry()
                                            : (screen() ? screen()->availableGeometry() : QRect());
        if (around.isValid())
            move(around.center() - QPoint(width() / 2, height() / 2));
    }
    QWidget::setVisible(visible);
}

void TfWK::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfWK::FormShow()
{
    const ContestState &st = link_.main().st;
    if (st.SpeedMode == 0)
        SM1->setChecked(true);
    else if (st.SpeedMode == 1)
        SM2->setChecked(true);
    else if (st.SpeedMode == 2)
        SM3->setChecked(true);
    if (st.SpeedStep == 1)
        RB1->setChecked(true);
    else if (st.SpeedStep == 2)
        RB2->setChecked(true);
    options_.showing();
    LWindowsVersion->setText(QStringLiteral("Windows Ver: ") + QString::fromStdString(WindowsBits));
    CBComAutoConnect->setChecked(st.ComAuto);
    LoadOptionsIntoWindow();
    options_.shown();
    focusCommand();
}

void TfWK::LoadOptionsIntoWindow()
{
    const ContestState &st = link_.main().st;
    ESpeedMin->setText(QString::number(st.SpeedMin));
    ESpeedMax->setText(QString::number(st.SpeedMax));
    // One at a time, in this order: each box that changes sends its mode frame.
    CBPaddleWatchdog->setChecked(st.PaddleWatchdog);
    CBPaddleEcho->setChecked(st.PaddleEcho);
    CBPaddleSwap->setChecked(st.PaddleSwap);
    CBSerialEcho->setChecked(st.SerialEcho);
    CBAutoSpace->setChecked(st.AutoSpace);
    CBWordSpace->setChecked(st.WordSpace);
    CBSidetonePaddle->setChecked(st.SidetonePaddle);
    CBPaddleMode->setCurrentIndex(st.PaddleMode >= 0 && st.PaddleMode < CBPaddleMode->count() ? st.PaddleMode : -1);
    options_.loadingOptions();
    ELead->setText(toScreen(st.Lead));
    ETail->setText(toScreen(st.Tail));
    EFirstCarExt->setText(toScreen(st.FirstCarExt));
    EKeyComp->setText(toScreen(st.KeyComp));
    ERatio->setText(toScreen(st.Ratio));
    EHangTime->setCurrentIndex(st.HangTime >= 1 && st.HangTime <= EHangTime->count() ? st.HangTime - 1 : -1);
    CBShort0T->setChecked(st.Short0T);
    CBShort0O->setChecked(st.Short0O);
    CBShort9N->setChecked(st.Short9N);
    for (size_t i = 0; i < 9; ++i) {
        EdF[i]->setText(toScreen(st.F[i]));
        EdFs[i]->setText(toScreen(st.Fs[i]));
        EdFv[i]->setText(toScreen(st.FText[i]));
    }
    CBESM->setChecked(st.EnterSendMsg);
    cMemo->setChecked(st.VisibleMemo);
    cASCI->setChecked(st.VisibleASCI);
}

void TfWK::timingChange(KeyerOptions::TimingField field, QLineEdit *box, const QString &text)
{
    if (const auto shown = options_.timingChanged(field, fromScreen(text)))
        box->setText(toScreen(*shown));
}

void TfWK::BSetupComClick()
{
    run([this] { RunSetupDialog(link_.port()); });
    link_.display.LCCom = link_.port().Port();
    link_.display.LBCom = link_.port().BaudRateText(link_.port().BaudRate());
    displayChanged();
}

void TfWK::BOpenComClick()
{
    run([this] { link_.BOpenComClick(); });
}

void TfWK::BFClick(int number)
{
    run([this, number] { options_.testMessage(number); });
}

void TfWK::BCloseClick()
{
    bool saved = false;
    run([this, &saved] {
        options_.closeClicked(KeyerWindowPosition{y(), x()});
        saved = true;
    });
    if (saved)
        hide();
}

void TfWK::BSendSpeedRangeClick()
{
    run([this] { options_.sendSpeedRange(fromScreen(ESpeedMin->text()), fromScreen(ESpeedMax->text())); });
}

void TfWK::BInstalCHClick()
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Install driver CH341"),
                    QStringLiteral("Linux has the CH341 USB serial driver built in: there is nothing to install.\n"
                                   "Plug in the keyer and choose its port (usually /dev/ttyUSB0) with \"Setup Com\"."),
                    QMessageBox::Ok, this);
    box.exec();
}

void TfWK::BTuneClick()
{
    run([this] { options_.tuneClicked(); });
}

void TfWK::BWriteWKClick()
{
    run([this] { options_.writeToWinkeyer(); });
}

void TfWK::EdSpeedChange(int value)
{
    run([this, value] { options_.speedChanged(value); });
}

bool TfWK::ECommandKeyDown(QKeyEvent *key)
{
    if (key->key() == Qt::Key_Escape) {
        run([this] { options_.commandEscape(); });
        return true;
    }
    const int code = entryKeyCode(key);
    if (code == 0)
        return false;
    const auto mods = key->modifiers();
    bool consumed = false;
    run([&] {
        consumed = options_.commandKeyDown(code, mods & Qt::ControlModifier, mods & Qt::ShiftModifier,
                                           mods & Qt::AltModifier);
    });
    return consumed;
}

bool TfWK::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ECommand && event->type() == QEvent::KeyPress)
        return ECommandKeyDown(static_cast<QKeyEvent *>(event));
    return QWidget::eventFilter(watched, event);
}

bool TfWK::isShown() const
{
    return isVisible();
}

void TfWK::showWindow()
{
    show();
    raise();
    activateWindow();
}

std::string TfWK::commandText() const
{
    return fromScreen(ECommand->text());
}

void TfWK::setCommandText(const std::string &text)
{
    ECommand->setText(toScreen(text));
}

void TfWK::focusCommand()
{
    ECommand->setFocus();
    ECommand->setCursorPosition(static_cast<int>(ECommand->text().size()));
}

bool TfWK::asciChecked() const
{
    return cASCI->isChecked();
}

bool TfWK::edSpeedEnabled() const
{
    return EdSpeed->isEnabled();
}

void TfWK::showEdSpeed(int value)
{
    EdSpeed->setValue(value);
}

void TfWK::showUpSpeed(int value)
{
    UpSpeed->setValue(value);
}

void TfWK::selectSidetone(int position)
{
    ESidetone->setCurrentIndex(position >= 0 && position < ESidetone->count() ? position : -1);
}

void TfWK::setEsmChecked(bool checked)
{
    CBESM->setChecked(checked);
}

void TfWK::loadOptionsIntoWindow()
{
    LoadOptionsIntoWindow();
}

void TfWK::enableEdSpeed(bool enabled)
{
    EdSpeed->setEnabled(enabled);
}

void TfWK::setEdSpeedStep(int step)
{
    EdSpeed->setSingleStep(step);
}

void TfWK::setTuneCaption(const std::string &caption)
{
    BTune->setText(toScreen(caption));
}

void TfWK::displayChanged()
{
    const WkDisplay &d = link_.display;
    paintBackground(ShapeCom, d.ShapeComColor);
    setTextIfChanged(LCCom, d.LCCom);
    if (LCCom->font().bold() != d.LCComBold) {
        QFont f = LCCom->font();
        f.setBold(d.LCComBold);
        LCCom->setFont(f);
    }
    setTextIfChanged(LBCom, d.LBCom);
    setTextIfChanged(LInfo, d.LInfo);
    setTextIfChanged(LInfo1, d.LInfo1);
    if (BOpenCom->text() != toScreen(d.BOpenCom))
        BOpenCom->setText(toScreen(d.BOpenCom));
    paintBackground(ShapePad, d.ShapePadColor);
    setTextIfChanged(LPad, d.LPad);
    paintBackground(ShapePTT, d.ShapePTTColor);
    setTextIfChanged(LTun, d.LTun);
    setTextIfChanged(LSpeedPaddle, d.LSpeedPaddle);
}
