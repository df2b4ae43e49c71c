#pragma once

#include "serial/SerialSettings.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class SerialPortBackend;
class SerialHandOff;

using NotifyEvent = std::function<void(SerialPort &Sender)>;
using RxCharEvent = std::function<void(SerialPort &Sender, int Count)>;
using RxBufEvent = std::function<void(SerialPort &Sender, const std::string &Buffer, int Count)>;
using LineSignalEvent = std::function<void(SerialPort &Sender, bool OnOff)>;
using LineErrorEvent = std::function<void(SerialPort &Sender, LineErrors Errors)>;
using SerialFailureEvent = std::function<void(SerialPort &Sender, SerialFailure Failure,
                                              const std::string &ComportMessage, int64_t WinError,
                                              const std::string &WinMessage)>;

// The serial port through which the program talks to the keyer. Created and used on
// the GUI thread; its event thread hands every event back to that thread
// (smThreadSync, smWindowSync) or runs handlers itself (smNone). Writes never wait
// for the line: the event thread sends what the line could not take at once.
class SerialPort {
public:
    explicit SerialPort(std::string name = "ComPort");
    virtual ~SerialPort();
    SerialPort(const SerialPort &) = delete;
    SerialPort &operator=(const SerialPort &) = delete;

    // The component's name is the section of its settings in an INI file.
    const std::string &Name() const { return name_; }
    void SetName(const std::string &name) { name_ = name; }

    bool Connected() const { return connected_.load(); }
    void SetConnected(bool value);
    void Open();
    void Close();

    int WriteText(const std::string &Text);
    int ReadText(std::string &Text, int Count);
    int InputQueueCount();

    void LoadSettingsFromIni(const std::string &FileName);
    void SaveSettingsToIni(const std::string &FileName);

    std::string BaudRateText(TBaudRate value) const { return ::BaudRateText(value); }

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    // While loading, setters only store; an open requested meanwhile happens in Loaded().
    void BeginLoading() { loading_ = true; }
    void Loaded();
    bool Loading() const { return loading_; }

    TBaudRate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudRate v);
    int CustomBaudRate() const { return customBaudRate_; }
    void SetCustomBaudRate(int v);
    const std::string &Port() const { return port_; }
    // Kept as the full path of the device (see PortDevicePath), whatever form it came in.
    void SetPort(const std::string &name);
    TStopBits StopBits() const { return stopBits_; }
    void SetStopBits(TStopBits v);
    TDataBits DataBits() const { return dataBits_; }
    void SetDataBits(TDataBits v);
    bool DiscardNull() const { return discardNull_; }
    void SetDiscardNull(bool v);
    char EventChar() const { return eventChar_; }
    void SetEventChar(char v);
    SerialEvents Events() const { return events_; }
    void SetEvents(SerialEvents v) { events_ = v; }
    TStoredProps StoredProps() const { return storedProps_; }
    void SetStoredProps(TStoredProps v) { storedProps_ = v; }
    bool TriggersOnRxChar() const { return triggersOnRxChar_; }
    void SetTriggersOnRxChar(bool v) { triggersOnRxChar_ = v; }
    TSyncMethod SyncMethod() const { return syncMethod_; }
    void SetSyncMethod(TSyncMethod v);

    SerialParity &Parity() { return parity_; }
    const SerialParity &Parity() const { return parity_; }
    void SetParity(const SerialParity &v) { parity_.Assign(v); }
    SerialFlowControl &FlowControl() { return flowControl_; }
    const SerialFlowControl &FlowControl() const { return flowControl_; }
    void SetFlowControl(const SerialFlowControl &v) { flowControl_.Assign(v); }
    SerialTimeouts &Timeouts() { return timeouts_; }
    const SerialTimeouts &Timeouts() const { return timeouts_; }
    void SetTimeouts(const SerialTimeouts &v) { timeouts_.Assign(v); }
    SerialBuffers &Buffer() { return buffer_; }
    const SerialBuffers &Buffer() const { return buffer_; }
    void SetBuffer(const SerialBuffers &v) { buffer_.Assign(v); }

    // The device-control block the current line settings give.
    SerialDcb BuildDcb() const;
    SerialTimeoutValues BuildTimeouts() const;
    // What the device reports after the last line settings reached it.
    AppliedLineSettings AppliedLine() const;
    // The device path the port name stands for (the name itself, as it is kept).
    std::string DevicePath() const;

    // Raises SerialPortError, or calls OnException instead when it is assigned (then returns).
    void ReportError(SerialFailure Failure, int64_t WinError);

    // Told when the port is destroyed, so that bound controls can forget it.
    int AddFreeNotification(std::function<void()> callback);
    void RemoveFreeNotification(int id);

    NotifyEvent OnAfterOpen, OnAfterClose, OnBeforeOpen, OnBeforeClose;
    RxCharEvent OnRxChar;
    RxBufEvent OnRxBuf;
    NotifyEvent OnTxEmpty, OnBreak, OnRing, OnRxFlag, OnRx80Full;
    LineSignalEvent OnCTSChange, OnDSRChange, OnRLSDChange;
    LineErrorEvent OnError;
    SerialFailureEvent OnException;
    // Output waits and has not moved for a while (the far end sent XOFF or holds CTS),
    // or moves again. Bytes given up after their write timeout come as OnError ceTxFull.
    LineSignalEvent OnTxHold;

