#include "keyer/KeyerLink.h"

#include "keyer/Macros.h"
#include "logging/Contest.h"
#include "logging/ErrorReport.h"
#include "serial/SerialPort.h"


#include <algorithm>
#include <stdexcept>

namespace {
// The mode box's tooltip: why Enter logs without sending.
const char *const NotOnLine = "The keyer is not on line: Enter logs without sending. "
                              "\"Open Com\" in the keyer options window connects it.";
const char *const NotAnswering = "The keyer does not answer: Enter logs without sending. "
                                 "Check its power and cable; it counts again with its next byte.";
const char *const OnLine = "The keyer is on line.";
} // namespace

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

KeyerLink::KeyerLink(Contest &main, SerialPort &port) : main_(main), port_(port)
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
    answerWatch_.setSingleShot(true);
    connect(&answerWatch_, &QTimer::timeout, this, [this] { checkAnswer(); });
    main_.display.BModeColor = Colors::ColorWhite;
    main_.display.BModeHint = NotOnLine;
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

namespace {

// Room the keyer surely has when idle, and after a status without XOFF: its buffer
// holds 128 bytes and says XOFF beyond two thirds. Every ordinary message fits in
// the first, so it goes in one write as before.
constexpr size_t IdleRoom = 48;
constexpr size_t PartRoom = 16;

// The longest start of text, at most max bytes, that ends between frames: a speed
// change (02, 1C) is never parted from its parameter.
size_t wholeFrames(const std::string &text, size_t max)
{
    size_t at = 0;
    while (at < text.size()) {
        const unsigned char b = static_cast<unsigned char>(text[at]);
        const size_t step = (b == 0x02 || b == 0x1C) ? 2 : 1;
        if (at + step > max)
            break;
        at += step;
    }
    return std::min(at, text.size());
}

} // namespace

void KeyerLink::sendFrame(const std::string &frame)
{
    if (!port_.Connected())
        return;
    // Clearing the keyer's buffer stops the message: what is still held here goes too.
    if (frame == WkFrame::clearBuffer())
        outgoing_.clear();
    port_.WriteText(frame);
}

void KeyerLink::sendText(const std::string &text)
{
    if (!port_.Connected())
        return;
    outgoing_ += text;
    expectAnswer(text);
    pump();
}

void KeyerLink::expectAnswer(const std::string &text)
{
    using namespace std::chrono;
    // A generous keying time: 12 dot lengths a character, at no less than 10 wpm.
    const auto keyed = std::count_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x20; });
    const milliseconds keying(keyed * 12 * 1200 / std::max(main_.st.Speed, 10));
    const auto now = steady_clock::now();
    answerDue_ = std::max(awaitingAnswer_ ? answerDue_ : now, now + answerSlack_) + keying;
    awaitingAnswer_ = true;
    answerWatch_.start(duration_cast<milliseconds>(answerDue_ - now));
}

void KeyerLink::answerHeard(bool idle)
{
    if (silent_) {
        silent_ = false;
        main_.st.KeyerOnline = true;
        showOnLine(true, OnLine);
    }
    if (idle && outgoing_.empty()) {
        awaitingAnswer_ = false;
        answerWatch_.stop();
    } else if (awaitingAnswer_) {
        answerDue_ = std::max(answerDue_, std::chrono::steady_clock::now() + answerSlack_);
    }
}

// Frozen, or busy without ever saying idle: the keyer counts as not answering, so
// Enter logs again without Esc.
void KeyerLink::checkAnswer()
{
    using namespace std::chrono;
    if (!awaitingAnswer_)
        return;
    const auto now = steady_clock::now();
    if (now < answerDue_) {
        answerWatch_.start(duration_cast<milliseconds>(answerDue_ - now) + milliseconds(1));
        return;
    }
    awaitingAnswer_ = false;
    silent_ = true;
    outgoing_.clear();
    ContestState &st = main_.st;
    st.KeyerOnline = false;
    st.KeyerBusy = false;
    showOnLine(false, NotAnswering);
}

void KeyerLink::showOnLine(bool online, const char *why)
{
    main_.display.BModeColor = online ? Colors::ColorGreen : Colors::ColorWhite;
    main_.display.BModeHint = why;
    refresh();
}

