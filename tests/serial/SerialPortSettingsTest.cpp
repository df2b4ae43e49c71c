#include "serial/SerialPort.h"
#include "serial/ListComPorts.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(ComPortText, EveryTextFormReadsBackToItsMember)
{
    const std::vector<std::string> baud = {"Custom", "110", "300", "600", "1200", "2400", "4800", "9600",
                                           "14400", "19200", "38400", "56000", "57600", "115200", "128000", "256000"};
    for (size_t i = 0; i < baud.size(); ++i) {
        EXPECT_EQ(BaudRateText(static_cast<TBaudRate>(i)), baud[i]);
        EXPECT_EQ(StrToBaudRate(baud[i]), static_cast<TBaudRate>(i));
    }
    EXPECT_EQ(BaudRateValue(br1200), 1200u);
    EXPECT_EQ(BaudRateValue(br256000), 256000u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(StrToStopBits(StopBitsText(TStopBits(i))), TStopBits(i));
    EXPECT_EQ(StopBitsText(sbOne5StopBits), "1.5");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(StrToDataBits(DataBitsText(TDataBits(i))), TDataBits(i));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(StrToParity(ParityText(TParityBits(i))), TParityBits(i));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(StrToFlowControl(FlowControlText(TFlowControl(i))), TFlowControl(i));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(StrToDTR(DTRText(TDTRFlowControl(i))), TDTRFlowControl(i));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(StrToRTS(RTSText(TRTSFlowControl(i))), TRTSFlowControl(i));
}

TEST(ComPortText, ReadingIgnoresCaseAndFallsBackPerKey)
{
    EXPECT_EQ(StrToFlowControl("none"), fcNone);
    EXPECT_EQ(StrToFlowControl("SOFTWARE"), fcSoftware);
    EXPECT_EQ(StrToFlowControl("xon"), fcCustom);
    EXPECT_EQ(StrToBaudRate("foo"), br9600);
    EXPECT_EQ(StrToBaudRate("custom"), brCustom);
    EXPECT_EQ(StrToStopBits(""), sbOneStopBit);
    EXPECT_EQ(StrToDataBits("9"), dbEight);
    EXPECT_EQ(StrToParity("eVeN"), prEven);
    EXPECT_EQ(StrToParity("?"), prNone);
    EXPECT_EQ(StrToRTS("?"), rtsDisable);
    EXPECT_EQ(StrToDTR("?"), dtrDisable);
}

TEST(ComPortText, CharacterAndYesNoForms)
{
    EXPECT_EQ(CharToIniText(17), "#17");
    EXPECT_EQ(CharToIniText(0), "#0");
    EXPECT_EQ(CharToIniText(' '), "#32");
    EXPECT_EQ(CharToIniText('!'), "!");
    EXPECT_EQ(CharToIniText(127), std::string(1, char(127)));
    EXPECT_EQ(CharToIniText(char(200)), "#200");
    EXPECT_EQ(IniTextToChar("#17"), 17);
    EXPECT_EQ(IniTextToChar("#200"), char(200));
    EXPECT_EQ(IniTextToChar("#"), '#');
    EXPECT_EQ(IniTextToChar("#x1"), 0);
    EXPECT_EQ(IniTextToChar(""), 0);
    EXPECT_EQ(IniTextToChar("Q!"), 'Q');
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(IniTextToChar(CharToIniText(char(c))), char(c)) << c;
    EXPECT_EQ(BoolToIniText(true), "Yes");
    EXPECT_EQ(BoolToIniText(false), "No");
    EXPECT_TRUE(IniTextToBool("yes"));
    EXPECT_FALSE(IniTextToBool("1"));
    EXPECT_FALSE(IniTextToBool(""));
}

TEST(ComPortText, EventAndErrorMasks)
{
    EXPECT_EQ(EventsToMask(kAllComEvents), 0x5FFu);
    EXPECT_EQ(EventsToMask({evRxChar, evRing}), 0x101u);
    EXPECT_EQ(MaskToEvents(0x5FF), kAllComEvents);
    EXPECT_EQ(ErrorWordToErrors(ComBits::CE_IOE | ComBits::CE_RXPARITY, true), (LineErrors{ceIO, ceRxParity}));
    EXPECT_EQ(ErrorWordToErrors(ComBits::CE_IOE | ComBits::CE_RXPARITY, false), (LineErrors{ceIO}));
}

TEST(ComPortText, FailureMessages)
{
    EXPECT_EQ(ComErrorMessage(1), "Unable to open com port");
    EXPECT_EQ(ComErrorMessage(14), "Cannot set property while connected");
    EXPECT_EQ(ComErrorMessage(16), "Failed to store settings");
    EXPECT_EQ(ComErrorMessage(17), "Failed to load settings");
    EXPECT_EQ(ComErrorMessage(24), "Port Not Open");
    const SerialPortError e(2, 5);
    EXPECT_STREQ(e.what(), "WriteFile function failed (Error: 5)");
    EXPECT_EQ(e.WinError, 5);
    EXPECT_EQ(SerialPortError(5, 0).WinError, -1);
}

TEST(ComPortDcb, KeyerInstanceGivesTheKeyersBlock)
{
    SerialPort port;
    port.SetBaudRate(br1200);
    port.FlowControl().SetControlDTR(dtrEnable);
    port.FlowControl().SetXonXoffIn(true);
    port.FlowControl().SetXonXoffOut(true);
    const SerialDcb dcb = port.BuildDcb();
    EXPECT_EQ(dcb.DCBlength, 28u);
    EXPECT_EQ(dcb.BaudRate, 1200u);
    EXPECT_EQ(dcb.Flags, 0x0311u);
    EXPECT_EQ(dcb.XonLim, 256);
    EXPECT_EQ(dcb.XoffLim, 256);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, 0);
    EXPECT_EQ(dcb.StopBits, 0);
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.XoffChar, 0x13);
    EXPECT_EQ(dcb.ErrorChar, 0);
    EXPECT_EQ(port.FlowControl().FlowControl(), fcSoftware);
}

