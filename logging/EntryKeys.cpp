#include "logging/EntryKeys.h"

#include "logging/Contest.h"

#include <cctype>

namespace {
// Keyer command bytes the entry line writes itself.
const std::string kKeyDown("\x0B\x01", 2);
const std::string kKeyUp("\x0B\x00", 2);
const std::string kClearBuffer("\x0A", 1);
} // namespace

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
    if (st.EModeIndex == 1)
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
        c_.keyer().writeText(kKeyUp);
        st.TuneOn = false;
        if (c_.keyer().memoVisible())
            c_.keyer().setMemoTuneCaption("TUNE");
    } else {
        c_.keyer().writeText(kKeyDown);
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
        c_.keyer().writeText(std::string{'\x02', static_cast<char>(st.Speed & 0xFF)});
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
    st.EsmState = 0;
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
        c_.keyer().writeText(kClearBuffer);
    if (c_.keyer().memoVisible())
        c_.keyer().setMemoTuneCaption("TUNE");
    if (st.EsmState == 1)
        st.EsmState = 0;
    st.SpStep = 0;
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

// Enter never logs what the line no longer shows: a call and exchange kept from
// a longer line do not count once the line is down to one character.
bool EntryKeys::lineCanCommit() const
{
    return c_.view().entryText().size() >= 2;
}

void EntryKeys::enter()
{
    ContestState &st = c_.st;
    // An exchange kept from a line that had a blank is not what a line without one shows.
    if (c_.view().entryText().find(' ') == std::string::npos && !st.QsoExchange.empty()) {
        st.QsoExchange.clear();
        c_.display.LInfo1.clear();
    }

    const bool esm = st.Mode == "CW" && st.EnterSendMsg;
    if (esm && keyerSends()) {
        st.EnterLength = static_cast<int>(c_.view().entryText().size());

        // Run, finishing: the exchange is in, log it (the commit sends the thanks).
        if (st.EsmState == 1 && !st.KeyerBusy && st.RunMode && !st.QsoExchange.empty() && lineCanCommit())
            commitInState(2);

        // S/P: the exchange, the QSO, or a request for a repeat.
        if (!st.KeyerBusy && !st.RunMode && st.EnterLength > 0) {
            if (st.SpExchangeDue) {
                startMessage("F2");
                st.MessageText = st.F[1];
                c_.keyer().applyShortChars();
                c_.keyer().sendCwMessage(st.MessageText);
                st.SpExchangeDue = false;
                st.SpStep = 1;
            } else if (!st.QsoExchange.empty()) {
                if (lineCanCommit()) {
                    commitInState(5);
                    st.SpExchangeDue = true;
                }
            } else {
                startMessage("F7");
                st.MessageText = st.F[6];
                c_.keyer().applyShortChars();
                c_.keyer().sendCwMessage(st.MessageText);
                st.SpStep = 3;
            }
        }

        // Run, calling: the call as typed, or the exchange again.
        if (st.EnterLength > 2 && !st.KeyerBusy && st.RunMode) {
            st.KeyerBusy = true;
            c_.display.LTransmit.clear();
            if (st.EsmState == 0) {
                st.CallSent = c_.display.LInfo;
                st.LastKey = "F5";
                c_.display.LMemo = st.LastKey;
                st.CallStreaming = true;
                c_.refresh();
                // The call part only: an exchange typed already is the other station's.
                c_.keyer().writeText(st.CallSent);
                c_.display.BModeColor = Colors::ColorRed;
            } else {
                st.LastKey = "F2";
                c_.display.LMemo = st.LastKey;
                c_.refresh();
                c_.keyer().sendCwMessage(st.F[1]);
            }
        }

        // S/P, calling: the own call, and the exchange is armed.
        if (!st.KeyerBusy && !st.RunMode && st.SpStep == 0) {
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
            st.SpExchangeDue = true;
            if (st.EnterLength > 0)
                st.SpStep = 1;
        }

        // Run, CQ.
        if (st.EnterLength == 0 && !st.KeyerBusy && st.RunMode && st.EsmState == 0) {
            startMessage("F1");
            c_.keyer().sendCwMessage(st.F[0]);
        }
    }

    if (st.EsmState == 4)
        st.EsmState = 0;
    showDiagnostics();

    // Without ESM, or with no keyer to send: CW logs a call with an exchange, phone every Enter.
    const bool cwLogs = st.Mode == "CW" && (!esm || !keyerSends()) && !st.QsoCall.empty() && !st.QsoExchange.empty();
    if (lineCanCommit() && (cwLogs || st.Mode == "SSB")) {
        c_.entry.commit();
    } else if (esm && !keyerSends()) {
        // The mode box's tooltip says why; the line stays for the next try.
        c_.display.LInfo1 = "not sent";
        c_.refresh();
    }
}

bool EntryKeys::keyerSends() const
{
    return c_.st.KeyerOnline && c_.keyer().portOpen();
}

// Commits as the last step of an ESM sequence. A QSO that could not be logged
// leaves the sequence where it was, so the next Enter tries again; one that was
// logged before a failure ends it.
void EntryKeys::commitInState(int state)
{
    ContestState &st = c_.st;
    const int before = st.EsmState;
    const int count = st.QsoCount;
    st.EsmState = state;
    try {
        c_.entry.commit();
    } catch (...) {
        st.EsmState = st.QsoCount == count ? before : 0;
        throw;
    }
}

void EntryKeys::showDiagnostics()
{
    MainDisplay &d = c_.display;
    d.Lcwtx = {std::to_string(c_.st.EsmState), d.Lcwtx[0], d.Lcwtx[1]};
    d.Lsptx = {std::to_string(c_.st.SpStep), d.Lsptx[0], d.Lsptx[1]};
    c_.refresh();
}
