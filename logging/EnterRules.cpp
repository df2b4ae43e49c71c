#include "logging/EnterRules.h"

namespace {

using K = Keying;
using E = EsmIs;
using L = LineHolds;
using P = EnterPhase;
using S = EnterStep;
constexpr auto None = std::nullopt;

// Every rule of the send phase takes a free keyer: while it sends, Enter sends nothing more.
// The ESM step moves only through a commit (RunLogging or SpLogging, then Logged), and
// an Enter that logged ends with the step back at Idle.
constexpr EnterRule kRules[] = {
    // name                                             phase    keying         side          esm                  sp           due              line            steps                       sp after              due after
    {"Run, exchange in: log and thank",                 P::Send, K::EsmFree,    Side::Run,    E::AwaitingExchange, SpIs::Any,   DueIs::Any,      L::Exchange,    {S::LogRun},                None,                 None},
    {"S/P, exchange armed: send it",                    P::Send, K::EsmFree,    Side::Sp,     E::Any,              SpIs::Any,   DueIs::Armed,    L::Something,   {S::SendExchange},          SpStage::Going,       false},
    {"S/P, exchange in before the own call: log, call", P::Send, K::EsmFree,    Side::Sp,     E::Any,              SpIs::Start, DueIs::NotArmed, L::Exchange,    {S::LogSp, S::SendOwnCall}, SpStage::Going,       true},
    {"S/P, exchange in: log",                           P::Send, K::EsmFree,    Side::Sp,     E::Any,              SpIs::Any,   DueIs::NotArmed, L::Exchange,    {S::LogSp},                 None,                 true},
    {"S/P, call without exchange: ask for a repeat",    P::Send, K::EsmFree,    Side::Sp,     E::Any,              SpIs::Any,   DueIs::NotArmed, L::NoExchange,  {S::AskRepeat},             SpStage::AskedRepeat, None},
    {"Run, a call: send it",                            P::Send, K::EsmFree,    Side::Run,    E::Idle,             SpIs::Any,   DueIs::Any,      L::MoreThanTwo, {S::SendCall},              None,                 None},
    {"Run, call sent: the exchange again",              P::Send, K::EsmFree,    Side::Run,    E::NotIdle,          SpIs::Any,   DueIs::Any,      L::MoreThanTwo, {S::RepeatExchange},        None,                 None},
    {"S/P, empty line: own call",                       P::Send, K::EsmFree,    Side::Sp,     E::Any,              SpIs::Start, DueIs::Any,      L::Nothing,     {S::SendOwnCall},           None,                 true},
    {"S/P, a line with nothing to log: own call",       P::Send, K::EsmFree,    Side::Sp,     E::Any,              SpIs::Start, DueIs::Any,      L::Something,   {S::SendOwnCall},           SpStage::Going,       true},
    {"Run, empty line: CQ",                             P::Send, K::EsmFree,    Side::Run,    E::Idle,             SpIs::Any,   DueIs::Any,      L::Nothing,     {S::SendCq},                None,                 None},

    {"CW without ESM: log call and exchange",           P::Log,  K::Cw,         Side::Either, E::Any,              SpIs::Any,   DueIs::Any,      L::Qso,         {S::Log},                   None,                 None},
    {"ESM without a keyer: log call and exchange",      P::Log,  K::EsmNoKeyer, Side::Either, E::Any,              SpIs::Any,   DueIs::Any,      L::Qso,         {S::Log},                   None,                 None},
    {"ESM without a keyer, nothing to log: say so",     P::Log,  K::EsmNoKeyer, Side::Either, E::Any,              SpIs::Any,   DueIs::Any,      L::Anything,    {S::SayNotSent},            None,                 None},
    {"Phone: log the line",                             P::Log,  K::Phone,      Side::Either, E::Any,              SpIs::Any,   DueIs::Any,      L::TwoOrMore,   {S::Log},                   None,                 None},
};

bool lineFits(LineHolds line, const EnterSituation &s)
{
    switch (line) {
    case L::Anything: return true;
    case L::Nothing: return s.length == 0;
    case L::Something: return s.length > 0;
    case L::MoreThanTwo: return s.length > 2;
    case L::NoExchange: return s.length > 0 && !s.hasExchange;
    case L::Exchange: return s.hasExchange && s.length >= 2;
    case L::TwoOrMore: return s.length >= 2;
    case L::Qso: return s.hasCall && s.hasExchange && s.length >= 2;
    }
    return false;
}

bool esmFits(EsmIs esm, EsmStep step)
{
    switch (esm) {
    case E::Any: return true;
    case E::Idle: return step == EsmStep::Idle;
    case E::NotIdle: return step != EsmStep::Idle;
    case E::AwaitingExchange: return step == EsmStep::AwaitingExchange;
    }
    return false;
}

} // namespace

bool EnterRule::logs() const
{
    for (EnterStep step : steps)
        if (step == S::LogRun || step == S::LogSp || step == S::Log)
            return true;
    return false;
}

std::span<const EnterRule> EnterRules()
{
    return kRules;
}

bool RuleFits(const EnterRule &rule, EnterPhase phase, const EnterSituation &s)
{
    return rule.phase == phase && rule.keying == s.keying
        && (rule.side == Side::Either || (rule.side == Side::Run) == s.run)
        && esmFits(rule.esm, s.esm)
        && (rule.sp == SpIs::Any || s.sp == SpStage::Start)
        && (rule.due == DueIs::Any || (rule.due == DueIs::Armed) == s.exchangeDue)
        && lineFits(rule.line, s);
}

const EnterRule *FindEnterRule(EnterPhase phase, const EnterSituation &s)
{
    for (const EnterRule &rule : kRules)
        if (RuleFits(rule, phase, s))
            return &rule;
    return nullptr;
}
