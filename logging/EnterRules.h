#pragma once

#include "logging/EsmSteps.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>

// What Enter does, as one table: each rule names the situation it takes (how the
// Enter can work, Run or S/P, the ESM step, the entry line) and what follows (the
// steps in their order, then the S/P bookkeeping). Enter looks twice: first among
// the rules that send, then, once the ESM exchange has moved on, among the rules
// that log without sending. Each time the first rule that fits is the one taken,
// so the order of the rows is the order in which the rules are tried.

// How this Enter can work, read when it is looked at.
enum class Keying {
    EsmFree,     // CW with ESM on, the keyer on line and free
    EsmBusy,     // CW with ESM on, the keyer on line and still sending
    EsmNoKeyer,  // CW with ESM on and no keyer that can send
    Cw,          // CW with ESM off
    Phone,
    NoMode,
};

// What Enter looks at.
struct EnterSituation {
    Keying keying = Keying::NoMode;
    bool run = false;
    EsmStep esm = EsmStep::Idle;
    SpStage sp = SpStage::Start;
    bool exchangeDue = false;  // S/P: the exchange goes out at the next Enter
    std::size_t length = 0;    // characters in the entry line
    bool hasCall = false;
    bool hasExchange = false;
};

// What a rule does, in this order.
enum class EnterStep {
    None,
    LogRun,          // log; the commit thanks the station with F3
    SendExchange,    // S/P: F2 with cut numbers
    LogSp,           // S/P: log, the exchange armed for the next station
    AskRepeat,       // S/P: F7
    SendCall,        // Run: the call part as typed, followed live
    RepeatExchange,  // Run: F2 again
    SendOwnCall,     // S/P: F4 (Run set), the exchange armed
    SendCq,          // Run: F1
    Log,             // log without sending
    SayNotSent,      // "not sent" beside the call: ESM had no keyer
};

enum class EnterPhase { Send, Log };
enum class Side { Either, Run, Sp };
enum class EsmIs { Any, Idle, NotIdle, AwaitingExchange };
enum class SpIs { Any, Start };
enum class DueIs { Any, Armed, NotArmed };
// Enter never logs what the line no longer shows: a call and exchange kept from a
// longer line do not count once the line is down to one character.
enum class LineHolds {
    Anything,
    Nothing,
    Something,
    MoreThanTwo,  // more than two characters: a call to send
    NoExchange,   // something, but no exchange
    Exchange,     // an exchange, in a line of two characters or more
    TwoOrMore,
    Qso,          // a call and an exchange, in a line of two characters or more
};

struct EnterRule {
    const char *name;
    EnterPhase phase;
    Keying keying;
    Side side;
    EsmIs esm;
    SpIs sp;
    DueIs due;
    LineHolds line;
    std::array<EnterStep, 2> steps;
    std::optional<SpStage> spAfter;    // set once the steps are done
    std::optional<bool> exchangeDueAfter;

    bool logs() const;
};

std::span<const EnterRule> EnterRules();
bool RuleFits(const EnterRule &rule, EnterPhase phase, const EnterSituation &s);
// The first rule of the phase that fits, or none: Enter then does nothing in that phase.
const EnterRule *FindEnterRule(EnterPhase phase, const EnterSituation &s);
