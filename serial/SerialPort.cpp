#include "serial/SerialPort.h"

#include "logging/ErrorReport.h"
#include "serial/ListComPorts.h"
#include "serial/SerialHandOff.h"
#include "serial/SerialPortBackend.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

using namespace ComBits;

namespace {

// Closing waits this long at most for what is still to go out; the rest is discarded.
constexpr int kCloseDrainMs = 1000;

bool onOwnerThread(const std::thread &t)
{
    return !t.joinable() || t.get_id() != std::this_thread::get_id();
}

} // namespace

SerialPort::SerialPort(std::string name)
    : backend_(CreateComPortBackend()), handOff_(std::make_unique<SerialHandOff>()), name_(std::move(name))
{
}

SerialPort::~SerialPort()
{
    try {
        Close();
    } catch (const SerialPortError &e) {
        reportApplicationError(SerialPortErrorText(e));
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

int SerialPort::AddFreeNotification(std::function<void()> callback)
{
    const int id = nextNotificationId_++;
    freeNotifications_.emplace_back(id, std::move(callback));
    return id;
}

void SerialPort::RemoveFreeNotification(int id)
{
    std::erase_if(freeNotifications_, [id](const auto &entry) { return entry.first == id; });
}

void SerialPort::ReportError(SerialFailure Failure, int64_t WinError)
{
    const int Code = Failure + 1;  // the failure's number, as its message and the exception carry it
    if (OnException) {
        const std::string winMessage = WinError > 0 ? std::strerror(static_cast<int>(WinError)) : "";
        OnException(*this, Failure, ComErrorMessage(Code), WinError, winMessage);
        return;
    }
    throw SerialPortError(Code, WinError);
}

std::string SerialPort::DevicePath() const
{
    return PortDevicePath(port_);
}

void SerialPort::SetConnected(bool value)
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

void SerialPort::Loaded()
{
    loading_ = false;
    if (!connectedWhenLoaded_ || connected_)
        return;
    try {
        Open();
    } catch (const SerialPortError &e) {
        reportApplicationError(SerialPortErrorText(e, DevicePath()));
    }
}

bool SerialPort::CreatePortHandle()
{
    const int error = backend_->open(DevicePath());
    if (error != 0) {
        ReportError(CE_OpenFailed, error);
        return false;
    }
    return true;
}

void SerialPort::DestroyPortHandle()
{
    backend_->close();
}

void SerialPort::Open()
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
    txHeld_ = false;
    // The event thread also carries the output that the line cannot take at once, so
    // it runs even when no event is asked for.
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

void SerialPort::Close()
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
    if (txHeld_) {
        txHeld_ = false;
        DoTxHold(false);
    }
    DoBeforeClose();
    backend_->drainOutput(kCloseDrainMs);
    if (const int error = backend_->purge(PURGE_TXABORT | PURGE_RXABORT); error != 0)
        ReportError(CE_PurgeFailed, error);
    StopEventThread();
    DestroyPortHandle();
    connected_ = false;
    DoAfterClose();
}

void SerialPort::StartEventThread()
{
    backend_->setEventMask(EventsToMask(events_));
    handOff_->threadStarting();
    thread_ = std::thread([this] { EventThreadBody(); });
    threadCreated_ = true;
}

void SerialPort::StopEventThread()
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

void SerialPort::EventThreadBody()
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

void SerialPort::DeliverEvents(unsigned mask)
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
        } catch (const SerialPortError &e) {
            handOff_->post([text = SerialPortErrorText(e)] { reportApplicationError(text); });
        } catch (const std::exception &e) {
            handOff_->post([text = std::string(e.what())] { reportApplicationError(text); });
        } catch (...) {
            handOff_->post([] { reportApplicationError("Unknown failure in a serial port event handler"); });
        }
        break;
    }
}

