#include "PtyPair.h"

#include "serial/SerialPort.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

TStoredProps allGroups()
{
    return {spBasic, spFlowControl, spBuffer, spTimeouts, spParity, spOthers};
}

} // namespace

TEST(ComPortIni, KeyerPortWritesExactlyTheBasicKeys)
{
    TestFolder folder;
    const std::string file = folder.file("Quillfeather.ini");
    writeFileBytes(file, "[VIEW]\r\nWKTop=112\r\n");
    SerialPort port;
    keyerSettings(port);
    port.SaveSettingsToIni(file);
    EXPECT_EQ(readFileBytes(file), "[VIEW]\r\nWKTop=112\r\n\r\n"
                                   "[ComPort]\r\nPort=/dev/ttyUSB0\r\nBaudRate=1200\r\nStopBits=1\r\nDataBits=8\r\n"
                                   "Parity=None\r\nFlowControl=Software\r\n");
}

TEST(ComPortIni, EveryGroupRoundTripsWithItsValueForms)
{
    TestFolder folder;
    const std::string file = folder.file("all.ini");
    SerialPort out("KeyerPort");
    out.SetStoredProps(allGroups());
    out.SetPort("/dev/ttyUSB1");
    out.SetBaudRate(brCustom);
    out.SetCustomBaudRate(250000);
    out.SetStopBits(sbOne5StopBits);
    out.SetDataBits(dbSeven);
    out.Parity().SetBits(prSpace);
    out.Parity().SetCheck(true);
    out.Parity().SetReplace(true);
    out.Parity().SetReplaceChar('~');
    out.SetEventChar(0);
    out.SetDiscardNull(true);
    out.Buffer().SetInputSize(2048);
    out.Buffer().SetOutputSize(512);
    out.Timeouts().SetReadInterval(5);
    out.Timeouts().SetReadTotalConstant(6);
    out.Timeouts().SetReadTotalMultiplier(7);
    out.Timeouts().SetWriteTotalConstant(8);
    out.Timeouts().SetWriteTotalMultiplier(9);
    out.FlowControl().SetControlRTS(rtsToggle);
    out.FlowControl().SetControlDTR(dtrHandshake);
    out.FlowControl().SetDSRSensitivity(true);
    out.FlowControl().SetOutCTSFlow(true);
    out.FlowControl().SetOutDSRFlow(true);
    out.FlowControl().SetTxContinueOnXoff(true);
    out.FlowControl().SetXonXoffIn(true);
    out.FlowControl().SetXoffChar('S');
    out.SaveSettingsToIni(file);

    const std::string text = readFileBytes(file);
    for (const char *line : {"[KeyerPort]\r\n", "BaudRate=Custom\r\n", "CustomBaudRate=250000\r\n",
                             "StopBits=1.5\r\n", "Parity=Space\r\n", "FlowControl=Custom\r\n", "EventChar=#0\r\n",
                             "DiscardNull=Yes\r\n", "Parity.ReplaceChar=~\r\n", "Buffer.OutputSize=512\r\n",
                             "Timeouts.ReadInterval=5\r\n", "FlowControl.ControlRTS=Toggle\r\n",
                             "FlowControl.ControlDTR=Handshake\r\n", "FlowControl.XonXoffOut=No\r\n",
                             "FlowControl.XonChar=#17\r\n", "FlowControl.XoffChar=S\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;

    SerialPort in("KeyerPort");
    in.SetStoredProps(allGroups());
    in.LoadSettingsFromIni(file);
    EXPECT_EQ(in.Port(), "/dev/ttyUSB1");
    EXPECT_EQ(in.BaudRate(), brCustom);
    EXPECT_EQ(in.CustomBaudRate(), 250000);
    EXPECT_EQ(in.BuildDcb(), out.BuildDcb());
    EXPECT_EQ(in.Buffer().OutputSize(), 512);
    const SerialTimeouts &t = in.Timeouts();
    EXPECT_EQ((std::vector<int>{t.ReadInterval(), t.ReadTotalConstant(), t.ReadTotalMultiplier(),
                                t.WriteTotalConstant(), t.WriteTotalMultiplier()}),
              (std::vector<int>{5, 6, 7, 8, 9}));
    EXPECT_EQ(in.UpdateCount(), 0);
}

TEST(ComPortIni, OnlyTheStoredGroupsAreWrittenAndRead)
{
    TestFolder folder;
    const std::string file = folder.file("k.ini");
    writeFileBytes(file, "[ComPort]\r\nTimeouts.ReadInterval=50\r\nDiscardNull=Yes\r\nBaudRate=4800\r\n");
    SerialPort port;
    port.LoadSettingsFromIni(file);
    EXPECT_EQ(port.BaudRate(), br4800);
    EXPECT_EQ(port.Timeouts().ReadInterval(), -1);
    EXPECT_FALSE(port.DiscardNull());
    port.SaveSettingsToIni(file);
    EXPECT_EQ(readFileBytes(file).find("Buffer."), std::string::npos);
}

TEST(ComPortIni, ReadingRulesForMissingAndUnknownValues)
{
    TestFolder folder;
    const std::string file = folder.file("k.ini");
    SerialPort port;
    keyerSettings(port);
    port.SetStoredProps(allGroups());

    writeFileBytes(file, "[comport]\r\nflowcontrol=none\r\nbaudrate=foo\r\nCustomBaudRate=300\r\n");
    port.LoadSettingsFromIni(file);
    EXPECT_EQ(port.FlowControl().FlowControl(), fcNone);
    EXPECT_EQ(port.FlowControl().ControlDTR(), dtrEnable);
    EXPECT_EQ(port.BaudRate(), br9600);
    EXPECT_EQ(port.CustomBaudRate(), 9600);  // only read with BaudRate=Custom
    EXPECT_EQ(port.Port(), "/dev/ttyUSB0");  // missing key: unchanged

    writeFileBytes(file, "[ComPort]\r\nFlowControl=XonXoff\r\nFlowControl.XonXoffIn=yes\r\n"
                         "EventChar=#\r\nParity.ReplaceChar=\r\nFlowControl.XonChar=#abc\r\n");
    port.LoadSettingsFromIni(file);
    EXPECT_TRUE(port.FlowControl().XonXoffIn());  // unknown preset left the flags; the flag key set it
    EXPECT_EQ(port.EventChar(), '#');
    EXPECT_EQ(port.Parity().ReplaceChar(), 0);
    EXPECT_EQ(port.FlowControl().XonChar(), 0);

    writeFileBytes(file, "[ComPort]\r\nBaudRate=Custom\r\n");
    port.LoadSettingsFromIni(file);
    EXPECT_EQ(port.BaudRate(), brCustom);
    EXPECT_EQ(port.CustomBaudRate(), 9600);
    EXPECT_EQ(port.BuildDcb().BaudRate, 9600u);
}

TEST(ComPortIni, LoadingAnOpenPortAppliesOnceAtTheEnd)
{
    TestFolder folder;
    const std::string file = folder.file("k.ini");
    PtyPair pty;
    CountingPort port;
    port.SetPort(pty.slavePath);
    port.Open();
    port.applied = 0;
    writeFileBytes(file, "[ComPort]\r\nBaudRate=Custom\r\nCustomBaudRate=250000\r\nStopBits=2\r\nDataBits=7\r\n"
                         "Parity=Even\r\nFlowControl=Hardware\r\n");
    port.LoadSettingsFromIni(file);
    EXPECT_EQ(port.applied, 1);
    EXPECT_EQ(port.AppliedLine().DeviceBaudRate, 250000u);
    EXPECT_TRUE(port.AppliedLine().Requested.Flags & ComBits::fOutxCtsFlow);
}

TEST(ComPortIni, FailuresAreReportedAsCodesSixteenAndSeventeen)
{
    TestFolder folder;
    SerialPort port;
    auto e = failureOf([&] { port.SaveSettingsToIni(folder.file("no-such-folder/k.ini")); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Code, 16);
    EXPECT_STREQ(e->what(), "Failed to store settings");

    // A stored port that cannot be opened while the port is open ends the load;
    // what was read before it stays set and the batch is closed.
    PtyPair pty;
    port.SetPort(pty.slavePath);
    port.SetStoredProps(allGroups());
    port.Open();
    const std::string file = folder.file("k.ini");
    writeFileBytes(file, "[ComPort]\r\nPort=/dev/quillfeather-no-such-port\r\nBaudRate=2400\r\n");
    e = failureOf([&] { port.LoadSettingsFromIni(file); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Code, 17);
    EXPECT_STREQ(e->what(), "Failed to load settings");
    EXPECT_EQ(port.Port(), "/dev/quillfeather-no-such-port");
    EXPECT_EQ(port.BaudRate(), br9600);
    EXPECT_EQ(port.UpdateCount(), 0);
    EXPECT_FALSE(port.Connected());
}