void KeyerLink::pump()
{
    if (opening_ || !port_.Connected())
        return;
    while (!outgoing_.empty() && !keyerXoff_) {
        const size_t part = wholeFrames(outgoing_, room_);
        if (part == 0) {
            if (!statusAsked_) {
                statusAsked_ = true;
                port_.WriteText(WkFrame::requestStatus());
                // A keyer that does not answer still gets the message, a part a second.
                QTimer::singleShot(1000, this, [this, asked = ++asks_] {
                    if (!statusAsked_ || asked != asks_)
                        return;
                    statusAsked_ = false;
                    room_ = std::max(room_, PartRoom);
                    try {
                        pump();
                    } catch (const std::exception &e) {
                        reportApplicationError(e.what());
                    }
                });
            }
            return;
        }
        const std::string bytes = outgoing_.substr(0, part);
        outgoing_.erase(0, part);
        room_ -= part;
        port_.WriteText(bytes);
    }
}

void KeyerLink::statusReceived(unsigned char status)
{
    keyerXoff_ = status & StatusXoff;
    if (status & StatusBreakIn) {
        outgoing_.clear();  // the operator took over with the paddle
    } else if (!(status & (StatusBusy | StatusWait | StatusKeyDown)) && !keyerXoff_) {
        room_ = IdleRoom;  // the keyer's buffer is empty
    } else if (statusAsked_ && !keyerXoff_) {
        room_ = std::max(room_, PartRoom);
    }
    statusAsked_ = false;
}

void KeyerLink::requireOpenPort() const
{
    if (!port_.Connected())
        throw std::runtime_error(ComErrorMessage(CEPortNotOpen + 1)
                                 + "\n\nOpen the keyer's port first: \"Open Com\" in the keyer options window.");
}

std::optional<std::string> KeyerLink::toggleTune()
{
    requireOpenPort();
    ContestState &st = main_.st;
    if (!st.KeyerOnline)
        return std::nullopt;
    if (st.TuneOn) {
        sendFrame(WkFrame::keyImmediate(false));
        st.TuneOn = false;
        return "TUNE";
    }
    sendFrame(WkFrame::keyImmediate(true));
    st.TuneOn = true;
    main_.display.BModeColor = Colors::ColorRed;
    refresh();
    return "TUNE ON";
}

void KeyerLink::afterPause(int ms, std::function<void()> step)
{
    int wait = ms;
    if (pause_) {
        pause_(ms);
        wait = 0;
    }
    QTimer::singleShot(wait, this, [this, sequence = sequence_, step = std::move(step)] {
        if (sequence != sequence_)
            return;
        try {
            step();
        } catch (const std::exception &e) {
            // A failed write ends the sequence at that step.
            endOpening();
            reportApplicationError(e.what());
        }
    });
}

void KeyerLink::sendPaced(std::vector<std::string> frames, int ms)
{
    if (frames.empty())
        return;
    sendFrame(frames.front());
    frames.erase(frames.begin());
    afterPause(ms, [this, frames = std::move(frames), ms]() mutable { sendPaced(std::move(frames), ms); });
}

// Host mode with the keyer's pauses between the steps, each step from the event loop:
// the same bytes and pauses on the line, and the window answers throughout. What the
// keyer says meanwhile is decoded when the sequence is over, in order, as when the
// pauses held the window.
void KeyerLink::OpenKeyerLink()
{
    if (opening_)
        return;
    try {
        port_.SetConnected(true);
    } catch (const SerialPortError &e) {
        // Nothing else changes, but the operator who pressed "Open Com" learns why.
        display.LInfo1 = SerialPortErrorText(e, port_.DevicePath());
        refresh();
        return;
    }
    if (!port_.Connected())
        return;
    display.LInfo1.clear();
    opening_ = true;
    heldRx_.clear();
    afterPause(100, [this] {
        ContestState &st = main_.st;
        st.ComConnected = true;
        display.BOpenCom = "Close Com";
        display.ShapeComColor = Colors::ColorBlue;
        display.LCComBold = true;
        display.LCCom = port_.Port();
        display.LBCom = port_.BaudRateText(port_.BaudRate());
        refresh();
        port_.WriteText(WkFrame::hostOpen());
        afterPause(500, [this] {
            port_.WriteText(WkFrame::echoTest());
            afterPause(200, [this] { openingSent(); });
        });
    });
}