void SerialPort::RunActions(unsigned mask, uint64_t generation)
{
    // A handler may close (or close and reopen) the port; what is left of the batch then belongs to nobody.
    const auto stillOpen = [this, generation] { return connected_ && generation_ == generation; };

    if ((mask & EV_ERR) && stillOpen()) {
        unsigned word = 0;
        if (const int error = backend_->clearErrors(word); error != 0)
            ReportError(CE_ClearComFailed, error);
        const LineErrors errors = ErrorWordToErrors(word, parity_.Check());
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
    if ((mask & EV_TXHOLD) && stillOpen() && backend_->outputHeld() != txHeld_) {
        txHeld_ = !txHeld_;
        DoTxHold(txHeld_);
    }
}

bool SerialPort::LineStatus(unsigned &status)
{
    status = 0;
    if (const int error = backend_->modemStatus(status); error != 0) {
        ReportError(CE_ModemStatFailed, error);
        return false;
    }
    return true;
}

int SerialPort::WriteText(const std::string &Text)
{
    if (Text.empty())
        return 0;
    if (!backend_->isOpen()) {
        ReportError(CEPortNotOpen, 0);
        return 0;
    }
    // Returns at once: bytes the line cannot take now wait for the event thread.
    int accepted = 0;
    if (const int error = backend_->write(Text.data(), static_cast<int>(Text.size()), accepted); error != 0)
        ReportError(CE_WriteFailed, error);
    return accepted;
}

int SerialPort::ReadText(std::string &Text, int Count)
{
    Text.clear();
    if (Count < 1)
        return 0;
    if (!backend_->isOpen()) {
        ReportError(CEPortNotOpen, 0);
        return 0;
    }
    Text.resize(static_cast<size_t>(Count));
    int got = 0;
    const int error = backend_->read(Text.data(), Count, got);
    Text.resize(static_cast<size_t>(std::max(got, 0)));
    if (error != 0)
        ReportError(CE_ReadFailed, error);
    return static_cast<int>(Text.size());
}

int SerialPort::InputQueueCount()
{
    int count = 0;
    if (const int error = backend_->inputQueue(count); error != 0) {
        ReportError(CE_ClearComFailed, error);
        return 0;
    }
    return count;
}

void SerialPort::BeginUpdate()
{
    ++updateCount_;
}

void SerialPort::EndUpdate()
{
    if (updateCount_ == 0)
        return;
    if (--updateCount_ == 0)
        ApplySettings();
}

bool SerialPort::CanApply() const
{
    return connected_ && updateCount_ == 0 && !loading_;
}

void SerialPort::ApplySettings()
{
    ApplyBufferSizes();
    ApplyLineSettings();
    ApplyTimeouts();
}

void SerialPort::ApplyBufferSizes()
{
    if (!CanApply())
        return;
    if (const int error = backend_->setupBuffers(buffer_.InputSize(), buffer_.OutputSize()); error != 0)
        ReportError(CE_SetupComFailed, error);
}

void SerialPort::ApplyLineSettings()
{
    if (!CanApply())
        return;
    if (const int error = backend_->applyLine(BuildDcb()); error != 0)
        ReportError(CE_SetStateFailed, error);
}

void SerialPort::ApplyTimeouts()
{
    if (!CanApply())
        return;
    if (const int error = backend_->applyTimeouts(BuildTimeouts()); error != 0)
        ReportError(CE_TimeoutsFailed, error);
}

SerialDcb SerialPort::BuildDcb() const
{
    SerialDcb dcb;
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

SerialTimeoutValues SerialPort::BuildTimeouts() const
{
    SerialTimeoutValues t;
    t.ReadIntervalTimeout = static_cast<uint32_t>(timeouts_.ReadInterval());
    t.ReadTotalTimeoutMultiplier = static_cast<uint32_t>(timeouts_.ReadTotalMultiplier());
    t.ReadTotalTimeoutConstant = static_cast<uint32_t>(timeouts_.ReadTotalConstant());
    t.WriteTotalTimeoutMultiplier = static_cast<uint32_t>(timeouts_.WriteTotalMultiplier());
    t.WriteTotalTimeoutConstant = static_cast<uint32_t>(timeouts_.WriteTotalConstant());
    return t;
}

AppliedLineSettings SerialPort::AppliedLine() const
{
    return backend_->applied();
}

void SerialPort::SetBaudRate(TBaudRate v)
{
    if (v == baudRate_)
        return;
    baudRate_ = v;
    ApplyLineSettings();
}

void SerialPort::SetCustomBaudRate(int v)
{
    if (v == customBaudRate_)
        return;
    customBaudRate_ = v;
    ApplyLineSettings();
}

void SerialPort::SetPort(const std::string &name)
{
    const std::string v = PortDevicePath(name);
    if (v == port_)
        return;
    port_ = v;
    if (connected_ && !loading_) {
        Close();
        Open();
    }
}

void SerialPort::SetStopBits(TStopBits v)
{
    if (v == stopBits_)
        return;
    stopBits_ = v;
    ApplyLineSettings();
}

void SerialPort::SetDataBits(TDataBits v)
{
    if (v == dataBits_)
        return;
    dataBits_ = v;
    ApplyLineSettings();
}

void SerialPort::SetDiscardNull(bool v)
{
    if (v == discardNull_)
        return;
    discardNull_ = v;
    ApplyLineSettings();
}

void SerialPort::SetEventChar(char v)
{
    if (v == eventChar_)
        return;
    eventChar_ = v;
    ApplyLineSettings();
}

void SerialPort::SetSyncMethod(TSyncMethod v)
{
    if (v == syncMethod_)
        return;
    if (connected_) {
        ReportError(CE_ConnChangeProp, 0);
        return;
    }
    syncMethod_ = v;
}

void SerialPort::DoAfterClose() { if (OnAfterClose) OnAfterClose(*this); }
void SerialPort::DoAfterOpen() { if (OnAfterOpen) OnAfterOpen(*this); }
void SerialPort::DoBeforeClose() { if (OnBeforeClose) OnBeforeClose(*this); }
void SerialPort::DoBeforeOpen() { if (OnBeforeOpen) OnBeforeOpen(*this); }
void SerialPort::DoRxChar(int Count) { if (OnRxChar) OnRxChar(*this, Count); }
void SerialPort::DoRxBuf(const std::string &Buffer, int Count) { if (OnRxBuf) OnRxBuf(*this, Buffer, Count); }
void SerialPort::DoTxEmpty() { if (OnTxEmpty) OnTxEmpty(*this); }
void SerialPort::DoBreak() { if (OnBreak) OnBreak(*this); }
void SerialPort::DoRing() { if (OnRing) OnRing(*this); }
void SerialPort::DoRxFlag() { if (OnRxFlag) OnRxFlag(*this); }
void SerialPort::DoCTSChange(bool OnOff) { if (OnCTSChange) OnCTSChange(*this, OnOff); }
void SerialPort::DoDSRChange(bool OnOff) { if (OnDSRChange) OnDSRChange(*this, OnOff); }
void SerialPort::DoRLSDChange(bool OnOff) { if (OnRLSDChange) OnRLSDChange(*this, OnOff); }
void SerialPort::DoError(LineErrors Errors) { if (OnError) OnError(*this, Errors); }
void SerialPort::DoRx80Full() { if (OnRx80Full) OnRx80Full(*this); }
void SerialPort::DoTxHold(bool Held) { if (OnTxHold) OnTxHold(*this, Held); }
