#include "keyer/Macros.h"

#include "keyer/Frames.h"
#include "logging/SentSerial.h"

#include <algorithm>
#include <string_view>

std::string ApplyShortChars(std::string text, const ContestState &state)
{
    for (char &c : text) {
        if (c == '0' && state.Short0T)
            c = 'T';
        else if (c == '0' && state.Short0O)
            c = 'O';
        else if (c == '9' && state.Short9N)
            c = 'N';
    }
    return text;
}

void ApplyShortChars(ContestState &state)
{
    state.MessageText = ApplyShortChars(std::string(state.MessageText), state);
}

std::string ExpandMacros(std::string text, const ContestState &state)
{
    // One pass: what a macro puts in is text, never read for macros again, so a call
    // holding "#" goes out as written and no value can multiply the message. The speed
    // byte after 1C is a parameter too, even when it looks like '>' (62) or '%' (37).
    const std::string faster = WkFrame::bufferedSpeed(state.Speed + state.SpeedUp);
    const std::string slower = WkFrame::bufferedSpeed(state.Speed - state.SpeedUp);
    const std::string normal = WkFrame::cancelBufferedSpeed();
    // The next QSO's serial, as Cabrillo will claim it went out, cut as the message's own digits.
    const std::string serial = ApplyShortChars(SentSerial(state.QsoCount + 1), state);
    std::string out;
    out.reserve(std::min(text.size() + 16, MessageLimit));
    if (state.SpeedMode == 0)
        out = WkFrame::setWpm(state.Speed);
    for (char c : text) {
        const std::string *frame = c == '<' ? &faster : c == '>' ? &slower : c == '%' ? &normal : nullptr;
        if (frame) {
            if (out.size() + frame->size() > MessageLimit)
                break;
            out += *frame;
            continue;
        }
        const std::string *value = c == '~'   ? &serial
                                 : c == '*' ? &state.MyCall
                                 : c == '!' ? &state.QsoCall
                                 : c == '#' ? &state.MyYearLic
                                 : c == '$' ? &state.LastCall
                                            : nullptr;
        const std::string_view piece = value ? std::string_view(*value) : std::string_view(&c, 1);
        const size_t room = MessageLimit - out.size();
        out.append(piece.substr(0, room));
        if (piece.size() > room)
            break;
    }
    return out;
}

void ExpandMacros(ContestState &state)
{
    state.MessageText = ExpandMacros(std::string(state.MessageText), state);
}

std::string ComposeCwMessage(const std::string &text, const ContestState &state)
{
    std::string message = text.empty() ? std::string("?") : text;
    message += ' ';
    return ExpandMacros(ApplyShortChars(std::move(message), state), state);
}

void PrepareCwMessage(ContestState &state, const std::string &text)
{
    state.MessageText = ComposeCwMessage(text, state);
}