void KeyerLink::openingSent()
{
    ContestState &st = main_.st;
    port_.WriteText(WkFrame::setWpm(st.Speed));
    port_.WriteText(WkFrame::setMode(WkFrame::LinkOpenMode));
    if (wk_)
        wk_->loadOptionsIntoWindow();
    if (!TimerReadWK.isActive())
        TimerReadWK.start();
    room_ = IdleRoom;
    statusAsked_ = false;
    keyerXoff_ = false;
    main_.display.EWinkeyerColor = Colors::ColorGreen;
    showOnLine(true, OnLine);
    endOpening();
}

void KeyerLink::endOpening()
{
    if (!opening_)
        return;
    opening_ = false;
    std::string held;
    held.swap(heldRx_);
    if (!held.empty() && port_.Connected())
        decode(held);
}

void KeyerLink::CloseKeyerLink()
{
    if (!port_.Connected())
        return;
    forgetLinkState();
    port_.WriteText(WkFrame::hostClose());
    port_.SetConnected(false);
    showClosed();
}

void KeyerLink::leaveHostMode()
{
    const bool stored = main_.st.ComConnected;
    CloseKeyerLink();
    main_.st.ComConnected = stored;
}

// Opening steps still due, held bytes and paced text belong to the link that ends.
void KeyerLink::forgetLinkState()
{
    ++sequence_;
    opening_ = false;
    heldRx_.clear();
    outgoing_.clear();
    room_ = IdleRoom;
    statusAsked_ = false;
    keyerXoff_ = false;
    awaitingAnswer_ = false;
    silent_ = false;
    answerWatch_.stop();
}

// The keyer was unplugged: nothing can be said to it any more, so the link closes
// without Host Close.
void KeyerLink::deviceGone()
{
    forgetLinkState();
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
    showOnLine(false, NotOnLine);
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
    st.KeyerOnline = !silent_;
    if (wkShown()) {
        wk_->showEdSpeed(st.Speed);
        wk_->showUpSpeed(st.SpeedUp);
        wk_->selectSidetone(st.Sidetone);
    }
    registers.frequencyCode = st.Sidetone + 1;
    st.R01 = ComposeR01(registers.paddleOnly, registers.frequencyCode);
    sendFrame(WkFrame::sidetone(st.R01));
}

void KeyerLink::ComPortRxChar(int count)
{
    std::string bytes;
    port_.ReadText(bytes, count);
    if (opening_)
        heldRx_ += bytes;
    else
        decode(bytes);
}

void KeyerLink::decode(const std::string &bytes)
{
    ContestState &st = main_.st;
    // The command box is edited as text and shown once per batch: a chatty keyer hands
    // over thousands of bytes at a time, and redrawing the box for each would hold the
    // window for as long.
    const std::string shown = wk_ ? wk_->commandText() : std::string();
    std::string command = shown;
    const bool asci = wk_ && wk_->asciChecked();
    for (unsigned char b : bytes) {
        answerHeard(IsStatusByte(b) && !(b & (StatusBusy | StatusWait | StatusKeyDown)));
        if (IsStatusByte(b))
            statusReceived(b);
        const KeyerDisplay now{static_cast<int>(command.size()), asci};
        DecodeKeyerByte(b, st, now, [&](const KeyerEffect &e) { apply(e, command); });
    }
    if (wk_ && command != shown)
        wk_->setCommandText(command);
    pump();
    refresh();
}

void KeyerLink::apply(const KeyerEffect &e, std::string &command)
{
    MainDisplay &md = main_.display;
    switch (e.kind) {
    case KeyerEffect::AppendCommand:
        command += e.text;
        break;
    case KeyerEffect::ClearCommand:
        command.clear();
        break;
    case KeyerEffect::AppendTransmit:
        md.LTransmit += e.text;
        if (md.LTransmit.size() > TransmitTail)
            md.LTransmit.erase(0, md.LTransmit.size() - TransmitTail);
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
        sendText(st.MessageText);
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
    // The typed call is message text: it follows a message still going out.
    if (!bytes.empty() && static_cast<unsigned char>(bytes[0]) >= 0x20)
        sendText(bytes);
    else
        sendFrame(bytes);
}

void KeyerLink::keyTransmitter(bool down)
{
    sendFrame(WkFrame::keyImmediate(down));
}

void KeyerLink::clearBuffer()
{
    sendFrame(WkFrame::clearBuffer());
}

void KeyerLink::setSpeed(int wpm)
{
    sendFrame(WkFrame::setWpm(wpm));
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
