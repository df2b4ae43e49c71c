#pragma once

#include "aids/CallHistory.h"

#include <random>
#include <string>
#include <utility>
#include <vector>

// Where the practice callers come from: their calls from MASTER.SCP or a call list (else
// calls made up from common prefixes), their exchanges from a call history when it holds
// the call (else a serial number).
class PracticeCalls {
public:
    PracticeCalls(std::vector<std::string> calls, CallHistory history, std::string historyColumn = "Exch1");

    // A call and its exchange, drawn at random.
    std::pair<std::string, std::string> draw(std::mt19937 &rng) const;

    size_t callCount() const { return calls_.size(); }

private:
    std::vector<std::string> calls_;
    CallHistory history_;
    std::string column_;
};

// A call of the form most contest calls have: a common prefix, a digit, two or three letters.
std::string PlausibleCall(std::mt19937 &rng);
// A serial number as a station some way into the contest sends it.
std::string PlausibleExchange(std::mt19937 &rng);
