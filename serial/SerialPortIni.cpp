#include "serial/SerialPort.h"

#include "settings/ProfileFile.h"

// The keyer window file keeps the port's settings in the section named after the component.

void SerialPort::SaveSettingsToIni(const std::string &FileName)
{
    StoreIniFile(FileName);
}

void SerialPort::LoadSettingsFromIni(const std::string &FileName)
{
    LoadIniFile(FileName);
}

void SerialPort::StoreIniFile(const std::string &FileName)
{
    try {
        ProfileFile ini(FileName);
        const std::string &s = Name();
        const TStoredProps stored = StoredProps();
        if (stored.contains(spBasic)) {
            ini.writeString(s, "Port", Port());
            ini.writeString(s, "BaudRate", ::BaudRateText(BaudRate()));
            if (BaudRate() == brCustom)
                ini.writeInteger(s, "CustomBaudRate", CustomBaudRate());
            ini.writeString(s, "StopBits", StopBitsText(StopBits()));
            ini.writeString(s, "DataBits", DataBitsText(DataBits()));
            ini.writeString(s, "Parity", ParityText(Parity().Bits()));
            ini.writeString(s, "FlowControl", FlowControlText(FlowControl().FlowControl()));
        }
        if (stored.contains(spOthers)) {
            ini.writeString(s, "EventChar", CharToIniText(EventChar()));
            ini.writeString(s, "DiscardNull", BoolToIniText(DiscardNull()));
        }
        if (stored.contains(spParity)) {
            ini.writeString(s, "Parity.Check", BoolToIniText(Parity().Check()));
            ini.writeString(s, "Parity.Replace", BoolToIniText(Parity().Replace()));
            ini.writeString(s, "Parity.ReplaceChar", CharToIniText(Parity().ReplaceChar()));
        }
        if (stored.contains(spBuffer)) {
            ini.writeInteger(s, "Buffer.OutputSize", Buffer().OutputSize());
            ini.writeInteger(s, "Buffer.InputSize", Buffer().InputSize());
        }
        if (stored.contains(spTimeouts)) {
            const SerialTimeouts &t = Timeouts();
            ini.writeInteger(s, "Timeouts.ReadInterval", t.ReadInterval());
            ini.writeInteger(s, "Timeouts.ReadTotalConstant", t.ReadTotalConstant());
            ini.writeInteger(s, "Timeouts.ReadTotalMultiplier", t.ReadTotalMultiplier());
            ini.writeInteger(s, "Timeouts.WriteTotalConstant", t.WriteTotalConstant());
            ini.writeInteger(s, "Timeouts.WriteTotalMultiplier", t.WriteTotalMultiplier());
        }
        if (stored.contains(spFlowControl)) {
            const SerialFlowControl &f = FlowControl();
            ini.writeString(s, "FlowControl.ControlRTS", RTSText(f.ControlRTS()));
            ini.writeString(s, "FlowControl.ControlDTR", DTRText(f.ControlDTR()));
            ini.writeString(s, "FlowControl.DSRSensitivity", BoolToIniText(f.DSRSensitivity()));
            ini.writeString(s, "FlowControl.OutCTSFlow", BoolToIniText(f.OutCTSFlow()));
            ini.writeString(s, "FlowControl.OutDSRFlow", BoolToIniText(f.OutDSRFlow()));
            ini.writeString(s, "FlowControl.TxContinueOnXoff", BoolToIniText(f.TxContinueOnXoff()));
            ini.writeString(s, "FlowControl.XonXoffIn", BoolToIniText(f.XonXoffIn()));
            ini.writeString(s, "FlowControl.XonXoffOut", BoolToIniText(f.XonXoffOut()));
            ini.writeString(s, "FlowControl.XoffChar", CharToIniText(f.XoffChar()));
            ini.writeString(s, "FlowControl.XonChar", CharToIniText(f.XonChar()));
        }
    } catch (...) {
        ReportError(CE_StoreFailed, 0);
    }
}

