#include "keyer/KeyerDecoder.h"

#include "keyer/Frames.h"

#include <charconv>
#include <cstdio>
#include <ostream>

namespace {

// The command box is a single-line edit: beyond this it is emptied before more echo.
constexpr int CommandBoxLimit = 125;

// Status bytes are never echo, whatever their wait and key-down bits: a tune's 216
// shown as a letter would stay in the sending line.
bool shownAsCharacter(unsigned char b)
{
    return ((b >= 3 && b <= 9) || (b >= 21 && b <= 99) || b >= 200) && !IsStatusByte(b);
}

bool isRevisionByte(unsigned char b)
{
    return b == 10 || b == 11 || b == 21 || b == 22 || b == 23 || b == 31;
}

// PaddleSpeed is "10" until the first pot byte; a window that never showed the
// options window leaves it empty, and the paddle must still get a usable speed.
int paddleSpeedValue(const std::string &text)
{
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return 10;
    return value;
}

} // namespace

void DecodeKeyerByte(unsigned char b, ContestState &state, const KeyerDisplay &display,
                     const KeyerEffectSink &apply)
{
    using K = KeyerEffect;

    if (display.commandLength > CommandBoxLimit)
        apply({K::ClearCommand, {}});

    if (display.showAsNumbers) {
        apply({K::AppendCommand, " " + std::to_string(b)});
    } else if (shownAsCharacter(b)) {
        const std::string ch(1, static_cast<char>(b));
        apply({K::AppendCommand, ch});
        apply({K::AppendTransmit, ch});
        if (b == '+')  // the end-of-message sign closes the line in the command box
            apply({K::ClearCommand, {}});
    }

    if (b >= 129 && b <= 189) {
        const int wpm = b - 118;
        state.PaddleSpeed = std::to_string(wpm);
        apply({K::PaddleSpeed, state.PaddleSpeed});
        if (state.SpeedMode == 2) {
            state.Speed = wpm;
            apply({K::Speed, {}, wpm});
        }
        return;
    }

    if (state.KeyerVersion.empty() && isRevisionByte(b)) {
        state.KeyerVersion = std::to_string(b / 10);
        apply({K::Revision, "Winkeyer " + state.KeyerVersion + " - Open"});
        return;
    }

    if (b == 7) {
        apply({K::EchoReply, "WKConnected"});
        return;
    }
    if (!IsStatusByte(b))
        return;
    // By the status bits, the strongest first: 216 is tune, 198 break-in, 196 busy,
    // 192 idle, and the XOFF bit (the keyer link's concern) changes none of them.
    if (b & StatusKeyDown) {
        state.TuneOn = true;
        apply({K::Tune, "TUNE"});
    } else if (b & StatusBreakIn) {
        if (state.SpeedMode == 0)
            apply({K::Write, WkFrame::setWpm(paddleSpeedValue(state.PaddleSpeed))});
        apply({K::BreakIn, "Pad"});
    } else if (b & (StatusBusy | StatusWait)) {
        state.KeyerBusy = true;
        apply({K::Busy, {}});
    } else {
        state.KeyerBusy = false;
        state.TuneOn = false;
        state.LastKey.clear();
        apply({K::Idle, {}});
        apply({K::AppendCommand, " BK"});
        if (state.CallStreaming) {
            // The live call has gone out: the exchange follows by itself.
            state.CallStreaming = false;
            state.LastKey = "F2";
            apply({K::SendMessage, " " + (state.RunMode ? state.F[1] : state.Fs[1])});
            apply({K::EntryBlank, {}});
            state.EsmState = EsmStep::AwaitingExchange;
        }
    }
}

std::vector<KeyerEffect> DecodeKeyerByte(unsigned char b, ContestState &state,
                                         const KeyerDisplay &display)
{
    std::vector<KeyerEffect> effects;
    DecodeKeyerByte(b, state, display, [&](const KeyerEffect &e) { effects.push_back(e); });
    return effects;
}

std::string describe(const KeyerEffect &e)
{
    static const char *const names[] = {"AppendCommand", "ClearCommand", "AppendTransmit",
                                        "PaddleSpeed",   "Speed",        "Revision",
                                        "EchoReply",     "Write",        "BreakIn",
                                        "Busy",          "Idle",         "SendMessage",
                                        "EntryBlank",    "Tune"};
    std::string out = names[e.kind];
    switch (e.kind) {
    case KeyerEffect::Speed:
        out += "(" + std::to_string(e.value) + ")";
        break;
    case KeyerEffect::Write: {
        out += "(";
        for (size_t i = 0; i < e.text.size(); ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(e.text[i]));
            out += (i ? " " : "") + std::string(hex);
        }
        out += ")";
        break;
    }
    default:
        if (e.text.empty())
            break;
        out += "(";
        for (unsigned char c : e.text) {
            if (c >= 32 && c < 127) {
                out.push_back(static_cast<char>(c));
            } else {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\x%02X", c);
                out += esc;
            }
        }
        out += ")";
        break;
    }
    return out;
}

std::ostream &operator<<(std::ostream &out, const KeyerEffect &effect)
{
    return out << describe(effect);
}
