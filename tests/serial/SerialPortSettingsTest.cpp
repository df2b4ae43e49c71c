#include "serial/SerialPort.h"
#include "serial/ListComPorts.h"

#include "PtyPair.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// Each text form reads back to its member, not to the fallback given.
template <typename E, typename Text, typename Parse>
void expectRoundTrips(int members, Text text, Parse parse)
{
    for (int i = 0; i < members; ++i)
        EXPECT_EQ(parse(text(E(i)), E((i + 1) % members)), E(i)) << i;
}

TStoredProps allGroups()
{
    return {spBasic, spFlowControl, spBuffer, spTimeouts, spParity, spOthers};
}

// Every key of every group in the order they are written, each away from its default.
const char *const kEveryKey =
    "[KeyerPort]\r\nPort=/dev/ttyUSB1\r\nBaudRate=Custom\r\nCustomBaudRate=250000\r\nStopBits=2\r\n"
    "DataBits=5\r\nParity=Mark\r\nFlowControl=Custom\r\nEventChar=#13\r\nDiscardNull=Yes\r\n"
    "Parity.Check=Yes\r\nParity.Replace=Yes\r\nParity.ReplaceChar=?\r\nBuffer.OutputSize=512\r\n"
    "Buffer.InputSize=4000\r\nTimeouts.ReadInterval=5\r\nTimeouts.ReadTotalConstant=6\r\n"
    "Timeouts.ReadTotalMultiplier=7\r\nTimeouts.WriteTotalConstant=8\r\nTimeouts.WriteTotalMultiplier=9\r\n"
    "FlowControl.ControlRTS=Toggle\r\nFlowControl.ControlDTR=Handshake\r\nFlowControl.DSRSensitivity=Yes\r\n"
    "FlowControl.OutCTSFlow=Yes\r\nFlowControl.OutDSRFlow=Yes\r\nFlowControl.TxContinueOnXoff=Yes\r\n"
    "FlowControl.XonXoffIn=Yes\r\nFlowControl.XonXoffOut=No\r\nFlowControl.XoffChar=S\r\nFlowControl.XonChar=Q\r\n";

} // namespace

TEST(ComPortText, EveryTextFormAndMaskReadsBackToItsMemberIgnoringCaseAndFallsBackPerKey)
{
    expectRoundTrips<TBaudRate>(16, BaudRateText, StrToBaudRate);
    expectRoundTrips<TStopBits>(3, StopBitsText, StrToStopBits);
    expectRoundTrips<TDataBits>(4, DataBitsText, StrToDataBits);
    expectRoundTrips<TParityBits>(5, ParityText, StrToParity);
    expectRoundTrips<TFlowControl>(4, FlowControlText, StrToFlowControl);
    expectRoundTrips<TDTRFlowControl>(3, DTRText, StrToDTR);
    expectRoundTrips<TRTSFlowControl>(4, RTSText, StrToRTS);
    EXPECT_EQ(BaudRateValue(br256000), 256000u);
    EXPECT_EQ(StrToStopBits(""), sbOneStopBit);
    EXPECT_EQ(StrToDataBits("9"), dbEight);
    EXPECT_EQ(StrToParity("eVeN"), prEven);
    EXPECT_EQ(StrToParity("?"), prNone);
    EXPECT_EQ(StrToRTS("?"), rtsDisable);
    EXPECT_EQ(StrToDTR("?"), dtrDisable);

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

    // Event masks and error words; a parity error counts only while parity is checked.
    EXPECT_EQ(MaskToEvents(EventsToMask(kAllComEvents)), kAllComEvents);
    EXPECT_EQ(ErrorWordToErrors(ComBits::CE_IOE | ComBits::CE_RXPARITY, true), (LineErrors{ceIO, ceRxParity}));
    EXPECT_EQ(ErrorWordToErrors(ComBits::CE_IOE | ComBits::CE_RXPARITY, false), (LineErrors{ceIO}));
}