void SerialPort::LoadIniFile(const std::string &FileName)
{
    BeginUpdate();
    bool failed = false;
    try {
        const ProfileFile ini(FileName);
        const std::string &s = Name();
        const TStoredProps stored = StoredProps();
        // Every key is read with the current value as default, so a missing key changes nothing.
        const auto text = [&](const char *key, const std::string &current) { return ini.readString(s, key, current); };
        const auto yes = [&](const char *key, bool current) { return IniTextToBool(text(key, BoolToIniText(current))); };
        const auto character = [&](const char *key, char current) {
            return IniTextToChar(text(key, CharToIniText(current)));
        };
        if (stored.contains(spBasic)) {
            SetPort(text("Port", Port()));
            SetBaudRate(StrToBaudRate(text("BaudRate", ::BaudRateText(BaudRate()))));
            if (BaudRate() == brCustom)
                SetCustomBaudRate(ini.readInteger(s, "CustomBaudRate", 9600));
            SetStopBits(StrToStopBits(text("StopBits", StopBitsText(StopBits()))));
            SetDataBits(StrToDataBits(text("DataBits", DataBitsText(DataBits()))));
            Parity().SetBits(StrToParity(text("Parity", ParityText(Parity().Bits()))));
            FlowControl().SetFlowControl(
                StrToFlowControl(text("FlowControl", FlowControlText(FlowControl().FlowControl()))));
        }
        if (stored.contains(spOthers)) {
            SetEventChar(character("EventChar", EventChar()));
            SetDiscardNull(yes("DiscardNull", DiscardNull()));
        }
        if (stored.contains(spParity)) {
            Parity().SetCheck(yes("Parity.Check", Parity().Check()));
            Parity().SetReplace(yes("Parity.Replace", Parity().Replace()));
            Parity().SetReplaceChar(character("Parity.ReplaceChar", Parity().ReplaceChar()));
        }
        if (stored.contains(spBuffer)) {
            Buffer().SetOutputSize(ini.readInteger(s, "Buffer.OutputSize", Buffer().OutputSize()));
            Buffer().SetInputSize(ini.readInteger(s, "Buffer.InputSize", Buffer().InputSize()));
        }
        if (stored.contains(spTimeouts)) {
            SerialTimeouts &t = Timeouts();
            t.SetReadInterval(ini.readInteger(s, "Timeouts.ReadInterval", t.ReadInterval()));
            t.SetReadTotalConstant(ini.readInteger(s, "Timeouts.ReadTotalConstant", t.ReadTotalConstant()));
            t.SetReadTotalMultiplier(ini.readInteger(s, "Timeouts.ReadTotalMultiplier", t.ReadTotalMultiplier()));
            t.SetWriteTotalConstant(ini.readInteger(s, "Timeouts.WriteTotalConstant", t.WriteTotalConstant()));
            t.SetWriteTotalMultiplier(ini.readInteger(s, "Timeouts.WriteTotalMultiplier", t.WriteTotalMultiplier()));
        }
        if (stored.contains(spFlowControl)) {
            SerialFlowControl &f = FlowControl();
            f.SetControlRTS(StrToRTS(text("FlowControl.ControlRTS", RTSText(f.ControlRTS()))));
            f.SetControlDTR(StrToDTR(text("FlowControl.ControlDTR", DTRText(f.ControlDTR()))));
            f.SetDSRSensitivity(yes("FlowControl.DSRSensitivity", f.DSRSensitivity()));
            f.SetOutCTSFlow(yes("FlowControl.OutCTSFlow", f.OutCTSFlow()));
            f.SetOutDSRFlow(yes("FlowControl.OutDSRFlow", f.OutDSRFlow()));
            f.SetTxContinueOnXoff(yes("FlowControl.TxContinueOnXoff", f.TxContinueOnXoff()));
            f.SetXonXoffIn(yes("FlowControl.XonXoffIn", f.XonXoffIn()));
            f.SetXonXoffOut(yes("FlowControl.XonXoffOut", f.XonXoffOut()));
            f.SetXoffChar(character("FlowControl.XoffChar", f.XoffChar()));
            f.SetXonChar(character("FlowControl.XonChar", f.XonChar()));
        }
    } catch (...) {
        failed = true;
    }
    EndUpdate();
    if (failed)
        ReportError(CE_LoadFailed, 0);
}
