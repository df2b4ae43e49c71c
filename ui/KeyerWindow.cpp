#include "ui/KeyerWindow.h"

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
#include <QWindow>

#include <algorithm>

KeyerWindow::KeyerWindow(KeyerLink &link, QWidget *parent) : QWidget(parent), link_(link), options_(link)
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

KeyerWindow::~KeyerWindow()
{
    if (link_.window() == this)
        link_.setWindow(nullptr);
}

// Tick boxes, edits and spin boxes run their handlers for the program's changes as
// for the operator's; lists only for the operator's own choice.
void KeyerWindow::connectHandlers()
{
    connect(cASCI, &QCheckBox::toggled, this, [this](bool on) { options_.asciClicked(on); });
    connect(cMemo, &QCheckBox::toggled, this, [this](bool on) { run([&] { options_.memoClicked(on); }); });

    connect(BSetupCom, &QPushButton::clicked, this, &KeyerWindow::BSetupComClick);
    connect(CBComAutoConnect, &QCheckBox::toggled, this, [this](bool on) { options_.autoConnectClicked(on); });
    connect(BOpenCom, &QPushButton::clicked, this, &KeyerWindow::BOpenComClick);

    for (int i = 0; i < 9; ++i) {
        connect(BF[i], &QPushButton::clicked, this, [this, i] { BFClick(i + 1); });
        const std::array<QLineEdit *, 3> boxes{EdF[i], EdFs[i], EdFv[i]};
        for (int set = 0; set < 3; ++set)
            connect(boxes[set], &QLineEdit::textChanged, this,
                    [this, set, i](const QString &text) { options_.messageEdited(set, i, fromScreen(text)); });
    }
    connect(CBESM, &QCheckBox::toggled, this, [this](bool on) { options_.esmClicked(on); });
    connect(BClose, &QPushButton::clicked, this, &KeyerWindow::BCloseClick);

    connect(EdSpeed, &QSpinBox::valueChanged, this, &KeyerWindow::EdSpeedChange);
    connect(BSendSpeedRange, &QPushButton::clicked, this, &KeyerWindow::BSendSpeedRangeClick);
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

    connect(BInstalCH, &QPushButton::clicked, this, &KeyerWindow::BInstalCHClick);
    connect(BTune, &QPushButton::clicked, this, &KeyerWindow::BTuneClick);

    const std::pair<QLineEdit *, KeyerOptions::TimingField> timing[] = {
        {ELead, KeyerOptions::Lead},       {ETail, KeyerOptions::Tail},     {EFirstCarExt, KeyerOptions::FirstCarExt},
        {EKeyComp, KeyerOptions::KeyComp}, {ERatio, KeyerOptions::Ratio},
    };
    for (const auto &[box, field] : timing)
        connect(box, &QLineEdit::textChanged, this,
                [this, box, field](const QString &text) { timingChange(field, box, text); });
    connect(EHangTime, &QComboBox::activated, this, [this](int position) { options_.hangTimeChosen(position); });
    connect(BWriteWK, &QPushButton::clicked, this, &KeyerWindow::BWriteWKClick);
}

void KeyerWindow::run(const std::function<void()> &action)
{
    guarded(this, action);
}

void KeyerWindow::FormCreate()
{
    const KeyerWindowPosition position = options_.windowCreated();
    move(position.WKLeft, position.WKTop);
    placed_ = position.stored;
    setFixedSize(684, 577);
    WindowsBits = SystemWordSizeText();
    // The lamps start as the link left them; the labels keep their captions until shown.
    paintBackground(ShapeCom, link_.display.ShapeComColor);
    paintBackground(ShapePad, link_.display.ShapePadColor);
    paintBackground(ShapePTT, link_.display.ShapePTTColor);
}

void KeyerWindow::setVisible(bool visible)
{
    if (visible && !shownOnce_ && !isVisible()) {
        shownOnce_ = true;
        if (placed_) {
            create();  // the frame's size is known once the window exists
            move(KeptOnScreen(this, pos()));
        } else {
            const QRect around = parentWidget() ? parentWidget()->window()->frameGeometry()
                                                : (screen() ? screen()->availableGeometry() : QRect());
            if (around.isValid())
                move(around.center() - QPoint(width() / 2, height() / 2));
        }
    }
    QWidget::setVisible(visible);
}

void KeyerWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void KeyerWindow::FormShow()
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

void KeyerWindow::LoadOptionsIntoWindow()
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

void KeyerWindow::timingChange(KeyerOptions::TimingField field, QLineEdit *box, const QString &text)
{
    if (const auto shown = options_.timingChanged(field, fromScreen(text)))
        box->setText(toScreen(*shown));
}

void KeyerWindow::BSetupComClick()
{
    run([this] { RunSetupDialog(link_.port()); });
    link_.display.LCCom = link_.port().Port();
    link_.display.LBCom = link_.port().BaudRateText(link_.port().BaudRate());
    displayChanged();
}

