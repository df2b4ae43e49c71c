#include "logging/EntryKeys.h"

#include "logging/Contest.h"

#include <cctype>

std::optional<char> EntryKeys::acceptedChar(char typed)
{
    const unsigned char c = static_cast<unsigned char>(typed);
    if (c == 8 || c == 13 || c == 27 || c == ' ' || c == '/' || std::isdigit(c))
        return typed;
    if (c < 0x80 && std::isalpha(c))
        return static_cast<char>(std::toupper(c));
    return std::nullopt;
}

bool EntryKeys::keyDown(int key, bool ctrl, bool shift, bool alt)
{
    ContestState &st = c_.st;
    // In phone the keyer keys are dead.
    if (st.Mode == "SSB")
        return false;
    const bool ctrlAlone = ctrl && !shift && !alt;
    if (ctrlAlone)
        st.EnterLength = static_cast<int>(c_.view().entryText().size());
    if (ctrlAlone && (key == KeyT || key == F5)) {
        if (st.KeyerOnline)
            tune();
        return true;
    }
    switch (key) {
    case PageUp:
        if (st.ComConnected && st.Speed < 50)
            changeSpeed(st.SpeedStep);
        return true;
    case PageDown:
        if (st.ComConnected && st.Speed > 10)
            changeSpeed(-st.SpeedStep);
        return true;
    case F10:
        toggleRunMode();
        return true;
    case F11:
        st.LastKey = "Z Z";
        c_.display.LMemo = st.LastKey;
        c_.refresh();
        c_.keyer().sendCwMessage("Z Z");
        return true;
    case F12:
        toggleEsm();
        return true;
    default:
        if (key >= F1 && key <= F9) {
            sendKeyMessage(key - F1);
            return true;
        }
        return false;
    }
}

void EntryKeys::tune()
{
    ContestState &st = c_.st;
    if (st.TuneOn) {
        c_.keyer().keyTransmitter(false);
        st.TuneOn = false;
        if (c_.keyer().memoVisible())
            c_.keyer().setMemoTuneCaption("TUNE");
    } else {
        c_.keyer().keyTransmitter(true);
        st.TuneOn = true;
        if (c_.keyer().memoVisible())
            c_.keyer().setMemoTuneCaption("TUNE ON");
    }
    c_.view().focusEntry();
}

void EntryKeys::changeSpeed(int step)
{
    ContestState &st = c_.st;
    st.Speed += step;
    if (c_.keyer().portOpen())
        c_.keyer().setSpeed(st.Speed);
    c_.display.LSpeed = std::to_string(st.Speed);
    c_.refresh();
}

void EntryKeys::sendKeyMessage(int number)
{
    ContestState &st = c_.st;
    st.LastKey = "F" + std::to_string(number + 1);
    c_.display.LMemo = st.LastKey;
    c_.refresh();
    const size_t i = static_cast<size_t>(number);
    c_.keyer().sendCwMessage(st.RunMode ? st.F[i] : st.Fs[i]);
}

void EntryKeys::toggleRunMode()
{
    ContestState &st = c_.st;
    st.RunMode = !st.RunMode;
    c_.showRunMode();
    c_.keyer().showMemoRun(st.RunMode);
    st.EsmState = EsmStep::Idle;
    c_.display.LMemo.clear();
    c_.refresh();
}

void EntryKeys::toggleEsm()
{
    const bool on = !c_.display.LESMVisible;
    c_.setEnterSendMsg(on);
    c_.keyer().showEsmBox(on);
    c_.keyer().showMemoEsm(on);
}

void EntryKeys::escape()
{
    ContestState &st = c_.st;
    c_.display.LMemo.clear();
    c_.display.LTransmit.clear();
    c_.refresh();
    if (c_.keyer().portOpen())
        c_.keyer().clearBuffer();
    if (c_.keyer().memoVisible())
        c_.keyer().setMemoTuneCaption("TUNE");
    if (st.EsmState == EsmStep::AwaitingExchange)
        st.EsmState = EsmStep::Idle;
    st.SpStep = SpStage::Start;
    // The mode box turns idle green only for a keyer there is.
    if (keyerSends())
        c_.display.BModeColor = Colors::ColorGreen;
    st.KeyerBusy = false;
    c_.refresh();
}

// Marks the keyer busy and names the message about to start.
void EntryKeys::startMessage(const char *name)
{
    ContestState &st = c_.st;
    st.KeyerBusy = true;
    c_.display.LTransmit.clear();
    st.LastKey = name;
    c_.display.LMemo = st.LastKey;
    c_.refresh();
}

void EntryKeys::enter()
{
    ContestState &st = c_.st;
    // An exchange kept from a line that had a blank is not what a line without one shows.
    if (c_.view().entryText().find(' ') == std::string::npos && !st.QsoExchange.empty()) {
        st.QsoExchange.clear();
        c_.display.LInfo1.clear();
    }

    if (const Keying k = keying(); k == Keying::EsmFree || k == Keying::EsmBusy) {
        st.EnterLength = static_cast<int>(c_.view().entryText().size());
        apply(FindEnterRule(EnterPhase::Send, situation()));
    }
    if (st.EsmState == EsmStep::Logged)
        st.EsmState = EsmStep::Idle;
    showDiagnostics();
    // Read again: sending may have lost the keyer.
    apply(FindEnterRule(EnterPhase::Log, situation()));
}

