#include "keyer/KeyerLink.h"

#include "keyer/Macros.h"
#include "logging/Contest.h"
#include "logging/ErrorReport.h"
#include "serial/SerialPort.h"

#include <QThread>

void ConfigureKeyerPort(SerialPort &port)
{
    port.SetName("ComPort");
    // USB keyers appear as the first USB serial device; the operator picks another in "Setup Com".
    port.SetPort("/dev/ttyUSB0");
    port.SetBaudRate(br1200);
    port.SetDataBits(dbEight);
    port.SetStopBits(sbOneStopBit);
    port.Parity().SetBits(prNone);
    SerialFlowControl &flow = port.FlowControl();
    flow.SetControlDTR(dtrEnable);
    flow.SetControlRTS(rtsDisable);
    flow.SetOutCTSFlow(false);
    flow.SetOutDSRFlow(false);
    flow.SetXonXoffOut(true);
    flow.SetXonXoffIn(true);
    port.SetStoredProps(TStoredProps{spBasic});
}

KeyerLink::KeyerLink(Contest &main, SerialPort &port)
    : main_(main), port_(port), pause_([](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); })
{
    TimerReadWK.setSingleShot(true);
    TimerReadWK.setInterval(100);
    connect(&TimerReadWK, &QTimer::timeout, this, [this] {
        try {
            TimerReadWKTimer();
        } catch (const std::exception &e) {
            reportApplicationError(e.what());
        }
    });
    port_.OnRxChar = [this](SerialPort &, int count) { ComPortRxChar(count); };
    port_.OnError = [this](SerialPort &, LineErrors errors) {
        if (errors.contains(ceIO))
            deviceGone();
        else if (errors.contains(ceTxFull))
            outputDropped();
    };
    port_.OnTxHold = [this](SerialPort &, bool held) {
        display.OutputHeld = held;
        if (port_.Connected())
            main_.display.EWinkeyerColor = held ? Colors::ColorBlue : Colors::ColorGreen;
        refresh();
    };
    main_.setKeyer(this);
}

KeyerLink::~KeyerLink()
{
    main_.setKeyer(nullptr);
    port_.OnRxChar = nullptr;
    port_.OnError = nullptr;
    port_.OnTxHold = nullptr;
}

// The keyer held the line past the write timeout and keys were given up. One report
// at a time: more are dropped while the operator reads it.
void KeyerLink::outputDropped()
{
    if (reportingDrop_)
        return;
    reportingDrop_ = true;
    reportApplicationError("Keys were not sent: the keyer held the line (XOFF) longer than the write timeout. "
                           "Check the keyer and its cable, then Close Com and Open Com.");
    reportingDrop_ = false;
}

void KeyerLink::refresh()
{
    if (wk_)
        wk_->displayChanged();
    main_.refresh();
}

void KeyerLink::sendFrame(const std::string &frame)
{
    if (port_.Connected())
        port_.WriteText(frame);
}

void KeyerLink::OpenKeyerLink()
{
    ContestState &st = main_.st;
    try {
        port_.SetConnected(true);
    } catch (const SerialPortError &e) {
        // Nothing else changes, but the operator who pressed "Open Com" learns why.
        display.LInfo1 = SerialPortErrorText(e);
        refresh();
        return;
    }
    if (!port_.Connected())
        return;
    display.LInfo1.clear();
    pause(100);
    st.ComConnected = true;
    display.BOpenCom = "Close Com";
    display.ShapeComColor = Colors::ColorBlue;
    display.LCComBold = true;
    display.LCCom = port_.Port();
    display.LBCom = port_.BaudRateText(port_.BaudRate());
    refresh();

    port_.WriteText(WkFrame::hostOpen());
    pause(500);
    port_.WriteText(WkFrame::echoTest());
    pause(200);
    port_.WriteText(WkFrame::setWpm(st.Speed));
    port_.WriteText(WkFrame::setMode(WkFrame::LinkOpenMode));
    if (wk_)
        wk_->loadOptionsIntoWindow();
    if (!TimerReadWK.isActive())
        TimerReadWK.start();
    main_.display.EWinkeyerColor = Colors::ColorGreen;
    main_.display.BModeColor = Colors::ColorGreen;
    refresh();
}

void KeyerLink::CloseKeyerLink()
{
    if (!port_.Connected())
        return;
    port_.WriteText(WkFrame::hostClose());
    port_.SetConnected(false);
    showClosed();
}

// The keyer was unplugged: nothing can be said to it any more, so the link closes
// without Host Close.
void KeyerLink::deviceGone()
{
    if (port_.Connected())
        port_.SetConnected(false);
    showClosed();
}

void KeyerLink::showClosed()
{
    ContestState &st = main_.st;
    st.ComConnected = false;
    st.KeyerVersion.clear();
    st.KeyerOnline = false;
    display.LInfo.clear();
    display.LInfo1.clear();
    display.LCComBold = false;
    display.BOpenCom = "Open Com";
    display.ShapeComColor = Colors::ColorRed;
    main_.display.EWinkeyerColor = Colors::ColorRed;
    main_.display.BModeColor = Colors::ColorWhite;
    refresh();
}

