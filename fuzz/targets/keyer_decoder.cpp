// Bytes from a keyer on a noisy line: the first bytes set up the program's state, the
// rest arrive one at a time with the command box kept as the options window keeps it.
#include "fuzz/FuzzTarget.h"
#include "keyer/KeyerDecoder.h"

int QuillFuzz_keyer_decoder(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    ContestState state;
    const uint8_t flags = in.byte();
    state.RunMode = flags & 1;
    state.EnterSendMsg = flags & 2;
    state.KeyerBusy = flags & 4;
    state.CallStreaming = flags & 8;
    state.SpExchangeDue = flags & 16;
    state.SpeedMode = in.number(0, 2);
    constexpr EsmStep steps[] = {EsmStep::Idle, EsmStep::AwaitingExchange, EsmStep::RunLogging, EsmStep::Logged,
                                 EsmStep::SpLogging};
    state.EsmState = steps[in.number(0, 4)];
    state.MyCall = in.part();
    state.MyYearLic = in.part();
    state.QsoCall = in.part();
    state.EntryText = in.part();
    KeyerDisplay display;
    display.showAsNumbers = flags & 32;
    std::string command;
    for (unsigned char b : in.remainder()) {
        display.commandLength = static_cast<int>(command.size());
        DecodeKeyerByte(b, state, display, [&](const KeyerEffect &e) {
            if (e.kind == KeyerEffect::AppendCommand)
                command += e.text;
            else if (e.kind == KeyerEffect::ClearCommand)
                command.clear();
        });
    }
    return 0;
}