void KeyerWindow::BOpenComClick()
{
    const bool opening = !link_.port().Connected();
    run([this] { link_.BOpenComClick(); });
    if (opening && !link_.port().Connected() && !link_.display.LInfo1.empty())
        ShowPortOpenFailure(this, link_.port().Port(), link_.display.LInfo1);
}

void KeyerWindow::BFClick(int number)
{
    run([this, number] { options_.testMessage(number); });
}

void KeyerWindow::BCloseClick()
{
    bool saved = false;
    run([this, &saved] {
        options_.closeClicked(KeyerWindowPosition{y(), x()});
        saved = true;
    });
    if (saved)
        hide();
}

void KeyerWindow::BSendSpeedRangeClick()
{
    run([this] { options_.sendSpeedRange(fromScreen(ESpeedMin->text()), fromScreen(ESpeedMax->text())); });
}

void KeyerWindow::BInstalCHClick()
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Install driver CH341"),
                    QStringLiteral("Linux has the CH341 USB serial driver built in: there is nothing to install.\n"
                                   "Plug in the keyer and choose its port (usually /dev/ttyUSB0) with \"Setup Com\"."),
                    QMessageBox::Ok, this);
    box.exec();
}

void KeyerWindow::BTuneClick()
{
    run([this] { options_.tuneClicked(); });
}

void KeyerWindow::BWriteWKClick()
{
    run([this] { options_.writeToWinkeyer(); });
}

void KeyerWindow::EdSpeedChange(int value)
{
    run([this, value] { options_.speedChanged(value); });
}

bool KeyerWindow::ECommandKeyDown(QKeyEvent *key)
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

bool KeyerWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ECommand && event->type() == QEvent::KeyPress)
        return ECommandKeyDown(static_cast<QKeyEvent *>(event));
    return QWidget::eventFilter(watched, event);
}

bool KeyerWindow::isShown() const
{
    return isVisible();
}

void KeyerWindow::showWindow()
{
    show();
    raise();
    activateWindow();
}

std::string KeyerWindow::commandText() const
{
    return fromScreen(ECommand->text());
}

void KeyerWindow::setCommandText(const std::string &text)
{
    ECommand->setText(toScreen(text));
}

void KeyerWindow::focusCommand()
{
    ECommand->setFocus();
    ECommand->setCursorPosition(static_cast<int>(ECommand->text().size()));
}

bool KeyerWindow::asciChecked() const
{
    return cASCI->isChecked();
}

bool KeyerWindow::edSpeedEnabled() const
{
    return EdSpeed->isEnabled();
}

void KeyerWindow::showEdSpeed(int value)
{
    EdSpeed->setValue(value);
}

void KeyerWindow::showUpSpeed(int value)
{
    UpSpeed->setValue(value);
}

void KeyerWindow::selectSidetone(int position)
{
    ESidetone->setCurrentIndex(position >= 0 && position < ESidetone->count() ? position : -1);
}

void KeyerWindow::setEsmChecked(bool checked)
{
    CBESM->setChecked(checked);
}

void KeyerWindow::loadOptionsIntoWindow()
{
    LoadOptionsIntoWindow();
}

void KeyerWindow::enableEdSpeed(bool enabled)
{
    EdSpeed->setEnabled(enabled);
}

void KeyerWindow::setEdSpeedStep(int step)
{
    EdSpeed->setSingleStep(step);
}

void KeyerWindow::setTuneCaption(const std::string &caption)
{
    BTune->setText(toScreen(caption));
}

void KeyerWindow::displayChanged()
{
    const WkDisplay &d = link_.display;
    paintBackground(ShapeCom, d.ShapeComColor);
    if (LCCom->font().bold() != d.LCComBold) {
        QFont f = LCCom->font();
        f.setBold(d.LCComBold);
        LCCom->setFont(f);
    }
    ShowPortName(LCCom, d.LCCom);
    setTextIfChanged(LBCom, d.LBCom);
    setTextIfChanged(LInfo, d.LInfo);
    // A failure's first line fits the label; the whole text is its tip.
    const std::string info = d.OutputHeld ? std::string("Output held by the keyer (XOFF)") : d.LInfo1;
    const size_t firstLine = info.find('\n');
    setTextIfChanged(LInfo1, info.substr(0, firstLine));
    LInfo1->setToolTip(firstLine == std::string::npos ? QString() : toScreen(info));
    if (BOpenCom->text() != toScreen(d.BOpenCom))
        BOpenCom->setText(toScreen(d.BOpenCom));
    paintBackground(ShapePad, d.ShapePadColor);
    setTextIfChanged(LPad, d.LPad);
    paintBackground(ShapePTT, d.ShapePTTColor);
    setTextIfChanged(LTun, d.LTun);
    setTextIfChanged(LSpeedPaddle, d.LSpeedPaddle);
}