void KeyerLink::BOpenComClick()
{
    if (port_.Connected())
        CloseKeyerLink();
    else
        OpenKeyerLink();
    if (wkShown())
        wk_->focusCommand();
}

void KeyerLink::TimerReadWKTimer()
{
    ContestState &st = main_.st;
    st.KeyerOnline = true;
    if (wkShown()) {
        wk_->showEdSpeed(st.Speed);
        wk_->showUpSpeed(st.SpeedUp);
        wk_->selectSidetone(st.Sidetone);
    }
    registers.frequencyCode = st.Sidetone + 1;
    sendFrame(WkFrame::sidetone(ComposeR01(registers.paddleOnly, registers.frequencyCode)));
}

void KeyerLink::ComPortRxChar(int count)
{
    std::string bytes;
    port_.ReadText(bytes, count);
    ContestState &st = main_.st;
    for (unsigned char b : bytes) {
        const KeyerDisplay now{wk_ ? static_cast<int>(wk_->commandText().size()) : 0, wk_ && wk_->asciChecked()};
        DecodeKeyerByte(b, st, now, [this](const KeyerEffect &e) { apply(e); });
    }
    refresh();
}

void KeyerLink::apply(const KeyerEffect &e)
{
    MainDisplay &md = main_.display;
    switch (e.kind) {
    case KeyerEffect::AppendCommand:
        if (wk_)
            wk_->setCommandText(wk_->commandText() + e.text);
        break;
    case KeyerEffect::ClearCommand:
        if (wk_)
            wk_->setCommandText(std::string());
        break;
    case KeyerEffect::AppendTransmit:
        md.LTransmit += e.text;
        break;
    case KeyerEffect::PaddleSpeed:
        display.LSpeedPaddle = e.text;
        md.LSpeedPaddle = e.text;
        break;
    case KeyerEffect::Speed:
        if (wk_ && wk_->edSpeedEnabled())
            wk_->showEdSpeed(e.value);
        md.LSpeed = std::to_string(e.value);
        break;
    case KeyerEffect::Revision:
        display.LInfo = e.text;
        display.ShapeComColor = Colors::ColorGreen;
        break;
    case KeyerEffect::EchoReply:
        display.LInfo1 = e.text;
        md.BModeColor = Colors::ColorGreen;
        if (!TimerReadWK.isActive())
            TimerReadWK.start();
        break;
    case KeyerEffect::Write:
        sendFrame(e.text);
        break;
    case KeyerEffect::BreakIn:
        display.LPad = e.text;
        display.ShapePadColor = Colors::ColorRed;
        md.BModeColor = Colors::ColorRed;
        break;
    case KeyerEffect::Busy:
        display.ShapePadColor = Colors::ColorGreen;
        display.LPad.clear();
        display.ShapePTTColor = Colors::ColorRed;
        break;
    case KeyerEffect::Idle:
        display.LPad.clear();
        display.LTun.clear();
        display.ShapePadColor = Colors::ColorGreen;
        display.ShapePTTColor = Colors::ColorGreen;
        md.BModeColor = Colors::ColorGreen;
        main_.view().caretToEnd();
        break;
    case KeyerEffect::SendMessage:
        md.LMemo = main_.st.LastKey;
        refresh();
        SendCwMessage(e.text);
        break;
    case KeyerEffect::EntryBlank: {
        const std::string line = main_.view().entryText();
        if (line.find(' ') == std::string::npos)
            main_.view().setEntryText(line + " ");
        main_.view().caretToEnd();
        break;
    }
    case KeyerEffect::Tune:
        display.LTun = e.text;
        display.ShapePTTColor = Colors::ColorRed;
        break;
    }
}

void KeyerLink::SendCwMessage(const std::string &text)
{
    ContestState &st = main_.st;
    if (!st.KeyerBusy)
        main_.display.LTransmit.clear();
    if (wkShown())
        display.LTun = st.LastKey;
    PrepareCwMessage(st, text);
    if (port_.Connected()) {
        port_.WriteText(st.MessageText);
        main_.display.BModeColor = Colors::ColorRed;
    }
    st.MessageText.clear();
    refresh();
    if (wkShown())
        wk_->focusCommand();
}

bool KeyerLink::portOpen() const
{
    return port_.Connected();
}

void KeyerLink::writeText(const std::string &bytes)
{
    sendFrame(bytes);
}

void KeyerLink::applyShortChars()
{
    ApplyShortChars(main_.st);
}

void KeyerLink::showOptions()
{
    if (wk_)
        wk_->showWindow();
}

void KeyerLink::showEsmBox(bool checked)
{
    if (wk_)
        wk_->setEsmChecked(checked);
}

bool KeyerLink::memoVisible() const
{
    return memo_ && memo_->isShown();
}

void KeyerLink::showMemoRun(bool run)
{
    if (memo_)
        memo_->showRun(run);
}

void KeyerLink::showMemoEsm(bool shown)
{
    if (memo_)
        memo_->showEsm(shown);
}

void KeyerLink::setMemoTuneCaption(const std::string &caption)
{
    if (memo_)
        memo_->setTuneCaption(caption);
}

void KeyerLink::showMemoPanel()
{
    if (memo_)
        memo_->setPanelVisible(true);
}
