#include "logging/QsoEntry.h"

#include "logging/Contest.h"
#include "logging/LogFile.h"
#include "logging/PlainText.h"

void QsoEntry::changed(const std::string &text)
{
    ContestState &st = c_.st;
    MainDisplay &d = c_.display;

    st.EntryText = text;
    st.EntryLength = static_cast<int>(text.size());
    const size_t blank = text.find(' ');
    st.BlankPos = blank == std::string::npos ? 0 : static_cast<int>(blank) + 1;

    // A blank typed first wipes the line; emptying it runs this handling again.
    if (st.BlankPos == 1) {
        c_.view().setEntryText(std::string());
        return;
    }

    if (st.EntryLength > 1) {
        if (st.BlankPos == 0) {
            st.QsoCall = text;
        } else {
            st.QsoCall = text.substr(0, blank);
            // A second blank after the one ESM adds is a habit, not part of the exchange.
            st.QsoExchange = trimmedBlanks(text.substr(blank + 1));
        }
        d.LInfo = st.QsoCall;
        d.LInfo1 = st.QsoExchange;
        st.IsDupe = isDupe(&d.LDoubleBy);
    } else {
        d.LInfo.clear();
        d.LInfo1.clear();
    }
    d.LDouble = st.IsDupe;

    // The call was changed after the keyer sent it: the next Enter starts over.
    if (st.EsmState == EsmStep::AwaitingExchange && (d.LInfo.empty() || d.LInfo != st.CallSent))
        st.EsmState = EsmStep::Idle;

    // Characters typed while the call goes out follow it on the air.
    if (st.CallStreaming && d.LInfo.size() == st.CallSent.size() + 1) {
        st.CallSent = d.LInfo;
        c_.refresh();
        c_.keyer().writeText(d.LInfo.substr(d.LInfo.size() - 1));
    }
    c_.refresh();
}

bool QsoEntry::isDupe(std::string *by) const
{
    std::string other;
    const bool own = c_.table.contains(c_.st.QsoCall, c_.st.Band, c_.st.Mode);
    if (!own && c_.otherPositionDupe)
        other = c_.otherPositionDupe(c_.st.QsoCall, c_.st.Band, c_.st.Mode);
    if (by)
        *by = other;
    return own || !other.empty();
}

void QsoEntry::commit()
{
    // A QSO goes to the own call's log only when the table holds that log.
    c_.log.followOwnCall();
    ContestState &st = c_.st;
    MainDisplay &d = c_.display;

    st.LastCall = st.QsoCall;
    c_.table.setRowCount(st.QsoCount == 0 ? 1 : st.QsoCount + 1);
    if (st.LogTime.empty()) {
        // Enter before the first clock refresh must still stamp the QSO.
        const UtcStamp now = c_.clock.utcNow();
        st.LogTime = now.hhmm();
        st.LogUtcDate = now.date();
    }
    std::erase(st.LogTime, ':');

    QsoRow row;
    row.Time = st.LogTime;
    row.Call = st.QsoCall;
    row.Exchange = st.QsoExchange;
    row.Number = std::to_string(st.QsoCount + 1);
    row.Band = st.Band;
    row.Mode = st.Mode;
    row.Date = st.LogUtcDate.empty() ? st.LogDate : st.LogUtcDate;
    AppendLogLine(c_.logPath(), row, st.LogDate);
    c_.table.commitQso(st.QsoCount, std::move(row));

    st.IsDupe = false;
    d.LDouble = false;
    d.LDoubleBy.clear();
    // The QSO just logged is the one the operator looks for.
    c_.view().showGridRow(st.QsoCount);
    ++st.QsoCount;
    clear();
    c_.showQsoCount();
    c_.refresh();

    if (st.EsmState == EsmStep::RunLogging) {
        // The Run exchange ends with this QSO: thank the station.
        st.KeyerBusy = true;
        d.LTransmit.clear();
        st.LastKey = "F3";
        d.LMemo = st.LastKey;
        c_.refresh();
        c_.keyer().sendCwMessage(st.F[2]);
        st.EsmState = EsmStep::Logged;
    }
    if (st.EsmState == EsmStep::SpLogging)
        st.EsmState = EsmStep::Logged;
    c_.view().focusEntry();
}

void QsoEntry::clear()
{
    c_.st.QsoCall.clear();
    c_.st.QsoExchange.clear();
    c_.view().setEntryText(std::string());
    c_.display.LInfo.clear();
    c_.display.LInfo1.clear();
    c_.refresh();
}
