#include "logging/Contest.h"

#include "logging/Bands.h"
#include "logging/FileWrite.h"
#include "logging/LogFile.h"
#include "logging/PlainText.h"
#include "logging/Version.h"

#include <algorithm>

namespace {

// "CAT", after the bands in the setup panel's list: the band follows the radio.
constexpr int kCatIndex = static_cast<int>(ContestBands.size());

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
    display.Caption = std::string("Quillfeather ") + QuillfeatherVersion;
    // Hand-edited settings may bring tabs or line breaks; own call and exchange reach files.
    st.MyCall = withoutControlChars(st.MyCall);
    st.MyYearLic = withoutControlChars(st.MyYearLic);
    if (st.MyCall.empty())
        st.MyCall = "S5";
    std::replace(st.MyCall.begin(), st.MyCall.end(), '/', '_');
    display.EMyCall = st.MyCall;
    display.EModeIndex = ModeListIndex(st.Mode);
    st.HasLog = false;
    st.EsmState = EsmStep::Idle;
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
    display.LDoubleBy.clear();
    display.LTest = st.Band + " m";
    display.LCall = st.MyCall;
    showShapes();
    display.EExchange = st.MyYearLic;
    showRunMode();
    st.EsmState = EsmStep::Idle;
    st.CallStreaming = false;
    display.LESMVisible = st.EnterSendMsg;
    display.LSpeed = std::to_string(st.Speed);
    st.LogDate = clock.localDate();
    display.EDate = st.LogDate;
    showMode();
    if (const int b = BandIndex(st.Band); b >= 0)
        display.EBandIndex = b;
    if (st.CatFollow)
        display.EBandIndex = kCatIndex;
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
    if (st.CatFollow)
        radio().follow(true);
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
    if (index >= 0 && index < kCatIndex)
        st.Band = ContestBands[static_cast<size_t>(index)].name;
    display.EBandIndex = index;
    display.LTest = st.Band + " m";
    const bool wasFollowing = st.CatFollow;
    st.CatFollow = index == kCatIndex;
    if (!st.CatFollow) {
        display.LTestFrequency.clear();
        display.LTestWarning = false;
    }
    refresh();
    view().focusMyCall();
    if (st.CatFollow)
        radio().follow(true);
    else if (wasFollowing)
        radio().follow(false);
    if (st.CatFollow && st.CatModel == 0)
        radio().showSetup();
}

void Contest::radioTuned(const std::string &frequency, const std::string &band, const std::string &mode)
{
    if (!st.CatFollow)
        return;
    display.LTestFrequency = frequency;
    display.LTestWarning = band.empty();  // the band stays as it was
    const std::string oldBand = st.Band, oldMode = st.Mode;
    if (!band.empty())
        st.Band = band;
    display.LTest = st.Band + " m";
    if (mode == "CW" && st.Mode != "CW")
        applyMode(0);
    else if (mode == "SSB" && st.Mode != "SSB")
        applyMode(1);
    // A call already in the entry line is checked again on the band and mode now worked.
    if ((st.Band != oldBand || st.Mode != oldMode) && !st.QsoCall.empty() && st.EntryLength > 1) {
        st.IsDupe = entry.isDupe(&display.LDoubleBy);
        display.LDouble = st.IsDupe;
    }
    refresh();
}

void Contest::radioStatus(bool connected, bool failing, const std::string &text)
{
    display.ECATColor = connected ? Colors::ColorGreen : Colors::ColorRed;
    display.ECATHint = text;
    if (st.CatFollow && !connected) {
        display.LTestFrequency = failing ? "no radio" : "";
        display.LTestWarning = failing;
    }
    refresh();
}

void Contest::modeSelected(int index)
{
    applyMode(index);
    view().focusMyCall();
}

// The mode list's choice, whether the operator's or the radio's: the keyer link follows it.
void Contest::applyMode(int index)
{
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
    st.MyCall = withoutControlChars(text);
    display.EMyCall = st.MyCall;
    display.LCall = st.MyCall;
    refresh();
}

void Contest::exchangeChanged(const std::string &text)
{
    st.MyYearLic = withoutControlChars(text);
    display.EExchange = st.MyYearLic;
    refresh();
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
    display.EWinkeyerVisible = st.Mode != "SSB";
    refresh();
    view().showSetup(true);
    view().focusMyCall();
}

std::vector<int> Contest::closeSetup()
{
    showShapes();
    refresh();
    view().showSetup(false);
    view().focusEntry();
    st.EsmState = EsmStep::Idle;
    return log.followOwnCall();
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
