#pragma once

// The serial port's settings: enumerations, their text forms, the driver block and
// the setting groups each port owns.

#include <cstdint>
#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

enum TBaudRate {
    brCustom, br110, br300, br600, br1200, br2400, br4800, br9600, br14400,
    br19200, br38400, br56000, br57600, br115200, br128000, br256000
};
enum TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum TFlowControl { fcHardware, fcSoftware, fcNone, fcCustom };
enum TSyncMethod { smThreadSync, smWindowSync, smNone };
enum TStoredProp { spBasic, spFlowControl, spBuffer, spTimeouts, spParity, spOthers };
enum SerialEvent { evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD, evRx80Full };
enum LineError { ceFrame, ceRxParity, ceOverrun, ceBreak, ceIO, ceMode, ceRxOver, ceTxFull };

// Failure names in the order of their codes: CE_OpenFailed is code 1, CEPortNotOpen code 24.
enum SerialFailure {
    CE_OpenFailed, CE_WriteFailed, CE_ReadFailed, CE_InvalidAsync, CE_PurgeFailed,
    CE_AsyncCheck, CE_SetStateFailed, CE_TimeoutsFailed, CE_SetupComFailed,
    CE_ClearComFailed, CE_ModemStatFailed, CE_EscapeComFailed, CE_TransmitFailed,
    CE_ConnChangeProp, CE_EnumPortsFailed, CE_StoreFailed, CE_LoadFailed,
    CE_RegFailed, CE_LedStateFailed, CE_ThreadCreated, CE_WaitFailed, CE_HasLink,
    CE_RegError, CEPortNotOpen
};