TEST(ComPortIni, EveryKeyIsReadIntoTheDriverBlockAndWrittenBackAsRead)
{
    TestFolder folder;
    writeFileBytes(folder.file("all.ini"), kEveryKey);
    SerialPort port("KeyerPort");
    port.SetStoredProps(allGroups());
    port.LoadSettingsFromIni(folder.file("all.ini"));
    EXPECT_EQ(port.UpdateCount(), 0);
    const SerialDcb dcb = port.BuildDcb();
    EXPECT_EQ(dcb.BaudRate, 250000u);
    EXPECT_EQ(dcb.Flags, 0x0001u | 0x0002u | 0x0004u | 0x0008u | 0x0020u | 0x0040u | 0x0080u | 0x0200u | 0x0400u |
                             0x0800u | 0x3000u);
    EXPECT_EQ(dcb.XonLim, 1000);
    EXPECT_EQ(dcb.ByteSize, 5);
    EXPECT_EQ(dcb.Parity, 3);
    EXPECT_EQ(dcb.StopBits, 2);
    EXPECT_EQ(std::string({dcb.XonChar, dcb.XoffChar, dcb.ErrorChar, dcb.EvtChar}), "QS?\r");
    const SerialTimeoutValues t = port.BuildTimeouts();
    EXPECT_EQ((std::vector<uint32_t>{t.ReadIntervalTimeout, t.ReadTotalTimeoutConstant, t.ReadTotalTimeoutMultiplier,
                                     t.WriteTotalTimeoutConstant, t.WriteTotalTimeoutMultiplier}),
              (std::vector<uint32_t>{5, 6, 7, 8, 9}));
    port.SaveSettingsToIni(folder.file("copy.ini"));
    EXPECT_EQ(readFileBytes(folder.file("copy.ini")), kEveryKey);

    port.Parity().SetReplace(false);
    EXPECT_EQ(port.BuildDcb().ErrorChar, 0);  // the replacement reaches the driver only while replacing
    port.Buffer().SetInputSize(4001);
    EXPECT_EQ(port.Buffer().InputSize(), 4000);
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
    for (const char *name : {"ttyUSB0", "ttyS0", "ttyS1", "ttyACM10", "ttyACM2"})
        fs::create_directories(tty / name / "device");
    writeFileBytes((tty / "ttyS0" / "type").string(), "0\n");  // no UART there
    writeFileBytes((tty / "ttyS1" / "type").string(), "4\n");
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

// The keyer's port keeps only the basic keys: others in its section are neither read nor rewritten.
// A missing key leaves its value, an unknown one reads as the default.
TEST(ComPortIni, TheKeyerPortReadsAndWritesExactlyTheBasicKeys)
{
    TestFolder folder;
    const std::string file = folder.file("Quillfeather.ini");
    const std::string before =
        "[VIEW]\r\nWKTop=112\r\n\r\n[ComPort]\r\nTimeouts.ReadInterval=50\r\nDiscardNull=Yes\r\n";
    writeFileBytes(file, before);
    SerialPort port;
    port.LoadSettingsFromIni(file);
    // -1 reaches the driver as all ones; a write may take 100 ms a byte and a second more.
    const SerialTimeoutValues t = port.BuildTimeouts();
    EXPECT_EQ((std::vector<uint32_t>{t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
                                     t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant}),
              (std::vector<uint32_t>{0xFFFFFFFFu, 0, 0, 100, 1000}));
    EXPECT_FALSE(port.DiscardNull());
    keyerSettings(port);
    port.SaveSettingsToIni(file);
    EXPECT_EQ(readFileBytes(file), before + "Port=/dev/ttyUSB0\r\nBaudRate=1200\r\nStopBits=1\r\nDataBits=8\r\n"
                                            "Parity=None\r\nFlowControl=Software\r\n");

    port.SetCustomBaudRate(300);
    writeFileBytes(file, "[comport]\r\nflowcontrol=none\r\nbaudrate=foo\r\nCustomBaudRate=1200\r\n");
    port.LoadSettingsFromIni(file);
    EXPECT_EQ(port.FlowControl().FlowControl(), fcNone);
    EXPECT_EQ(port.BaudRate(), br9600);
    EXPECT_EQ(port.CustomBaudRate(), 300);  // only read with BaudRate=Custom
    EXPECT_EQ(port.Port(), "/dev/ttyUSB0");  // missing key: unchanged

    keyerSettings(port);
    writeFileBytes(file, "[ComPort]\r\nFlowControl=XonXoff\r\nBaudRate=Custom\r\n");
    port.LoadSettingsFromIni(file);
    EXPECT_EQ(port.FlowControl().FlowControl(), fcSoftware);  // an unknown preset leaves the flags
    EXPECT_EQ(port.BuildDcb().BaudRate, 9600u);               // a missing custom rate reads as 9600
}

TEST(ComPortIni, LoadingAnOpenPortAppliesOnceAtTheEndAndFailuresAreCodesSixteenAndSeventeen)
{
    TestFolder folder;
    SerialPort port;
    EXPECT_EQ(failureOf([&] { port.SaveSettingsToIni(folder.file("no-such-folder/k.ini")); }),
              "16: Failed to store settings");

    PtyPair pty;
    port.SetPort(pty.slavePath);
    port.SetStoredProps(allGroups());
    port.Open();
    const int applied = port.AppliedLine().ApplyCount;
    const std::string file = folder.file("k.ini");
    writeFileBytes(file, "[ComPort]\r\nBaudRate=Custom\r\nCustomBaudRate=250000\r\nStopBits=2\r\nDataBits=7\r\n"
                         "Parity=Even\r\nFlowControl=Hardware\r\n");
    port.LoadSettingsFromIni(file);
    EXPECT_EQ(port.AppliedLine().ApplyCount, applied + 1);
    EXPECT_EQ(port.AppliedLine().DeviceBaudRate, 250000u);
    EXPECT_TRUE(port.AppliedLine().Requested.Flags & ComBits::fOutxCtsFlow);

    // A stored port that cannot be opened ends the load; what was read before it stays set
    // and the batch is closed.
    writeFileBytes(file, "[ComPort]\r\nPort=/dev/quillfeather-no-such-port\r\nBaudRate=2400\r\n");
    EXPECT_EQ(failureOf([&] { port.LoadSettingsFromIni(file); }), "17: Failed to load settings");
    EXPECT_EQ(port.Port(), "/dev/quillfeather-no-such-port");
    EXPECT_EQ(port.BaudRate(), brCustom);
    EXPECT_EQ(port.UpdateCount(), 0);
    EXPECT_FALSE(port.Connected());
}
