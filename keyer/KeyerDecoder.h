#pragma once

#include "logging/ContestState.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

// One thing a received keyer byte asks the windows to show or do. The comment of
// each kind is the whole job of the window that applies it.
struct KeyerEffect {
    enum Kind {
        AppendCommand,   // options window: append text to the command box ECommand
        ClearCommand,    // options window: empty ECommand
        AppendTransmit,  // main window: append text to the sending line LTransmit
        PaddleSpeed,     // both windows: LSpeedPaddle shows text (the pot speed)
        Speed,           // Speed follows the pot: EdSpeed shows value if enabled; main LSpeed shows it
        Revision,        // LInfo shows text ("Winkeyer 2 - Open"); ShapeCom ColorGreen
        EchoReply,       // LInfo1 shows text ("WKConnected"); main BMode ColorGreen; start TimerReadWK
        Write,           // write text, a keyer frame, to the port
        BreakIn,         // LPad shows text ("Pad"); ShapePad ColorRed; main BMode ColorRed
        Busy,            // ShapePad ColorGreen; LPad empty; ShapePTT ColorRed
        Idle,            // LPad, LTun empty; ShapePad, ShapePTT ColorGreen; main BMode ColorGreen;
                         // caret of the main entry line ECall after its last character
        SendMessage,     // main LMemo shows LastKey; SendCwMessage(text)
        EntryBlank,      // ECall: append a blank if it holds none; caret after its last character
        Tune,            // LTun shows text ("TUNE"); ShapePTT ColorRed
    };

    Kind kind;
    std::string text;
    int value = 0;

    bool operator==(const KeyerEffect &) const = default;
};

// "AppendCommand(+)", "Write(02 14)", "Speed(30)", "Busy": for test tables and messages.
std::string describe(const KeyerEffect &effect);
std::ostream &operator<<(std::ostream &out, const KeyerEffect &effect);

// The keyer's status bytes are 110xxxxx: bit 0 XOFF (its buffer is two thirds full),
// bit 1 paddle break-in, bit 2 busy, bit 3 key down (tune), bit 4 waiting.
inline bool IsStatusByte(unsigned char b) { return (b & 0xE0) == 0xC0; }
inline constexpr unsigned char StatusXoff = 0x01, StatusBreakIn = 0x02, StatusBusy = 0x04,
                               StatusKeyDown = 0x08, StatusWait = 0x10;

// What the decoder must know of the options window before each byte. The command
// box is an edit box the operator also types into, so its length is read from the
// window for every byte rather than tracked here.
struct KeyerDisplay {
    int commandLength = 0;       // characters now in ECommand
    bool showAsNumbers = false;  // cASCI checked
};

using KeyerEffectSink = std::function<void(const KeyerEffect &)>;

// Decodes one byte the keyer sent, in the order the keyer link defines: command box
// overflow, echo display, speed pot, revision, echo-test reply, paddle break-in,
// busy, idle (with the automatic exchange of a Run ESM call), tune. The contest
// state is changed here; each effect goes to `apply` at the moment it is due, so
// state changed after an effect (EsmState after the exchange is sent) is changed
// after the window applied it, as when the whole step runs in one handler.
void DecodeKeyerByte(unsigned char b, ContestState &state, const KeyerDisplay &display,
                     const KeyerEffectSink &apply);

// The same, collecting the effects.
std::vector<KeyerEffect> DecodeKeyerByte(unsigned char b, ContestState &state,
                                         const KeyerDisplay &display);
