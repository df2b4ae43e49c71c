#include "serial/ComPort.h"

#include "logging/ErrorReport.h"
#include "serial/ComHandOff.h"
#include "serial/ComPortBackend.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>

using namespace ComBits;

namespace {

constexpr std::array<const char *, 16> kBaudTexts = {
    "Custom", "110", "300", "600", "1200", "2400", "4800", "9600", "14400",
    "19200", "38400", "56000", "57600", "115200", "128000", "256000"};
constexpr std::array<const char *, 4> kDataBitsTexts = {"5", "6", "7", "8"};
constexpr std::array<const char *, 3> kStopBitsTexts = {"1", "1.5", "2"};
constexpr std::array<const char *, 5> kParityTexts = {"None", "Odd", "Even", "Mark", "Space"};
constexpr std::array<const char *, 4> kFlowTexts = {"Hardware", "Software", "None", "Custom"};
constexpr std::array<const char *, 3> kDTRTexts = {"Disable", "Enable", "Handshake"};
constexpr std::array<const char *, 4> kRTSTexts = {"Disable", "Enable", "Handshake", "Toggle"};

constexpr std::array<const char *, 24> kErrorMessages = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
    "Port Not Open",
};

// Mask bit of each TComEvent, in member order.
constexpr std::array<unsigned, 10> kEventBits = {EV_RXCHAR, EV_TXEMPTY, EV_RXFLAG, EV_RING, EV_BREAK,
                                                 EV_CTS, EV_DSR, EV_ERR, EV_RLSD, EV_RX80FULL};
// Error word bit of each TComError, in member order.
constexpr std::array<unsigned, 8> kErrorBits = {CE_FRAME, CE_RXPARITY, CE_OVERRUN, CE_BREAK,
                                                CE_IOE, CE_MODE, CE_RXOVER, CE_TXFULL};

std::string upper(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

template <typename E, size_t N>
E fromText(const std::array<const char *, N> &texts, const std::string &text, E fallback)
{
    const std::string wanted = upper(text);
    for (size_t i = 0; i < N; ++i)
        if (upper(texts[i]) == wanted)
            return static_cast<E>(i);
    return fallback;
}

template <size_t N>
std::string toText(const std::array<const char *, N> &texts, int value)
{
    return value >= 0 && static_cast<size_t>(value) < N ? texts[static_cast<size_t>(value)] : "";
}

bool onOwnerThread(const std::thread &t)
{
    return !t.joinable() || t.get_id() != std::this_thread::get_id();
}

} // namespace

std::string BaudRateText(TBaudRate v) { return toText(kBaudTexts, v); }
std::string DataBitsText(TDataBits v) { return toText(kDataBitsTexts, v); }
std::string StopBitsText(TStopBits v) { return toText(kStopBitsTexts, v); }
std::string ParityText(TParityBits v) { return toText(kParityTexts, v); }
std::string FlowControlText(TFlowControl v) { return toText(kFlowTexts, v); }
std::string DTRText(TDTRFlowControl v) { return toText(kDTRTexts, v); }
std::string RTSText(TRTSFlowControl v) { return toText(kRTSTexts, v); }

TBaudRate StrToBaudRate(const std::string &t, TBaudRate f) { return fromText(kBaudTexts, t, f); }
TDataBits StrToDataBits(const std::string &t, TDataBits f) { return fromText(kDataBitsTexts, t, f); }
TStopBits StrToStopBits(const std::string &t, TStopBits f) { return fromText(kStopBitsTexts, t, f); }
TParityBits StrToParity(const std::string &t, TParityBits f) { return fromText(kParityTexts, t, f); }
TFlowControl StrToFlowControl(const std::string &t, TFlowControl f) { return fromText(kFlowTexts, t, f); }
TDTRFlowControl StrToDTR(const std::string &t, TDTRFlowControl f) { return fromText(kDTRTexts, t, f); }
TRTSFlowControl StrToRTS(const std::string &t, TRTSFlowControl f) { return fromText(kRTSTexts, t, f); }

uint32_t BaudRateValue(TBaudRate value)
{
    return value == brCustom ? 0 : static_cast<uint32_t>(std::stoul(BaudRateText(value)));
}

std::string BoolToIniText(bool value) { return value ? "Yes" : "No"; }

