#include "serial/SerialSettings.h"

// The groups re-apply themselves through the port they belong to.
#include "serial/ListComPorts.h"
#include "serial/SerialPort.h"

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

// Mask bit of each SerialEvent, in member order.
constexpr std::array<unsigned, 10> kEventBits = {EV_RXCHAR, EV_TXEMPTY, EV_RXFLAG, EV_RING, EV_BREAK,
                                                 EV_CTS, EV_DSR, EV_ERR, EV_RLSD, EV_RX80FULL};
// Error word bit of each LineError, in member order.
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

unsigned EventsToMask(SerialEvents events)
{
    unsigned mask = 0;
    for (size_t i = 0; i < kEventBits.size(); ++i)
        if (events.contains(static_cast<SerialEvent>(i)))
            mask |= kEventBits[i];
    return mask;
}

SerialEvents MaskToEvents(unsigned mask)
{
    SerialEvents events;
    for (size_t i = 0; i < kEventBits.size(); ++i)
        if (mask & kEventBits[i])
            events.include(static_cast<SerialEvent>(i));
    return events;
}

LineErrors ErrorWordToErrors(unsigned errorWord, bool parityCheck)
{
    LineErrors errors;
    for (size_t i = 0; i < kErrorBits.size(); ++i)
        if (errorWord & kErrorBits[i])
            errors.include(static_cast<LineError>(i));
    if (!parityCheck)
        errors.exclude(ceRxParity);
    return errors;
}

std::string ComErrorMessage(int code)
{
    return code >= 1 && code <= 24 ? kErrorMessages[static_cast<size_t>(code - 1)] : "";
}

SerialPortError::SerialPortError(int code, int64_t winError)
    : std::runtime_error(winError > 0 ? ComErrorMessage(code) + " (Error: " + std::to_string(winError) + ")"
                                      : ComErrorMessage(code)),
      WinError(winError > 0 ? static_cast<int>(winError) : -1), Code(code)
{
}

std::string SerialPortErrorText(const SerialPortError &error, const std::string &devicePath)
{
    std::string text = error.what();
    const PortDeviceAccess access = devicePath.empty() ? PortDeviceAccess{} : PortDeviceAccessOf(devicePath);
    if (error.Code == 1 && (error.WinError == EACCES || error.WinError == EPERM) && !access.user.empty()
        && !access.groupMayUse) {
        // A pseudo-terminal (a keyer simulator's) is its owner's alone: no group opens it.
        text += "\n\n" + devicePath + " belongs to the user " + access.user
                + " and only that user may open it: start the program as " + access.user
                + ", or start the keyer simulator as this user.";
    } else if (error.Code == 1 && (error.WinError == EACCES || error.WinError == EPERM)) {
        const std::string group = access.group.empty() || access.group == "root" ? "dialout" : access.group;
        text += "\n\nThis user is not allowed to use serial ports. On Debian, add the user to the "
                + group + " group (sudo adduser $USER " + group + "), then log out and in again.";
    } else if (error.Code == 1 && error.WinError == EBUSY)
        text += "\n\nAnother program is using this port.";
    else if (error.Code == 1 && (error.WinError == ENOENT || error.WinError == ENODEV || error.WinError == ENXIO))
        text += "\n\nThere is no such port: plug in the keyer, or choose its port with \"Setup Com\".";
    return text;
}

void SerialTimeouts::set(int &field, int v)
{
    if (field == v)
        return;
    field = v;
    apply();
}

void SerialTimeouts::apply()
{
    if (port_)
        port_->ApplyTimeouts();
}

void SerialTimeouts::Assign(const SerialTimeouts &s)
{
    readInterval_ = s.readInterval_;
    readTotalMultiplier_ = s.readTotalMultiplier_;
    readTotalConstant_ = s.readTotalConstant_;
    writeTotalMultiplier_ = s.writeTotalMultiplier_;
    writeTotalConstant_ = s.writeTotalConstant_;
    apply();
}

void SerialFlowControl::apply()
{
    if (port_)
        port_->ApplyLineSettings();
}

void SerialFlowControl::Assign(const SerialFlowControl &s)
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

TFlowControl SerialFlowControl::FlowControl() const
{
    if (controlRTS_ == rtsHandshake && outCTSFlow_ && !xonXoffIn_ && !xonXoffOut_)
        return fcHardware;
    if (controlRTS_ == rtsDisable && !outCTSFlow_ && xonXoffIn_ && xonXoffOut_)
        return fcSoftware;
    if (controlRTS_ == rtsDisable && !outCTSFlow_ && !xonXoffIn_ && !xonXoffOut_)
        return fcNone;
    return fcCustom;
}

void SerialFlowControl::SetFlowControl(TFlowControl preset)
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

void SerialParity::apply()
{
    if (port_)
        port_->ApplyLineSettings();
}

void SerialParity::Assign(const SerialParity &s)
{
    bits_ = s.bits_;
    check_ = s.check_;
    replace_ = s.replace_;
    replaceChar_ = s.replaceChar_;
    apply();
}

void SerialBuffers::set(int &field, int v)
{
    if (v > 0 && (v % 2) != 0)
        --v;
    if (field == v)
        return;
    field = v;
    apply();
}

void SerialBuffers::apply()
{
    if (port_)
        port_->ApplyBufferSizes();
}

void SerialBuffers::Assign(const SerialBuffers &s)
{
    inputSize_ = s.inputSize_;
    outputSize_ = s.outputSize_;
    apply();
}
