#include "logging/Contest.h"

#include "logging/FileWrite.h"
#include "logging/LogFile.h"

#include <algorithm>

namespace {

const char *const kBandsByIndex[] = {"160", "80", "40", "20", "15", "10"};

int bandIndex(const std::string &band)
{
    for (int i = 0; i < 6; ++i)
        if (band == kBandsByIndex[i])
            return i;
    return -1;
}

} // namespace

Contest::Contest(ContestState &state, LogTable &logTable, const Clock &clk, std::string programFolder)
    : st(state), table(logTable), clock(clk), folder(std::move(programFolder))
{
}

std::string Contest::logPath() const
{
    return ExistingFileName(folder + CallFileName(st.MyCall) + ".log");
}

void Contest::showQsoCount()
{
    display.LQSO = st.MyCall + " QSO: " + std::to_string(st.QsoCount);
}

void Contest::formCreate()
{
    display.Caption = "Quillfeather 1.01";
    if (st.MyCall.empty())
        st.MyCall = "S5";
    std::replace(st.MyCall.begin(), st.MyCall.end(), '/', '_');
    display.EMyCall = st.MyCall;
    display.EModeIndex = st.EModeIndex;
    st.HasLog = false;
    st.EsmState = 0;
    refresh();
}

std::vector<int> Contest::formShow()
{
    display.LClock.clear();
    display.LSecond.clear();
    display.LTransmit.clear();
    display.LInfo.clear();
    display.LInfo1.clear();
    display.LDouble = false;
    display.LTest = st.Band + " m";
    display.LCall = st.MyCall;
    showShapes();
    display.EExchange = st.MyYearLic;
    showRunMode();
    st.EsmState = 0;
    st.CallStreaming = false;
    display.LESMVisible = st.EnterSendMsg;
    display.LSpeed = std::to_string(st.Speed);
    st.LogDate = clock.localDate();
    display.EDate = st.LogDate;
    showMode();
    if (const int b = bandIndex(st.Band); b >= 0)
        display.EBandIndex = b;
    refresh();
    std::vector<int> skipped = log.countAndLoad();
    if (st.VisibleMemo)
        keyer().showMemoPanel();
    view().focusEntry();
    refresh();
    return skipped;
}

void Contest::startTimerTick()
{
    if (st.ComAuto && st.Mode != "SSB" && st.ComConnected)
        keyer().pressOpenCom();
    refreshTime(clock.utcNow());
    refresh();
}

void Contest::clockTick()
{
    const UtcStamp now = clock.utcNow();
    st.ClockSeconds = now.seconds();
    display.LSecond = st.ClockSeconds;
    // A tick that comes late may skip second 00; the minute must still move on.
    if (st.ClockSeconds == "00" || display.LClock.empty() || now.hhmm() != display.LClock) {
        refreshTime(now);
        display.LClock = st.LogTime;
    }
    refresh();
}

void Contest::refreshTime(const UtcStamp &now)
{
    // The date goes with the minute it belongs to, so a QSO logged just after
    // midnight UTC carries the new day with its time.
    st.LogTime = now.hhmm();
    st.LogUtcDate = now.date();
}

void Contest::bandSelected(int index)
{
    if (index >= 0 && index < 6)
        st.Band = kBandsByIndex[index];
    display.EBandIndex = index;
    display.LTest = st.Band + " m";
    refresh();
    view().focusMyCall();
}

void Contest::modeSelected(int index)
{
    st.EModeIndex = index;
    display.EModeIndex = index;
    if (index == 1) {
        st.Mode = "SSB";
        showMode();
        refresh();
        if (keyer().portOpen())
            keyer().closeLink();
    } else if (index == 0) {
        st.Mode = "CW";
        showMode();
        refresh();
        if (!keyer().portOpen())
            keyer().openLink();
    }
    refresh();
    view().focusMyCall();
}

void Contest::showMode()
{
    if (st.Mode == "CW") {
        display.BModeText = "  CW";
        display.CwControlsVisible = display.EWinkeyerVisible = true;
    } else if (st.Mode == "SSB") {
        display.BModeText = "  SSB";
        display.CwControlsVisible = display.EWinkeyerVisible = false;
    }
}

void Contest::myCallChanged(const std::string &text)
{
    st.MyCall = text;
    display.EMyCall = text;
    display.LCall = text;
    refresh();
}

void Contest::exchangeChanged(const std::string &text)
{
    st.MyYearLic = text;
    display.EExchange = text;
}

void Contest::showShapes()
{
    display.ShapeCallColor = st.MyCall.empty() ? Colors::ColorRed : Colors::ColorGreen;
    display.ShapeExchangeColor = st.MyYearLic.empty() && st.CbExchange ? Colors::ColorRed : Colors::ColorGreen;
}

void Contest::showRunMode()
{
    display.LRunIsRun = st.RunMode;
}

void Contest::openSetup()
{
    display.EWinkeyerVisible = st.EModeIndex != 1;
    refresh();
    view().showSetup(true);
    view().focusMyCall();
}

void Contest::closeSetup()
{
    showShapes();
    refresh();
    view().showSetup(false);
    view().focusEntry();
    st.EsmState = 0;
}

void Contest::modeBoxClicked()
{
    if (view().setupVisible())
        view().focusMyCall();
    else
        view().focusEntry();
    const std::string text = view().entryText();
    if (!text.empty())
        entry.changed(text);
}

void Contest::setEnterSendMsg(bool on)
{
    st.EnterSendMsg = on;
    display.LESMVisible = on;
    refresh();
}
