#include "serial/SerialPort.h"
#include "serial/ListComPorts.h"

#include "PtyPair.h"

#include <gtest/gtest.h>

#include <filesystem>

// Each text form reads back to its member, not to the fallback given.
template <typename E, typename Text, typename Parse>
void expectRoundTrips(int members, Text text, Parse parse)
{
    for (int i = 0; i < members; ++i)
        EXPECT_EQ(parse(text(E(i)), E((i + 1) % members)), E(i)) << i;
}

TEST(ComPortText, EveryTextFormReadsBackToItsMemberIgnoringCaseAndFallsBackPerKey)
{
    expectRoundTrips<TBaudRate>(16, BaudRateText, StrToBaudRate);
    expectRoundTrips<TStopBits>(3, StopBitsText, StrToStopBits);
    expectRoundTrips<TDataBits>(4, DataBitsText, StrToDataBits);
    expectRoundTrips<TParityBits>(5, ParityText, StrToParity);
    expectRoundTrips<TFlowControl>(4, FlowControlText, StrToFlowControl);
    expectRoundTrips<TDTRFlowControl>(3, DTRText, StrToDTR);
    expectRoundTrips<TRTSFlowControl>(4, RTSText, StrToRTS);
    EXPECT_EQ(BaudRateValue(br256000), 256000u);
    EXPECT_EQ(StrToFlowControl("SOFTWARE"), fcSoftware);
    EXPECT_EQ(StrToFlowControl("xon"), fcCustom);
    EXPECT_EQ(StrToBaudRate("foo"), br9600);
    EXPECT_EQ(StrToStopBits(""), sbOneStopBit);
    EXPECT_EQ(StrToDataBits("9"), dbEight);
    EXPECT_EQ(StrToParity("eVeN"), prEven);
    EXPECT_EQ(StrToParity("?"), prNone);
    EXPECT_EQ(StrToRTS("?"), rtsDisable);
    EXPECT_EQ(StrToDTR("?"), dtrDisable);
}

TEST(ComPortText, CharacterAndYesNoForms)
{
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(IniTextToChar(CharToIniText(char(c))), char(c)) << c;
    EXPECT_EQ(CharToIniText(' '), "#32");
    EXPECT_EQ(CharToIniText(char(200)), "#200");
    EXPECT_EQ(IniTextToChar("#"), '#');
    EXPECT_EQ(IniTextToChar("#x1"), 0);
    EXPECT_EQ(IniTextToChar(""), 0);
    EXPECT_EQ(IniTextToChar("Q!"), 'Q');
    EXPECT_TRUE(IniTextToBool("yes"));
    EXPECT_FALSE(IniTextToBool("1"));
}

TEST(ComPortText, EventAndErrorMasks)
{
    EXPECT_EQ(MaskToEvents(EventsToMask(kAllComEvents)), kAllComEvents);
    EXPECT_EQ(ErrorWordToErrors(ComBits::CE_IOE | ComBits::CE_RXPARITY, true), (LineErrors{ceIO, ceRxParity}));
    EXPECT_EQ(ErrorWordToErrors(ComBits::CE_IOE | ComBits::CE_RXPARITY, false), (LineErrors{ceIO}));
}

TEST(ComPortDcb, KeyerInstanceGivesTheKeyersBlock)
{
    SerialPort port;
    keyerSettings(port);
    const SerialDcb dcb = port.BuildDcb();
    EXPECT_EQ(dcb.Flags, 0x0311u);
    EXPECT_EQ(dcb.BaudRate, 1200u);
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.XoffChar, 0x13);
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

TEST(ComPortFlowControl, PresetsSetTheirFlagsAndFlagsGiveBackThePreset)
{
    SerialPort port;
    SerialFlowControl &f = port.FlowControl();
    f.SetControlDTR(dtrEnable);
    f.SetFlowControl(fcHardware);
    EXPECT_TRUE(f.ControlRTS() == rtsHandshake && f.OutCTSFlow() && !f.XonXoffIn());
    f.SetFlowControl(fcSoftware);
    EXPECT_TRUE(f.ControlRTS() == rtsDisable && !f.OutCTSFlow() && f.XonXoffIn() && f.XonXoffOut());
    // DTR, DSR flow, DSR sensitivity and continue-on-XOFF play no part in the presets.
    f.SetOutDSRFlow(true);
    f.SetDSRSensitivity(true);
    f.SetTxContinueOnXoff(true);
    EXPECT_EQ(f.FlowControl(), fcSoftware);
    EXPECT_EQ(f.ControlDTR(), dtrEnable);
    f.SetFlowControl(fcNone);
    f.SetXonXoffIn(true);
    EXPECT_EQ(f.FlowControl(), fcCustom);
    f.SetFlowControl(fcCustom);
    EXPECT_TRUE(f.XonXoffIn() && !f.XonXoffOut());

    SerialPort copy;  // assigning a group copies every value
    port.Parity().SetBits(prOdd);
    copy.SetFlowControl(f);
    copy.SetParity(port.Parity());
    port.Timeouts().SetWriteTotalConstant(77);
    copy.SetTimeouts(port.Timeouts());
    EXPECT_EQ(copy.BuildDcb(), port.BuildDcb());
    EXPECT_EQ(copy.BuildTimeouts().WriteTotalTimeoutConstant, 77u);
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