bool IniTextToBool(const std::string &text) { return upper(text) == "YES"; }

std::string CharToIniText(char value)
{
    const auto code = static_cast<unsigned char>(value);
    if (code >= 33 && code <= 127)
        return std::string(1, value);
    return "#" + std::to_string(code);
}

char IniTextToChar(const std::string &text)
{
    if (text.empty())
        return 0;
    if (text[0] == '#' && text.size() > 1) {
        const std::string digits = text.substr(1);
        const bool isNumber = std::all_of(digits.begin(), digits.end(),
                                          [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
        if (!isNumber || digits.size() > 9)
            return 0;
        return static_cast<char>(static_cast<unsigned char>(std::stoul(digits) & 0xFF));
    }
    return text[0];
}

unsigned EventsToMask(TComEvents events)
{
    unsigned mask = 0;
    for (size_t i = 0; i < kEventBits.size(); ++i)
        if (events.contains(static_cast<TComEvent>(i)))
            mask |= kEventBits[i];
    return mask;
}

TComEvents MaskToEvents(unsigned mask)
{
    TComEvents events;
    for (size_t i = 0; i < kEventBits.size(); ++i)
        if (mask & kEventBits[i])
            events.include(static_cast<TComEvent>(i));
    return events;
}

TComErrors ErrorWordToErrors(unsigned errorWord, bool parityCheck)
{
    TComErrors errors;
    for (size_t i = 0; i < kErrorBits.size(); ++i)
        if (errorWord & kErrorBits[i])
            errors.include(static_cast<TComError>(i));
    if (!parityCheck)
        errors.exclude(ceRxParity);
    return errors;
}

std::string ComErrorMessage(int code)
{
    return code >= 1 && code <= 24 ? kErrorMessages[static_cast<size_t>(code - 1)] : "";
}

EComPort::EComPort(int code, int64_t winError)
    : std::runtime_error(winError > 0 ? ComErrorMessage(code) + " (Error: " + std::to_string(winError) + ")"
                                      : ComErrorMessage(code)),
      WinError(winError > 0 ? static_cast<int>(winError) : -1), Code(code)
{
}

std::string ComPortErrorText(const EComPort &error)
{
    std::string text = error.what();
    if (error.Code == 1 && (error.WinError == EACCES || error.WinError == EPERM))
        text += "\n\nThis user is not allowed to use serial ports. On Debian, add the user to the "
                "dialout group (sudo adduser $USER dialout), then log out and in again.";
    else if (error.Code == 1 && error.WinError == EBUSY)
        text += "\n\nAnother program is using this port.";
    return text;
}

void TComTimeouts::set(int &field, int v)
{
    if (field == v)
        return;
    field = v;
    apply();
}

void TComTimeouts::apply()
{
    if (port_)
        port_->ApplyTimeouts();
}

void TComTimeouts::Assign(const TComTimeouts &s)
{
    readInterval_ = s.readInterval_;
    readTotalMultiplier_ = s.readTotalMultiplier_;
    readTotalConstant_ = s.readTotalConstant_;
    writeTotalMultiplier_ = s.writeTotalMultiplier_;
    writeTotalConstant_ = s.writeTotalConstant_;
    apply();
}

void TComFlowControl::apply()
{
    if (port_)
        port_->ApplyLineSettings();
}

void TComFlowControl::Assign(const TComFlowControl &s)
{
    outCTSFlow_ = s.outCTSFlow_;
    outDSRFlow_ = s.outDSRFlow_;
    controlDTR_ = s.controlDTR_;
    controlRTS_ = s.controlRTS_;
    xonXoffOut_ = s.xonXoffOut_;
    xonXoffIn_ = s.xonXoffIn_;
    dsrSensitivity_ = s.dsrSensitivity_;
    txContinueOnXoff_ = s.txContinueOnXoff_;
    xonChar_ = s.xonChar_;
    xoffChar_ = s.xoffChar_;
    apply();
}

TFlowControl TComFlowControl::FlowControl() const
{
    if (controlRTS_ == rtsHandshake && outCTSFlow_ && !xonXoffIn_ && !xonXoffOut_)
        return fcHardware;
    if (controlRTS_ == rtsDisable && !outCTSFlow_ && xonXoffIn_ && xonXoffOut_)
        return fcSoftware;
    if (controlRTS_ == rtsDisable && !outCTSFlow_ && !xonXoffIn_ && !xonXoffOut_)
        return fcNone;
    return fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl preset)
{
    if (preset != fcCustom) {
        controlRTS_ = rtsDisable;
        outCTSFlow_ = false;
        xonXoffIn_ = false;
        xonXoffOut_ = false;
        if (preset == fcHardware) {
            controlRTS_ = rtsHandshake;
            outCTSFlow_ = true;
        } else if (preset == fcSoftware) {
            xonXoffIn_ = true;
            xonXoffOut_ = true;
        }
    }
    apply();
}

void TComParity::apply()
{
    if (port_)
        port_->ApplyLineSettings();
}

void TComParity::Assign(const TComParity &s)
{
    bits_ = s.bits_;
    check_ = s.check_;
    replace_ = s.replace_;
    replaceChar_ = s.replaceChar_;
    apply();
}

void TComBuffer::set(int &field, int v)
{
    if (v > 0 && (v % 2) != 0)
        --v;
    if (field == v)
        return;
    field = v;
    apply();
}

void TComBuffer::apply()
{
    if (port_)
        port_->ApplyBufferSizes();
}

void TComBuffer::Assign(const TComBuffer &s)
{
    inputSize_ = s.inputSize_;
    outputSize_ = s.outputSize_;
    apply();
}

TCustomComPort::TCustomComPort(std::string name)
    : backend_(CreateComPortBackend()), handOff_(std::make_unique<ComHandOff>()), name_(std::move(name))
{
}

TCustomComPort::~TCustomComPort()
{
    try {
        Close();
    } catch (const EComPort &e) {
        reportApplicationError(ComPortErrorText(e));
    } catch (const std::exception &e) {
        reportApplicationError(e.what());
    } catch (...) {
    }
    // Whatever Close left undone, the thread must not outlive the port.
    if (threadCreated_) {
        backend_->stopWaiting();
        if (onOwnerThread(thread_))
            handOff_->waitForThread(thread_);
        else
            thread_.detach();
        threadCreated_ = false;
    }
    backend_->close();
    const auto notifications = std::move(freeNotifications_);
    for (const auto &entry : notifications)
        entry.second();
}

int TCustomComPort::AddFreeNotification(std::function<void()> callback)
{
    const int id = nextNotificationId_++;
    freeNotifications_.emplace_back(id, std::move(callback));
    return id;
}

void TCustomComPort::RemoveFreeNotification(int id)
{
    std::erase_if(freeNotifications_, [id](const auto &entry) { return entry.first == id; });
}

void TCustomComPort::ReportError(int Code, int64_t WinError)
{
    if (OnException) {
        const std::string winMessage = WinError > 0 ? std::strerror(static_cast<int>(WinError)) : "";
        OnException(*this, static_cast<TComExceptions>(Code - 1), ComErrorMessage(Code), WinError, winMessage);
        return;
    }
    throw EComPort(Code, WinError);
}

std::string TCustomComPort::DevicePath() const
{
    if (port_.find('/') != std::string::npos)
        return port_;
    return "/dev/" + port_;
}

void TCustomComPort::SetConnected(bool value)
{
    if (loading_) {
        connectedWhenLoaded_ = value;
        return;
    }
    if (value == connected_)
        return;
    if (value)
        Open();
    else
        Close();
}

void TCustomComPort::Loaded()
{
    loading_ = false;
    if (!connectedWhenLoaded_ || connected_)
        return;
    try {
        Open();
    } catch (const EComPort &e) {
        reportApplicationError(ComPortErrorText(e));
    }
}

bool TCustomComPort::CreatePortHandle()
{
    const int error = backend_->open(DevicePath());
    if (error != 0) {
        ReportError(1, error);
        return false;
    }
    return true;
}

void TCustomComPort::DestroyPortHandle()
{
    backend_->close();
}

void TCustomComPort::Open()
{
    if (connected_)
        return;
    DoBeforeOpen();
    // With OnException assigned a failed open is reported there; the port stays closed
    // rather than going on with no device behind it.
    if (!CreatePortHandle())
        return;
    ++generation_;
    connected_ = true;
    try {
        ApplySettings();
    } catch (...) {
        DestroyPortHandle();
        connected_ = false;
        throw;
    }
    if (!events_.empty())
        StartEventThread();
    DoAfterOpen();
    unsigned status = 0;
    if (LineStatus(status))
        DoCTSChange((status & MS_CTS_ON) != 0);
    if (LineStatus(status))
        DoDSRChange((status & MS_DSR_ON) != 0);
    if (LineStatus(status))
        DoRLSDChange((status & MS_RLSD_ON) != 0);
}

void TCustomComPort::Close()
{
    if (!connected_ || closing_)
        return;
    closing_ = true;
    struct Reset {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{closing_};

    DoCTSChange(false);
    DoDSRChange(false);
    DoRLSDChange(false);
    DoBeforeClose();
    backend_->drainOutput();
    if (const int error = backend_->purge(PURGE_TXABORT | PURGE_RXABORT); error != 0)
        ReportError(5, error);
    StopEventThread();
    DestroyPortHandle();
    connected_ = false;
    DoAfterClose();
}

void TCustomComPort::StartEventThread()
{
    backend_->setEventMask(EventsToMask(events_));
    handOff_->threadStarting();
    thread_ = std::thread([this] { EventThreadBody(); });
    threadCreated_ = true;
}

void TCustomComPort::StopEventThread()
{
    if (!threadCreated_)
        return;
    backend_->stopWaiting();
    if (onOwnerThread(thread_)) {
        handOff_->waitForThread(thread_);
    } else {
        // A handler run on the event thread itself (smNone) closed the port: the
        // thread ends when that handler returns.
        thread_.detach();
    }
    threadCreated_ = false;
}

void TCustomComPort::EventThreadBody()
{
    for (;;) {
        const unsigned mask = backend_->waitEvents();
        if (mask == 0)
            break;
        DeliverEvents(mask);
    }
    backend_->setEventMask(0);
    backend_->purge(PURGE_TXCLEAR | PURGE_RXCLEAR);
    handOff_->threadFinished();
}

void TCustomComPort::DeliverEvents(unsigned mask)
{
    const uint64_t generation = generation_;
    switch (syncMethod_) {
    case smThreadSync:
        handOff_->runAndWait([this, mask, generation] { RunActions(mask, generation); });
        break;
    case smWindowSync:
        handOff_->post([this, mask, generation] { RunActions(mask, generation); });
        break;
    case smNone:
        try {
            RunActions(mask, generation);
        } catch (const EComPort &e) {
            handOff_->post([text = ComPortErrorText(e)] { reportApplicationError(text); });
        } catch (const std::exception &e) {
            handOff_->post([text = std::string(e.what())] { reportApplicationError(text); });
        } catch (...) {
            handOff_->post([] { reportApplicationError("Unknown failure in a serial port event handler"); });
        }
        break;
    }
}

void TCustomComPort::RunActions(unsigned mask, uint64_t generation)
{
    // A handler may close (or close and reopen) the port; what is left of the batch then belongs to nobody.
    const auto stillOpen = [this, generation] { return connected_ && generation_ == generation; };

    if ((mask & EV_ERR) && stillOpen()) {
        unsigned word = 0;
        if (const int error = backend_->clearErrors(word); error != 0)
            ReportError(10, error);
        const TComErrors errors = ErrorWordToErrors(word, parity_.Check());
        if (!errors.empty())
            DoError(errors);
    }
    if ((mask & EV_RXCHAR) && stillOpen()) {
        const int count = InputQueueCount();
        if (count > 0) {
            if (triggersOnRxChar_) {
                DoRxChar(count);
            } else {
                std::string buffer;
                const int got = ReadText(buffer, count);
                DoRxBuf(buffer, got);
            }
        }
    }
    if ((mask & EV_TXEMPTY) && stillOpen())
        DoTxEmpty();
    if ((mask & EV_BREAK) && stillOpen())
        DoBreak();
    if ((mask & EV_RING) && stillOpen())
        DoRing();
    unsigned status = 0;
    if ((mask & EV_CTS) && stillOpen() && LineStatus(status))
        DoCTSChange((status & MS_CTS_ON) != 0);
    if ((mask & EV_DSR) && stillOpen() && LineStatus(status))
        DoDSRChange((status & MS_DSR_ON) != 0);
    if ((mask & EV_RXFLAG) && stillOpen())
        DoRxFlag();
    if ((mask & EV_RLSD) && stillOpen() && LineStatus(status))
        DoRLSDChange((status & MS_RLSD_ON) != 0);
    if ((mask & EV_RX80FULL) && stillOpen())
        DoRx80Full();
}

bool TCustomComPort::LineStatus(unsigned &status)
{
    status = 0;
    if (const int error = backend_->modemStatus(status); error != 0) {
        ReportError(11, error);
        return false;
    }
    return true;
}

int TCustomComPort::WriteText(const std::string &Text)
{
    if (Text.empty())
        return 0;
    if (!backend_->isOpen()) {
        ReportError(24, 0);
        return 0;
    }
    int written = 0;
    if (const int error = backend_->write(Text.data(), static_cast<int>(Text.size()), written); error != 0)
        ReportError(2, error);
    return written;
}

int TCustomComPort::ReadText(std::string &Text, int Count)
{
    Text.clear();
    if (Count < 1)
        return 0;
    if (!backend_->isOpen()) {
        ReportError(24, 0);
        return 0;
    }
    Text.resize(static_cast<size_t>(Count));
    int got = 0;
    const int error = backend_->read(Text.data(), Count, got);
    Text.resize(static_cast<size_t>(std::max(got, 0)));
    if (error != 0)
        ReportError(3, error);
    return static_cast<int>(Text.size());
}

int TCustomComPort::InputQueueCount()
{
    int count = 0;
    if (const int error = backend_->inputQueue(count); error != 0) {
        ReportError(10, error);
        return 0;
    }
    return count;
}

void TCustomComPort::BeginUpdate()
{
    ++updateCount_;
}

void TCustomComPort::EndUpdate()
{
    if (updateCount_ == 0)
        return;
    if (--updateCount_ == 0)
        ApplySettings();
}

bool TCustomComPort::CanApply() const
{
    return connected_ && updateCount_ == 0 && !loading_;
}

void TCustomComPort::ApplySettings()
{
    ApplyBufferSizes();
    ApplyLineSettings();
    ApplyTimeouts();
}

void TCustomComPort::ApplyBufferSizes()
{
    if (!CanApply())
        return;
    if (const int error = backend_->setupBuffers(buffer_.InputSize(), buffer_.OutputSize()); error != 0)
        ReportError(9, error);
}

void TCustomComPort::ApplyLineSettings()
{
    if (!CanApply())
        return;
    if (const int error = backend_->applyLine(BuildDcb()); error != 0)
        ReportError(7, error);
}

void TCustomComPort::ApplyTimeouts()
{
    if (!CanApply())
        return;
    if (const int error = backend_->applyTimeouts(BuildTimeouts()); error != 0)
        ReportError(8, error);
}

TComDcb TCustomComPort::BuildDcb() const
{
    TComDcb dcb;
    dcb.BaudRate = baudRate_ == brCustom ? static_cast<uint32_t>(customBaudRate_) : BaudRateValue(baudRate_);
    uint32_t flags = fBinary;
    if (parity_.Check())
        flags |= fParity;
    if (flowControl_.OutCTSFlow())
        flags |= fOutxCtsFlow;
    if (flowControl_.OutDSRFlow())
        flags |= fOutxDsrFlow;
    flags |= static_cast<uint32_t>(flowControl_.ControlDTR()) << 4;
    if (flowControl_.DSRSensitivity())
        flags |= fDsrSensitivity;
    if (flowControl_.TxContinueOnXoff())
        flags |= fTXContinueOnXoff;
    if (flowControl_.XonXoffOut())
        flags |= fOutX;
    if (flowControl_.XonXoffIn())
        flags |= fInX;
    const bool errorChar = parity_.Check() && parity_.Replace();
    if (errorChar)
        flags |= fErrorChar;
    if (discardNull_)
        flags |= fNull;
    flags |= static_cast<uint32_t>(flowControl_.ControlRTS()) << 12;
    dcb.Flags = flags;
    dcb.XonLim = static_cast<uint16_t>(buffer_.InputSize() / 4);
    dcb.XoffLim = dcb.XonLim;
    dcb.ByteSize = static_cast<uint8_t>(5 + dataBits_);
    dcb.Parity = static_cast<uint8_t>(parity_.Bits());
    dcb.StopBits = static_cast<uint8_t>(stopBits_);
    dcb.XonChar = flowControl_.XonChar();
    dcb.XoffChar = flowControl_.XoffChar();
    dcb.ErrorChar = errorChar ? parity_.ReplaceChar() : 0;
    dcb.EvtChar = eventChar_;
    return dcb;
}

TComTimeoutValues TCustomComPort::BuildTimeouts() const
{
    TComTimeoutValues t;
    t.ReadIntervalTimeout = static_cast<uint32_t>(timeouts_.ReadInterval());
    t.ReadTotalTimeoutMultiplier = static_cast<uint32_t>(timeouts_.ReadTotalMultiplier());
    t.ReadTotalTimeoutConstant = static_cast<uint32_t>(timeouts_.ReadTotalConstant());
    t.WriteTotalTimeoutMultiplier = static_cast<uint32_t>(timeouts_.WriteTotalMultiplier());
    t.WriteTotalTimeoutConstant = static_cast<uint32_t>(timeouts_.WriteTotalConstant());
    return t;
}

TComAppliedLine TCustomComPort::AppliedLine() const
{
    return backend_->applied();
}

void TCustomComPort::SetBaudRate(TBaudRate v)
{
    if (v == baudRate_)
        return;
    baudRate_ = v;
    ApplyLineSettings();
}

void TCustomComPort::SetCustomBaudRate(int v)
{
    if (v == customBaudRate_)
        return;
    customBaudRate_ = v;
    ApplyLineSettings();
}

void TCustomComPort::SetPort(const std::string &v)
{
    if (v == port_)
        return;
    port_ = v;
    if (connected_ && !loading_) {
        Close();
        Open();
    }
}

void TCustomComPort::SetStopBits(TStopBits v)
{
    if (v == stopBits_)
        return;
    stopBits_ = v;
    ApplyLineSettings();
}

void TCustomComPort::SetDataBits(TDataBits v)
{
    if (v == dataBits_)
        return;
    dataBits_ = v;
    ApplyLineSettings();
}

void TCustomComPort::SetDiscardNull(bool v)
{
    if (v == discardNull_)
        return;
    discardNull_ = v;
    ApplyLineSettings();
}

void TCustomComPort::SetEventChar(char v)
{
    if (v == eventChar_)
        return;
    eventChar_ = v;
    ApplyLineSettings();
}

void TCustomComPort::SetSyncMethod(TSyncMethod v)
{
    if (v == syncMethod_)
        return;
    if (connected_) {
        ReportError(14, 0);
        return;
    }
    syncMethod_ = v;
}

void TCustomComPort::DoAfterClose() { if (OnAfterClose) OnAfterClose(*this); }
void TCustomComPort::DoAfterOpen() { if (OnAfterOpen) OnAfterOpen(*this); }
void TCustomComPort::DoBeforeClose() { if (OnBeforeClose) OnBeforeClose(*this); }
void TCustomComPort::DoBeforeOpen() { if (OnBeforeOpen) OnBeforeOpen(*this); }
void TCustomComPort::DoRxChar(int Count) { if (OnRxChar) OnRxChar(*this, Count); }
void TCustomComPort::DoRxBuf(const std::string &Buffer, int Count) { if (OnRxBuf) OnRxBuf(*this, Buffer, Count); }
void TCustomComPort::DoTxEmpty() { if (OnTxEmpty) OnTxEmpty(*this); }
void TCustomComPort::DoBreak() { if (OnBreak) OnBreak(*this); }
void TCustomComPort::DoRing() { if (OnRing) OnRing(*this); }
void TCustomComPort::DoRxFlag() { if (OnRxFlag) OnRxFlag(*this); }
void TCustomComPort::DoCTSChange(bool OnOff) { if (OnCTSChange) OnCTSChange(*this, OnOff); }
void TCustomComPort::DoDSRChange(bool OnOff) { if (OnDSRChange) OnDSRChange(*this, OnOff); }
void TCustomComPort::DoRLSDChange(bool OnOff) { if (OnRLSDChange) OnRLSDChange(*this, OnOff); }
void TCustomComPort::DoError(TComErrors Errors) { if (OnError) OnError(*this, Errors); }
void TCustomComPort::DoRx80Full() { if (OnRx80Full) OnRx80Full(*this); }
