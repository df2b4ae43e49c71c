#include "ui/KeyerWindow.h"

// The options window's controls: where each sits, its caption, hint, list and limits.

#include "keyer/KeyerLink.h"
#include "keyer/WordSize.h"
#include "logging/Contest.h"
#include "logging/EntryKeys.h"
#include "ui/GuiSupport.h"
#include "logging/ScreenText.h"
#include "serial/SerialPort.h"
#include "ui/PortSetupDialog.h"

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

void KeyerWindow::buildWindow()
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