TEST(ComPortDcb, FlagsAndFieldsFollowEachSetting)
{
    SerialPort port;
    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(250000);
    port.Parity().SetBits(prMark);
    port.Parity().SetCheck(true);
    port.Parity().SetReplaceChar('?');
    EXPECT_EQ(port.BuildDcb().ErrorChar, 0);  // replacing is off
    port.Parity().SetReplace(true);
    port.SetDiscardNull(true);
    port.SetEventChar('\r');
    port.SetStopBits(sbTwoStopBits);
    port.SetDataBits(dbFive);
    port.FlowControl().SetControlRTS(rtsToggle);
    port.FlowControl().SetControlDTR(dtrHandshake);
    port.FlowControl().SetOutDSRFlow(true);
    port.FlowControl().SetDSRSensitivity(true);
    port.FlowControl().SetTxContinueOnXoff(true);
    port.Buffer().SetInputSize(1025);
    EXPECT_EQ(port.Buffer().InputSize(), 1024);
    port.Buffer().SetInputSize(4001);
    EXPECT_EQ(port.Buffer().InputSize(), 4000);
    const SerialDcb dcb = port.BuildDcb();
    EXPECT_EQ(dcb.BaudRate, 250000u);
    EXPECT_EQ(dcb.Flags, 0x0001u | 0x0002u | 0x0008u | 0x0020u | 0x0040u | 0x0080u | 0x0400u | 0x0800u | 0x3000u);
    EXPECT_EQ(dcb.XonLim, 1000);
    EXPECT_EQ(dcb.ByteSize, 5);
    EXPECT_EQ(dcb.Parity, 3);
    EXPECT_EQ(dcb.StopBits, 2);
    EXPECT_EQ(dcb.ErrorChar, '?');
    EXPECT_EQ(dcb.EvtChar, '\r');
    const SerialTimeoutValues t = port.BuildTimeouts();
    EXPECT_EQ(t.ReadIntervalTimeout, 0xFFFFFFFFu);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 1000u);
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 100u);
}

