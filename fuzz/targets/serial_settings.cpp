// The serial component's settings as text from its section of the settings file: every
// reading gives a member whose own text reads back as the same member.
#include "fuzz/FuzzTarget.h"
#include "serial/SerialSettings.h"

namespace {

template <typename T>
void stable(const std::string &text, T (*read)(const std::string &, T), std::string (*write)(T), T fallback,
            const char *name)
{
    const T value = read(text, fallback);
    if (read(write(value), fallback) != value)
        FuzzFail(std::string(name) + " does not read back its own text");
}

} // namespace

int QuillFuzz_serial_settings(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    stable(text, StrToBaudRate, BaudRateText, br9600, "baud rate");
    stable(text, StrToDataBits, DataBitsText, dbEight, "data bits");
    stable(text, StrToStopBits, StopBitsText, sbOneStopBit, "stop bits");
    stable(text, StrToParity, ParityText, prNone, "parity");
    stable(text, StrToFlowControl, FlowControlText, fcCustom, "flow control");
    stable(text, StrToDTR, DTRText, dtrDisable, "DTR");
    stable(text, StrToRTS, RTSText, rtsDisable, "RTS");
    (void)BaudRateValue(StrToBaudRate(text));
    (void)IniTextToBool(text);
    const char c = IniTextToChar(text);
    if (IniTextToChar(CharToIniText(c)) != c)
        FuzzFail("a character does not read back its own text");
    return 0;
}
