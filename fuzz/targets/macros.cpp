// A message memory expanded with the calls and exchange it names; every text may hold
// macro characters, and the speeds are anywhere in the ranges the settings allow.
#include "fuzz/FuzzTarget.h"
#include "keyer/Macros.h"

int QuillFuzz_macros(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    ContestState state;
    const uint8_t flags = in.byte();
    state.Short0T = flags & 1;
    state.Short0O = flags & 2;
    state.Short9N = flags & 4;
    state.Speed = in.number(0, 99);
    state.SpeedUp = in.number(0, 20);
    state.SpeedMode = in.number(0, 2);
    state.MyCall = in.part();
    state.QsoCall = in.part();
    state.MyYearLic = in.part();
    state.LastCall = in.part();
    PrepareCwMessage(state, in.remainder());
    return 0;
}