Keying EntryKeys::keying() const
{
    const ContestState &st = c_.st;
    if (st.Mode == "SSB")
        return Keying::Phone;
    if (st.Mode != "CW")
        return Keying::NoMode;
    if (!st.EnterSendMsg)
        return Keying::Cw;
    if (!keyerSends())
        return Keying::EsmNoKeyer;
    return st.KeyerBusy ? Keying::EsmBusy : Keying::EsmFree;
}

EnterSituation EntryKeys::situation() const
{
    const ContestState &st = c_.st;
    EnterSituation s;
    s.keying = keying();
    s.run = st.RunMode;
    s.esm = st.EsmState;
    s.sp = st.SpStep;
    s.exchangeDue = st.SpExchangeDue;
    s.length = c_.view().entryText().size();
    s.hasCall = !st.QsoCall.empty();
    s.hasExchange = !st.QsoExchange.empty();
    return s;
}

void EntryKeys::apply(const EnterRule *rule)
{
    if (!rule)
        return;
    for (EnterStep step : rule->steps)
        run(step);
    if (rule->spAfter)
        c_.st.SpStep = *rule->spAfter;
    if (rule->exchangeDueAfter)
        c_.st.SpExchangeDue = *rule->exchangeDueAfter;
}

void EntryKeys::run(EnterStep step)
{
    ContestState &st = c_.st;
    switch (step) {
    case EnterStep::None:
        return;
    case EnterStep::LogRun:
        commitInState(EsmStep::RunLogging);
        return;
    case EnterStep::LogSp:
        commitInState(EsmStep::SpLogging);
        return;
    case EnterStep::Log:
        c_.entry.commit();
        return;
    case EnterStep::SendExchange:
        sendShortened("F2", st.F[1]);
        return;
    case EnterStep::AskRepeat:
        sendShortened("F7", st.F[6]);
        return;
    case EnterStep::SendCall:
        st.KeyerBusy = true;
        c_.display.LTransmit.clear();
        st.CallSent = c_.display.LInfo;
        st.LastKey = "F5";
        c_.display.LMemo = st.LastKey;
        st.CallStreaming = true;
        c_.refresh();
        // The call part only: an exchange typed already is the other station's.
        c_.keyer().writeText(st.CallSent);
        c_.display.BModeColor = Colors::ColorRed;
        return;
    case EnterStep::RepeatExchange:
        st.KeyerBusy = true;
        c_.display.LTransmit.clear();
        st.LastKey = "F2";
        c_.display.LMemo = st.LastKey;
        c_.refresh();
        c_.keyer().sendCwMessage(st.F[1]);
        return;
    case EnterStep::SendOwnCall: {
        st.KeyerBusy = true;
        c_.display.LTransmit.clear();
        c_.showRunMode();
        st.LastKey = "F4";
        const std::string line = c_.view().entryText();
        if (line.find(' ') == std::string::npos)
            c_.view().setEntryText(line + " ");
        c_.display.LMemo = "F4";
        c_.refresh();
        c_.keyer().sendCwMessage(st.F[3]);
        return;
    }
    case EnterStep::SendCq:
        startMessage("F1");
        c_.keyer().sendCwMessage(st.F[0]);
        return;
    case EnterStep::SayNotSent:
        // The mode box's tooltip says why; the line stays for the next try.
        c_.display.LInfo1 = "not sent";
        c_.refresh();
        return;
    }
}

// S/P messages go out with the cut numbers.
void EntryKeys::sendShortened(const char *name, const std::string &text)
{
    ContestState &st = c_.st;
    startMessage(name);
    st.MessageText = text;
    c_.keyer().applyShortChars();
    c_.keyer().sendCwMessage(st.MessageText);
}

bool EntryKeys::keyerSends() const
{
    return c_.st.KeyerOnline && c_.keyer().portOpen();
}

// Commits as the last step of an ESM sequence. A QSO that could not be logged
// leaves the sequence where it was, so the next Enter tries again; one that was
// logged before a failure ends it.
void EntryKeys::commitInState(EsmStep state)
{
    ContestState &st = c_.st;
    const EsmStep before = st.EsmState;
    const int count = st.QsoCount;
    st.EsmState = state;
    try {
        c_.entry.commit();
    } catch (...) {
        st.EsmState = st.QsoCount == count ? before : EsmStep::Idle;
        throw;
    }
}

void EntryKeys::showDiagnostics()
{
    MainDisplay &d = c_.display;
    d.Lcwtx = {std::to_string(DiagnosticCode(c_.st.EsmState)), d.Lcwtx[0], d.Lcwtx[1]};
    d.Lsptx = {std::to_string(DiagnosticCode(c_.st.SpStep)), d.Lsptx[0], d.Lsptx[1]};
    c_.refresh();
}
