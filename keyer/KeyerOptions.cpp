#include "keyer/KeyerOptions.h"

#include "keyer/Frames.h"
#include "keyer/KeyerLink.h"
#include "logging/Contest.h"
#include "logging/EntryKeys.h"
#include "logging/ErrorReport.h"
#include "serial/SerialPort.h"

#include <limits>

NumberConversionError::NumberConversionError(const std::string &text)
    : std::runtime_error("'" + text + "' is not a valid integer value")
{
}

int TextToInt(const std::string &text)
{
    if (text.empty())
        throw NumberConversionError(text);
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            throw NumberConversionError(text);
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<int>::max())
            throw NumberConversionError(text);
    }
    return static_cast<int>(value);
}

namespace {

// The value of a text of digits, as far as the limit check needs it: any number
// beyond the limit is simply "over". Nothing for an empty text or one with other
// characters, which a pasted or hand-edited value can hold.
std::optional<long long> digitsValue(const std::string &text)
{
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        if (value < 1'000'000'000)
            value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

KeyerOptions::KeyerOptions(KeyerLink &link) : link_(link) {}

ContestState &KeyerOptions::st()
{
    return link_.main().st;
}

Contest &KeyerOptions::main()
{
    return link_.main();
}

void KeyerOptions::focusCommand()
{
    if (view_)
        view_->focusCommand();
}

KeyerWindowPosition KeyerOptions::windowCreated()
{
    SerialPort &port = link_.port();
    ConfigureKeyerPort(port);
    try {
        port.LoadSettingsFromIni(KeyerWindowFile(main().folder));
    } catch (const SerialPortError &e) {
        // The keyer's own line settings stay; the operator learns the file was not read.
        reportApplicationError(SerialPortErrorText(e));
    }
    KeyerWindowPosition position;
    LoadKeyerWindowPosition(position, main().folder);
    return position;
}

void KeyerOptions::closeClicked(const KeyerWindowPosition &position)
{
    SaveKeyerWindowPosition(position, main().folder);
    link_.port().SaveSettingsToIni(KeyerWindowFile(main().folder));
}

void KeyerOptions::showing()
{
    WkDisplay &d = link_.display;
    d.LTun.clear();
    d.LPad.clear();
    if (!st().ComConnected) {
        d.LInfo.clear();
        d.LInfo1.clear();
    }
    d.LCCom = link_.port().Port();
    d.LBCom = link_.port().BaudRateText(link_.port().BaudRate());
    link_.refresh();
}

void KeyerOptions::shown()
{
    if (!link_.TimerReadWK.isActive())
        link_.TimerReadWK.start();
    if (st().PaddleSpeed.empty())
        st().PaddleSpeed = "10";
}

void KeyerOptions::loadingOptions()
{
    for (std::string *text : {&st().Lead, &st().Tail, &st().FirstCarExt, &st().KeyComp, &st().Ratio})
        if (text->empty())
            *text = "0";
    link_.registers.frequencyCode = st().Sidetone + 1;
}

void KeyerOptions::sendMode()
{
    st().E0 = ComposeE0(link_.registers.mode);
    link_.sendFrame(WkFrame::setMode(st().E0));
}

void KeyerOptions::sendSidetone()
{
    st().R01 = ComposeR01(link_.registers.paddleOnly, link_.registers.frequencyCode);
    if (st().KeyerOnline)
        link_.sendFrame(WkFrame::sidetone(st().R01));
}

void KeyerOptions::modeOptionClicked(ModeOption option, bool checked)
{
    ModeBits &bits = link_.registers.mode;
    const int bit = checked ? 1 : 0;
    switch (option) {
    case PaddleWatchdog:
        bits.PaddleWatchdogOff = bit;
        st().PaddleWatchdog = checked;
        break;
    case PaddleEcho:
        bits.PaddleEcho = bit;
        st().PaddleEcho = checked;
        break;
    case PaddleSwap:
        bits.PaddleSwap = bit;
        st().PaddleSwap = checked;
        break;
    case SerialEcho:
        bits.SerialEcho = bit;
        st().SerialEcho = checked;
        break;
    case AutoSpace:
        bits.AutoSpace = bit;
        st().AutoSpace = checked;
        break;
    case WordSpace:
        bits.setWordSpaceChecked(checked);
        st().WordSpace = checked;
        break;
    }
    sendMode();
}

void KeyerOptions::paddleModeChosen(int position)
{
    link_.registers.mode.setKeyingMode(position);
    st().PaddleMode = position;
    sendMode();
}

void KeyerOptions::sidetoneChosen(int position)
{
    st().Sidetone = position;
    link_.registers.frequencyCode = position + 1;
    sendSidetone();
}

void KeyerOptions::sidetonePaddleClicked(bool checked)
{
    link_.registers.paddleOnly = checked ? 1 : 0;
    st().SidetonePaddle = checked;
    sendSidetone();
}

void KeyerOptions::showSpeedOnMain()
{
    main().display.LSpeed = std::to_string(st().Speed);
    main().refresh();
}

void KeyerOptions::speedChanged(int value)
{
    if (link_.portOpen() && value >= 10 && st().SpeedMode != 2) {
        link_.sendFrame(WkFrame::setWpm(value));
        st().Speed = value;
        showSpeedOnMain();
    }
    focusCommand();
}

void KeyerOptions::speedModeChosen(int mode)
{
    st().SpeedMode = mode;
    if (mode != 2) {
        if (view_)
            view_->enableEdSpeed(true);
        return;
    }
    // The keyer follows its own knob from here on.
    link_.sendFrame(WkFrame::setWpm(0));
    if (st().PaddleSpeed.empty())
        st().PaddleSpeed = "10";
    const std::optional<long long> pot = digitsValue(st().PaddleSpeed);
    st().Speed = pot ? static_cast<int>(*pot) : 10;
    if (view_) {
        view_->showEdSpeed(st().Speed);
        view_->enableEdSpeed(false);
    }
    showSpeedOnMain();
}

void KeyerOptions::speedStepChosen(int step)
{
    st().SpeedStep = step;
    if (view_)
        view_->setEdSpeedStep(step);
}

void KeyerOptions::speedFactorChanged(int value)
{
    st().SpeedUp = value;
    focusCommand();
}

void KeyerOptions::sendSpeedRange(const std::string &minText, const std::string &maxText)
{
    st().SpeedMin = TextToInt(minText);
    st().SpeedMax = TextToInt(maxText);
    link_.sendFrame(WkFrame::speedPotSetup(st().SpeedMin, st().SpeedMax));
}

std::optional<std::string> KeyerOptions::timingChanged(TimingField field, const std::string &text)
{
    // The keyer takes 0..250 ms for lead, tail and first extension, 0..15 ms of key
    // compensation and a weight of at most 67.
    std::string *stored = nullptr;
    long long limit = 250;
    switch (field) {
    case Lead: stored = &st().Lead; break;
    case Tail: stored = &st().Tail; break;
    case FirstCarExt: stored = &st().FirstCarExt; break;
    case KeyComp: stored = &st().KeyComp; limit = 15; break;
    case Ratio: stored = &st().Ratio; limit = 67; break;
    }
    const std::optional<long long> value = digitsValue(text);
    if (!value)
        return std::nullopt;
    // A ratio of 0 is what the box holds while the operator retypes it, never a weight.
    if (field == Ratio && text == "0")
        return std::nullopt;
    if (*value > limit) {
        *stored = std::to_string(limit);
        return *stored;
    }
    *stored = text;
    return std::nullopt;
}

void KeyerOptions::hangTimeChosen(int position)
{
    st().HangTime = position + 1;
}

void KeyerOptions::writeToWinkeyer()
{
    link_.requireOpenPort();
    if (!st().KeyerOnline)
        return;
    // Every value is converted before the first frame goes, so a bad one sends none.
    const int lead = TextToInt(st().Lead);
    const int tail = TextToInt(st().Tail);
    const int firstExtension = TextToInt(st().FirstCarExt);
    const int keyCompensation = TextToInt(st().KeyComp);
    const int ratio = TextToInt(st().Ratio);
    const auto frames = WkFrame::writeToWinkeyer(lead, tail, firstExtension, keyCompensation, ratio);
    link_.sendPaced({frames.begin(), frames.end()}, 100);
}

void KeyerOptions::tuneClicked()
{
    const std::optional<std::string> caption = link_.toggleTune();
    if (!caption)
        return;
    if (view_)
        view_->setTuneCaption(*caption);
    focusCommand();
}

void KeyerOptions::testMessage(int number)
{
    st().LastKey = "F" + std::to_string(number);
    link_.SendCwMessage(st().F[static_cast<size_t>(number - 1)]);
}

void KeyerOptions::esmClicked(bool checked)
{
    main().setEnterSendMsg(checked);
}

void KeyerOptions::memoClicked(bool checked)
{
    st().VisibleMemo = checked;
    if (link_.memo())
        link_.memo()->setPanelVisible(checked);
}

void KeyerOptions::asciClicked(bool checked)
{
    st().VisibleASCI = checked;
}

void KeyerOptions::autoConnectClicked(bool checked)
{
    st().ComAuto = checked;
}

void KeyerOptions::messageEdited(int set, int index, const std::string &text)
{
    const size_t i = static_cast<size_t>(index);
    if (set == 0)
        st().F[i] = text;
    else if (set == 1)
        st().Fs[i] = text;
    else
        st().FText[i] = text;
}

void KeyerOptions::shortCharClicked(int which, bool checked)
{
    bool *flags[] = {&st().Short0T, &st().Short0O, &st().Short9N};
    *flags[which] = checked;
}

bool KeyerOptions::commandKeyDown(int key, bool ctrl, bool shift, bool alt)
{
    ContestState &s = st();
    if (ctrl && !shift && !alt && (key == EntryKeys::KeyT || key == EntryKeys::F5) && s.Mode != "SSB") {
        if (s.KeyerOnline) {
            link_.requireOpenPort();
            link_.sendFrame(WkFrame::keyImmediate(true));
            s.TuneOn = true;
            focusCommand();
        }
        return true;
    }
    switch (key) {
    case EntryKeys::F10:
        s.RunMode = !s.RunMode;
        main().showRunMode();
        link_.showMemoRun(s.RunMode);
        s.EsmState = EsmStep::Idle;
        main().display.LMemo.clear();
        main().refresh();
        return true;
    case EntryKeys::PageUp:
    case EntryKeys::PageDown: {
        const bool up = key == EntryKeys::PageUp;
        if (s.ComConnected && (up ? s.Speed < 50 : s.Speed > 10)) {
            s.Speed += up ? s.SpeedStep : -s.SpeedStep;
            if (view_)
                view_->showEdSpeed(s.Speed);
            showSpeedOnMain();
        }
        return false;
    }
    case EntryKeys::F11: {
        const bool on = !main().display.LESMVisible;
        if (view_)
            view_->setEsmChecked(on);
        link_.showMemoEsm(on);
        return false;
    }
    case EntryKeys::F12:
        s.LastKey = "Wipe";
        return false;
    default:
        return false;
    }
}

void KeyerOptions::commandEscape()
{
    if (st().ComConnected)
        link_.sendFrame(WkFrame::clearBuffer());
}