// A small set over an enumeration: bit n stands for the n-th member.
template <typename E, typename Word>
class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> members)
    {
        for (E m : members)
            bits_ |= bit(m);
    }
    static constexpr EnumSet fromBits(Word w) { EnumSet s; s.bits_ = w; return s; }
    constexpr Word bits() const { return bits_; }
    constexpr bool contains(E m) const { return (bits_ & bit(m)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr void include(E m) { bits_ |= bit(m); }
    constexpr void exclude(E m) { bits_ &= static_cast<Word>(~bit(m)); }
    constexpr bool operator==(const EnumSet &) const = default;

private:
    static constexpr Word bit(E m) { return static_cast<Word>(Word(1) << static_cast<int>(m)); }
    Word bits_ = 0;
};

using SerialEvents = EnumSet<SerialEvent, uint16_t>;
using LineErrors = EnumSet<LineError, uint16_t>;
using TStoredProps = EnumSet<TStoredProp, uint8_t>;

inline constexpr SerialEvents kAllComEvents{evRxChar, evTxEmpty, evRxFlag, evRing, evBreak,
                                         evCTS, evDSR, evError, evRLSD, evRx80Full};

// Driver-level bit values, kept as the Win32 interface defines them so that both
// back ends and the stored masks speak one language.
namespace ComBits {
inline constexpr unsigned EV_RXCHAR = 0x001, EV_RXFLAG = 0x002, EV_TXEMPTY = 0x004, EV_CTS = 0x008,
                          EV_DSR = 0x010, EV_RLSD = 0x020, EV_BREAK = 0x040, EV_ERR = 0x080,
                          EV_RING = 0x100, EV_RX80FULL = 0x400;
// Ours, not the driver's: the output queue became held by the far end, or moves again.
inline constexpr unsigned EV_TXHOLD = 0x10000;
inline constexpr unsigned CE_RXOVER = 0x0001, CE_OVERRUN = 0x0002, CE_RXPARITY = 0x0004,
                          CE_FRAME = 0x0008, CE_BREAK = 0x0010, CE_TXFULL = 0x0100,
                          CE_IOE = 0x0400, CE_MODE = 0x8000;
inline constexpr unsigned MS_CTS_ON = 0x10, MS_DSR_ON = 0x20, MS_RING_ON = 0x40, MS_RLSD_ON = 0x80;
inline constexpr unsigned PURGE_TXABORT = 0x1, PURGE_RXABORT = 0x2, PURGE_TXCLEAR = 0x4, PURGE_RXCLEAR = 0x8;
// Device-control block flag bits.
inline constexpr unsigned fBinary = 0x0001, fParity = 0x0002, fOutxCtsFlow = 0x0004, fOutxDsrFlow = 0x0008,
                          fDtrControlMask = 0x0030, fDsrSensitivity = 0x0040, fTXContinueOnXoff = 0x0080,
                          fOutX = 0x0100, fInX = 0x0200, fErrorChar = 0x0400, fNull = 0x0800,
                          fRtsControlMask = 0x3000, fAbortOnError = 0x4000;
} // namespace ComBits

unsigned EventsToMask(SerialEvents events);
SerialEvents MaskToEvents(unsigned mask);
// ceRxParity only counts when the port checks parity.
LineErrors ErrorWordToErrors(unsigned errorWord, bool parityCheck);

// The line settings in the driver's device-control block form, as the port hands them to its back end.
struct SerialDcb {
    uint32_t DCBlength = 28;
    uint32_t BaudRate = 0;
    uint32_t Flags = 0;
    uint16_t XonLim = 0;
    uint16_t XoffLim = 0;
    uint8_t ByteSize = 8;
    uint8_t Parity = 0;
    uint8_t StopBits = 0;
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    bool operator==(const SerialDcb &) const = default;
};

// The five timeouts as the driver receives them: -1 reaches it as 0xFFFFFFFF.
struct SerialTimeoutValues {
    uint32_t ReadIntervalTimeout = 0;
    uint32_t ReadTotalTimeoutMultiplier = 0;
    uint32_t ReadTotalTimeoutConstant = 0;
    uint32_t WriteTotalTimeoutMultiplier = 0;
    uint32_t WriteTotalTimeoutConstant = 0;
};

// What the device reports it runs with after the last line settings were applied,
// so that a caller (or a test) can see which requests the driver honoured.
struct AppliedLineSettings {
    bool Valid = false;
    int ApplyCount = 0;          // line settings applied since the port was opened
    SerialDcb Requested;           // the block last handed to the back end
    uint32_t DeviceBaudRate = 0; // output speed read back from the device
    int DeviceByteSize = 0;
    bool DeviceTwoStopBits = false;
    bool DeviceParityEnable = false;
    bool DeviceXonXoffOut = false;
    bool DeviceXonXoffIn = false;
    bool DeviceRtsCts = false;
    bool DeviceRaw = false;      // no echo, no line editing, no translation, no signals
};

// Text forms used by the settings file, the setup dialog and the keyer window's labels.
std::string BaudRateText(TBaudRate value);
std::string DataBitsText(TDataBits value);
std::string StopBitsText(TStopBits value);
std::string ParityText(TParityBits value);
std::string FlowControlText(TFlowControl value);
std::string DTRText(TDTRFlowControl value);
std::string RTSText(TRTSFlowControl value);
// Reading compares upper-cased texts in member order; no match gives the fallback.
TBaudRate StrToBaudRate(const std::string &text, TBaudRate fallback = br9600);
TDataBits StrToDataBits(const std::string &text, TDataBits fallback = dbEight);
TStopBits StrToStopBits(const std::string &text, TStopBits fallback = sbOneStopBit);
TParityBits StrToParity(const std::string &text, TParityBits fallback = prNone);
TFlowControl StrToFlowControl(const std::string &text, TFlowControl fallback = fcCustom);
TDTRFlowControl StrToDTR(const std::string &text, TDTRFlowControl fallback = dtrDisable);
TRTSFlowControl StrToRTS(const std::string &text, TRTSFlowControl fallback = rtsDisable);
// The rate a member names; 0 for brCustom, whose rate is the port's CustomBaudRate.
uint32_t BaudRateValue(TBaudRate value);
// "Yes"/"No" and the character form ("#17" for DC1) of the settings file.
std::string BoolToIniText(bool value);
bool IniTextToBool(const std::string &text);
std::string CharToIniText(char value);
char IniTextToChar(const std::string &text);

// The message text of failure code 1..24.
std::string ComErrorMessage(int code);

// Failure report of a port operation. WinError is the system's error number (errno here), -1 when none.
class SerialPortError : public std::runtime_error {
public:
    SerialPortError(int code, int64_t winError);
    int WinError;
    int Code;
};

// The text to show the operator for a port failure, with a hint where the operator can mend it.
std::string SerialPortErrorText(const SerialPortError &error, const std::string &devicePath = {});

class SerialPort;

// Timeouts of one port; a change reaches the open port at once.
class SerialTimeouts {
public:
    explicit SerialTimeouts(SerialPort *port = nullptr) : port_(port) {}
    SerialTimeouts(const SerialTimeouts &) = delete;
    SerialTimeouts &operator=(const SerialTimeouts &) = delete;
    void Assign(const SerialTimeouts &source);  // copies all values, then re-applies

    int ReadInterval() const { return readInterval_; }
    int ReadTotalMultiplier() const { return readTotalMultiplier_; }
    int ReadTotalConstant() const { return readTotalConstant_; }
    int WriteTotalMultiplier() const { return writeTotalMultiplier_; }
    int WriteTotalConstant() const { return writeTotalConstant_; }
    void SetReadInterval(int v) { set(readInterval_, v); }
    void SetReadTotalMultiplier(int v) { set(readTotalMultiplier_, v); }
    void SetReadTotalConstant(int v) { set(readTotalConstant_, v); }
    void SetWriteTotalMultiplier(int v) { set(writeTotalMultiplier_, v); }
    void SetWriteTotalConstant(int v) { set(writeTotalConstant_, v); }

private:
    void set(int &field, int v);
    void apply();
    SerialPort *port_;
    int readInterval_ = -1;
    int readTotalMultiplier_ = 0;
    int readTotalConstant_ = 0;
    int writeTotalMultiplier_ = 100;
    int writeTotalConstant_ = 1000;
};

// Flow control of one port, with the preset the setup dialog and the settings file show.
class SerialFlowControl {
public:
    explicit SerialFlowControl(SerialPort *port = nullptr) : port_(port) {}
    SerialFlowControl(const SerialFlowControl &) = delete;
    SerialFlowControl &operator=(const SerialFlowControl &) = delete;
    void Assign(const SerialFlowControl &source);

    bool OutCTSFlow() const { return outCTSFlow_; }
    bool OutDSRFlow() const { return outDSRFlow_; }
    TDTRFlowControl ControlDTR() const { return controlDTR_; }
    TRTSFlowControl ControlRTS() const { return controlRTS_; }
    bool XonXoffOut() const { return xonXoffOut_; }
    bool XonXoffIn() const { return xonXoffIn_; }
    bool DSRSensitivity() const { return dsrSensitivity_; }
    bool TxContinueOnXoff() const { return txContinueOnXoff_; }
    char XonChar() const { return xonChar_; }
    char XoffChar() const { return xoffChar_; }
    void SetOutCTSFlow(bool v) { set(outCTSFlow_, v); }
    void SetOutDSRFlow(bool v) { set(outDSRFlow_, v); }
    void SetControlDTR(TDTRFlowControl v) { set(controlDTR_, v); }
    void SetControlRTS(TRTSFlowControl v) { set(controlRTS_, v); }
    void SetXonXoffOut(bool v) { set(xonXoffOut_, v); }
    void SetXonXoffIn(bool v) { set(xonXoffIn_, v); }
    void SetDSRSensitivity(bool v) { set(dsrSensitivity_, v); }
    void SetTxContinueOnXoff(bool v) { set(txContinueOnXoff_, v); }
    void SetXonChar(char v) { set(xonChar_, v); }
    void SetXoffChar(char v) { set(xoffChar_, v); }

    // The preset is derived from the flags, never kept.
    TFlowControl FlowControl() const;
    void SetFlowControl(TFlowControl preset);

private:
    template <typename T>
    void set(T &field, T v)
    {
        if (field == v)
            return;
        field = v;
        apply();
    }
    void apply();
    SerialPort *port_;
    bool outCTSFlow_ = false;
    bool outDSRFlow_ = false;
    TDTRFlowControl controlDTR_ = dtrDisable;
    TRTSFlowControl controlRTS_ = rtsDisable;
    bool xonXoffOut_ = false;
    bool xonXoffIn_ = false;
    bool dsrSensitivity_ = false;
    bool txContinueOnXoff_ = false;
    char xonChar_ = 17;
    char xoffChar_ = 19;
};

// Parity of one port.
class SerialParity {
public:
    explicit SerialParity(SerialPort *port = nullptr) : port_(port) {}
    SerialParity(const SerialParity &) = delete;
    SerialParity &operator=(const SerialParity &) = delete;
    void Assign(const SerialParity &source);

    TParityBits Bits() const { return bits_; }
    bool Check() const { return check_; }
    bool Replace() const { return replace_; }
    char ReplaceChar() const { return replaceChar_; }
    void SetBits(TParityBits v) { set(bits_, v); }
    void SetCheck(bool v) { set(check_, v); }
    void SetReplace(bool v) { set(replace_, v); }
    void SetReplaceChar(char v) { set(replaceChar_, v); }

private:
    template <typename T>
    void set(T &field, T v)
    {
        if (field == v)
            return;
        field = v;
        apply();
    }
    void apply();
    SerialPort *port_;
    TParityBits bits_ = prNone;
    bool check_ = false;
    bool replace_ = false;
    char replaceChar_ = 0;
};

// Driver buffer sizes of one port (kept; a platform that cannot size them ignores them).
class SerialBuffers {
public:
    explicit SerialBuffers(SerialPort *port = nullptr) : port_(port) {}
    SerialBuffers(const SerialBuffers &) = delete;
    SerialBuffers &operator=(const SerialBuffers &) = delete;
    void Assign(const SerialBuffers &source);

    int InputSize() const { return inputSize_; }
    int OutputSize() const { return outputSize_; }
    // An odd positive size is stored as the next lower even number.
    void SetInputSize(int v) { set(inputSize_, v); }
    void SetOutputSize(int v) { set(outputSize_, v); }

private:
    void set(int &field, int v);
    void apply();
    SerialPort *port_;
    int inputSize_ = 1024;
    int outputSize_ = 1024;
};