TEST(ComPortFlowControl, PresetsReadAndWriteTheFlags)
{
    SerialPort port;
    SerialFlowControl &f = port.FlowControl();
    EXPECT_EQ(f.FlowControl(), fcNone);
    f.SetControlDTR(dtrEnable);
    f.SetFlowControl(fcHardware);
    EXPECT_EQ(f.ControlRTS(), rtsHandshake);
    EXPECT_TRUE(f.OutCTSFlow());
    EXPECT_FALSE(f.XonXoffIn() || f.XonXoffOut());
    EXPECT_EQ(f.FlowControl(), fcHardware);
    f.SetFlowControl(fcSoftware);
    EXPECT_EQ(f.ControlRTS(), rtsDisable);
    EXPECT_FALSE(f.OutCTSFlow());
    EXPECT_TRUE(f.XonXoffIn() && f.XonXoffOut());
    EXPECT_EQ(f.FlowControl(), fcSoftware);
    f.SetFlowControl(fcNone);
    EXPECT_FALSE(f.XonXoffIn() || f.XonXoffOut() || f.OutCTSFlow());
    EXPECT_EQ(f.ControlDTR(), dtrEnable);  // DTR plays no part in the presets
    f.SetXonXoffIn(true);
    EXPECT_EQ(f.FlowControl(), fcCustom);
    f.SetFlowControl(fcCustom);
    EXPECT_TRUE(f.XonXoffIn());
    EXPECT_FALSE(f.XonXoffOut());
    // DSR flow, DSR sensitivity and continue-on-XOFF do not change the preset.
    f.SetFlowControl(fcSoftware);
    f.SetOutDSRFlow(true);
    f.SetDSRSensitivity(true);
    f.SetTxContinueOnXoff(true);
    EXPECT_EQ(f.FlowControl(), fcSoftware);
}

TEST(ComPortFlowControl, AssigningAGroupCopiesEveryValue)
{
    SerialPort a, b;
    a.FlowControl().SetFlowControl(fcHardware);
    a.FlowControl().SetXonChar('A');
    a.Parity().SetBits(prOdd);
    a.Parity().SetReplaceChar('*');
    a.Timeouts().SetWriteTotalConstant(77);
    a.Buffer().SetOutputSize(64);
    b.SetFlowControl(a.FlowControl());
    b.SetParity(a.Parity());
    b.SetTimeouts(a.Timeouts());
    b.SetBuffer(a.Buffer());
    EXPECT_EQ(b.BuildDcb(), a.BuildDcb());
    EXPECT_EQ(b.Timeouts().WriteTotalConstant(), 77);
    EXPECT_EQ(b.Buffer().OutputSize(), 64);
}

TEST(ListComPorts, RealDevicesAndStableNamesSortedIgnoringCase)
{
    TestFolder folder;
    namespace fs = std::filesystem;
    const fs::path tty = folder.file("tty");
    const fs::path byId = folder.file("by-id");
    fs::create_directories(tty / "ttyUSB0" / "device");
    fs::create_directories(tty / "ttyS0" / "device");
    writeFileBytes((tty / "ttyS0" / "type").string(), "0\n");  // no UART there
    fs::create_directories(tty / "ttyS1" / "device");
    writeFileBytes((tty / "ttyS1" / "type").string(), "4\n");
    fs::create_directories(tty / "ttyACM10" / "device");
    fs::create_directories(tty / "ttyACM2" / "device");
    fs::create_directories(tty / "tty0");  // a console: no device
    fs::create_directories(byId);
    writeFileBytes((byId / "usb-K1EL_WinKeyer-if00-port0").string(), "");

    std::vector<std::string> list = {"stale"};
    ListComPortsFrom(tty.string(), byId.string(), list);
    EXPECT_EQ(list, (std::vector<std::string>{"/dev/serial/by-id/usb-K1EL_WinKeyer-if00-port0", "/dev/ttyACM10",
                                              "/dev/ttyACM2", "/dev/ttyS1", "/dev/ttyUSB0"}));

    std::vector<std::string> untouched = {"kept"};
    ListComPortsFrom(folder.file("none"), folder.file("none2"), untouched);
    EXPECT_EQ(untouched, std::vector<std::string>{"kept"});

    std::vector<std::string> names = {"COM3", "com1", "COM10"};
    std::sort(names.begin(), names.end(), ComPortNameLess);
    EXPECT_EQ(names, (std::vector<std::string>{"com1", "COM10", "COM3"}));
}