protected:
    virtual void StoreIniFile(const std::string &FileName);
    virtual void LoadIniFile(const std::string &FileName);
    // Each returns false when it failed and OnException took the report.
    virtual bool CreatePortHandle();
    virtual void DestroyPortHandle();
    virtual void ApplySettings();
    virtual void ApplyLineSettings();
    virtual void ApplyTimeouts();
    virtual void ApplyBufferSizes();

    virtual void DoAfterClose();
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoBeforeOpen();
    virtual void DoRxChar(int Count);
    virtual void DoRxBuf(const std::string &Buffer, int Count);
    virtual void DoTxEmpty();
    virtual void DoBreak();
    virtual void DoRing();
    virtual void DoRxFlag();
    virtual void DoCTSChange(bool OnOff);
    virtual void DoDSRChange(bool OnOff);
    virtual void DoRLSDChange(bool OnOff);
    virtual void DoError(LineErrors Errors);
    virtual void DoRx80Full();
    virtual void DoTxHold(bool Held);

    bool CanApply() const;

private:
    friend class SerialTimeouts;
    friend class SerialFlowControl;
    friend class SerialParity;
    friend class SerialBuffers;

    void StartEventThread();
    void StopEventThread();
    void EventThreadBody();
    void DeliverEvents(unsigned mask);
    void RunActions(unsigned mask, uint64_t generation);
    bool LineStatus(unsigned &status);

    std::unique_ptr<SerialPortBackend> backend_;
    std::unique_ptr<SerialHandOff> handOff_;
    std::thread thread_;
    bool threadCreated_ = false;
    std::atomic<uint64_t> generation_{0};  // counts opens, so a late batch never acts on a later opening
    int updateCount_ = 0;
    bool loading_ = false;
    bool closing_ = false;
    bool txHeld_ = false;  // as last told through OnTxHold
    std::atomic<bool> connected_{false};
    bool connectedWhenLoaded_ = false;

    std::string name_;
    TBaudRate baudRate_ = br9600;
    int customBaudRate_ = 9600;
    std::string port_ = "/dev/ttyS0";  // COM1
    SerialParity parity_{this};
    TStopBits stopBits_ = sbOneStopBit;
    TDataBits dataBits_ = dbEight;
    bool discardNull_ = false;
    char eventChar_ = 0;
    SerialEvents events_ = kAllComEvents;
    SerialBuffers buffer_{this};
    SerialFlowControl flowControl_{this};
    SerialTimeouts timeouts_{this};
    TStoredProps storedProps_{spBasic};
    bool triggersOnRxChar_ = true;
    TSyncMethod syncMethod_ = smThreadSync;

    std::vector<std::pair<int, std::function<void()>>> freeNotifications_;
    int nextNotificationId_ = 1;
};
