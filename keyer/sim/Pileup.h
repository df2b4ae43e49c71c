#pragma once

#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

// One over of the operator, as the stations calling him read it.
struct Over {
    std::vector<std::string> words;  // upper case, in the order keyed
    bool cq = false;       // CQ, QRZ: who is there?
    bool thanks = false;   // TU, TNX, 73: the QSO is done
    bool repeat = false;   // ?, AGN, NR?, RPT: say it again
};
Over ReadOver(std::string_view text);

// How near a word of the over came to a caller's call.
enum class CallMatch { None, Partial, Almost, Exact };
struct HeardCall {
    CallMatch match = CallMatch::None;
    std::string word;      // the word that came nearest
    std::string exchange;  // the words after it: what the operator sent with the call
};
// Exact: the call itself (or with a '?'); Almost: one character changed, added or left
// out; Partial: a fragment of it asked for ("S5?", "XYZ?").
HeardCall HearCall(const std::string &call, const Over &over);

// The same exchange with one character off, as a lid sends it the first time.
std::string Garbled(std::string exchange);

// A station in the pileup: who it is, how it sounds, where its QSO stands and its own
// record of it.
struct Caller {
    enum State { Calling, Working, Logged, Gone };

    std::string call;
    std::string exchange;  // as its log holds it: what it means to send after the report
    bool lid = false;      // calls out of turn and sends a wrong number first

    int wpm = 20;
    double pitch = 0;       // Hz from the operator's
    double amplitude = 0.3;
    double replyDelay = 0.3;  // seconds after the operator's over
    double qsbDepth = 0, qsbHz = 0, qsbPhase = 0;
    double flutter = 0;

    State state = Calling;
    int patience = 3;        // calls it still makes before it gives up
    int exchangesSent = 0;
    std::string receivedCall;      // its call as the operator last sent it
    std::string receivedExchange;  // the operator's exchange as it heard it
};

// What a caller sends back to an over, and how it stands afterwards. othersBusy: the
// over took another caller, or another QSO is still running; the caller then waits
// (a lid calls anyway).
struct Answer {
    std::string text;  // empty: it stays silent
    Caller next;
};
Answer AnswerOver(const Caller &caller, const Over &over, bool othersBusy);

struct PileupSettings {
    double activity = 2;   // callers, on average, answering a CQ
    double lids = 0;       // share of callers that are lids, 0..1
    int minWpm = 0, maxWpm = 0;  // 0: half to all of the operator's speed
    double pitchSpread = 300;    // Hz either side of the operator's pitch
    bool qsb = false;
    bool flutter = false;
};

// Something a caller sends: the caller's number in callers(), and when after the over.
struct Transmission {
    size_t caller;
    std::string text;
    double delay;
};

// The stations that answer the operator. Each over is answered by the callers it concerns;
// a CQ or a thanks brings new callers, as many as the activity draws, into the pileup.
class Pileup {
public:
    // A new caller's call and exchange, drawn at random.
    using NewCall = std::function<std::pair<std::string, std::string>(std::mt19937 &rng)>;

    Pileup(PileupSettings settings, NewCall newCall, unsigned seed);

    // The operator's over and his speed: what the callers send back, soonest first.
    std::vector<Transmission> hear(std::string_view over, int operatorWpm);

    // Everyone who ever called, in the order they came.
    const std::vector<Caller> &callers() const { return callers_; }

private:
    Caller makeCaller(int operatorWpm);

    PileupSettings settings_;
    NewCall newCall_;
    std::mt19937 rng_;
    std::vector<Caller> callers_;
};
