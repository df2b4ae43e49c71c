#include "keyer/Macros.h"

#include "keyer/Frames.h"

#include <algorithm>

namespace {

// A value may hold the later macro characters, so texts from a hand-edited settings
// file could grow by their lengths multiplied, billions of bytes from one key press.
// No message comes near this length; what would lie beyond it is dropped.
constexpr size_t kMaxExpandedText = 65536;

void replaceAll(std::string &text, char what, const std::string &with)
{
    std::string out;
    out.reserve(std::min(text.size() + with.size(), kMaxExpandedText));
    for (char c : text) {
        if (out.size() >= kMaxExpandedText)
            break;
        if (c == what)
            out += with;
        else
            out.push_back(c);
    }
    if (out.size() > kMaxExpandedText)
        out.resize(kMaxExpandedText);
    text.swap(out);
}

} // namespace

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
    replaceAll(text, '*', state.MyCall);
    replaceAll(text, '!', state.QsoCall);
    replaceAll(text, '#', state.MyYearLic);
    replaceAll(text, '$', state.LastCall);

    // The speed macros go in one pass: the speed byte after 1C is a parameter, and
    // replacing one after the other would turn a speed of 62 ('>') or 37 ('%') into
    // another command and shift the rest of the message.
    const std::string faster = WkFrame::bufferedSpeed(state.Speed + state.SpeedUp);
    const std::string slower = WkFrame::bufferedSpeed(state.Speed - state.SpeedUp);
    const std::string normal = WkFrame::cancelBufferedSpeed();
    std::string out;
    out.reserve(text.size() + 8);
    if (state.SpeedMode == 0)
        out = WkFrame::setWpm(state.Speed);
    for (char c : text) {
        if (c == '<')
            out += faster;
        else if (c == '>')
            out += slower;
        else if (c == '%')
            out += normal;
        else
            out.push_back(c);
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
