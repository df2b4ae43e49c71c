#include "keyer/sim/Pileup.h"

#include "aids/AidFile.h"
#include "aids/CallEdit.h"
#include "aids/MasterScp.h"

#include <algorithm>

namespace {

bool oneOf(const std::string &word, std::initializer_list<const char *> list)
{
    return std::any_of(list.begin(), list.end(), [&](const char *w) { return word == w; });
}

// A report or serial with cut digits ("5NN", "1T5"): never taken for a call.
bool looksLikeNumber(std::string_view word)
{
    bool digit = false;
    for (char c : word) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (std::string_view("TNOAE").find(c) == std::string_view::npos)
            return false;
    }
    return digit;
}

std::string joinWords(const std::vector<std::string> &words, size_t from)
{
    std::string out;
    for (size_t i = from; i < words.size(); ++i)
        out += (out.empty() ? "" : " ") + words[i];
    return out;
}

} // namespace

Over ReadOver(std::string_view text)
{
    Over over;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = std::min(text.find(' ', at), text.size());
        if (end > at)
            over.words.push_back(UpperCall(text.substr(at, end - at)));
        at = end + 1;
    }
    for (const std::string &w : over.words) {
        over.cq |= oneOf(w, {"CQ", "QRZ", "QRZ?"});
        over.thanks |= oneOf(w, {"TU", "TNX", "TKS", "73"});
        over.repeat |= oneOf(w, {"?", "AGN", "AGN?", "NR?", "NR", "RPT", "PSE"});
    }
    return over;
}

HeardCall HearCall(const std::string &call, const Over &over)
{
    HeardCall best;
    const auto take = [&](CallMatch match, size_t i) {
        if (match > best.match)
            best = {match, over.words[i], joinWords(over.words, i + 1)};
    };
    for (size_t i = 0; i < over.words.size(); ++i) {
        const std::string &word = over.words[i];
        const bool asked = word.size() > 1 && word.back() == '?';
        const std::string_view stem = asked ? std::string_view(word).substr(0, word.size() - 1) : word;
        if (stem == call)
            take(CallMatch::Exact, i);
        else if (IsListedCall(stem) && !looksLikeNumber(stem) && OneEditApart(stem, call))
            take(CallMatch::Almost, i);
        else if (asked && stem.size() >= 2 && call.find(stem) != std::string::npos)
            take(CallMatch::Partial, i);
    }
    return best;
}

std::string Garbled(std::string exchange)
{
    for (auto c = exchange.rbegin(); c != exchange.rend(); ++c) {
        if (*c >= '0' && *c <= '9') {
            *c = *c == '9' ? '8' : static_cast<char>(*c + 1);
            return exchange;
        }
    }
    if (!exchange.empty())
        exchange.back() = exchange.back() == 'A' ? 'B' : 'A';
    return exchange;
}

Answer AnswerOver(const Caller &caller, const Over &over, bool othersBusy)
{
    Answer a{{}, caller};
    Caller &c = a.next;
    const HeardCall heard = HearCall(c.call, over);
    const auto sendExchange = [&] {
        a.text = "5NN " + (c.lid && c.exchangesSent == 0 ? Garbled(c.exchange) : c.exchange);
        ++c.exchangesSent;
    };
    const auto sendCall = [&] {
        if (c.patience <= 0) {
            c.state = Caller::Gone;
            return;
        }
        --c.patience;
        a.text = c.call;
    };

    if (c.state == Caller::Calling) {
        if (heard.match == CallMatch::Exact) {
            c.state = Caller::Working;
            c.receivedCall = heard.word;
            c.receivedExchange = heard.exchange;
            sendExchange();
        } else if (othersBusy) {
            if (c.lid && !over.words.empty())
                sendCall();  // out of turn
        } else if (over.cq || over.thanks || over.repeat || heard.match != CallMatch::None) {
            sendCall();
        }
        return a;
    }
    if (c.state != Caller::Working)
        return a;
    if (over.thanks || over.cq) {
        c.state = Caller::Logged;
    } else if (heard.match == CallMatch::Exact) {
        c.receivedCall = heard.word;
        if (!heard.exchange.empty())
            c.receivedExchange = heard.exchange;
        sendExchange();
    } else if (heard.match == CallMatch::Almost) {
        c.receivedCall = heard.word;
        a.text = c.call + " " + c.call;  // sets the operator right
    } else if (othersBusy) {
        c.state = Caller::Calling;  // the operator went on to another: this QSO is lost
    } else if (over.repeat) {
        sendExchange();
    } else if (!over.words.empty()) {
        c.receivedExchange = joinWords(over.words, 0);  // the operator's exchange again
        sendExchange();
    }
    return a;
}

Pileup::Pileup(PileupSettings settings, NewCall newCall, unsigned seed)
    : settings_(settings), newCall_(std::move(newCall)), rng_(seed)
{
}

Caller Pileup::makeCaller(int operatorWpm)
{
    std::uniform_real_distribution<double> unit(0, 1);
    Caller c;
    for (int tries = 0; tries < 20; ++tries) {
        std::tie(c.call, c.exchange) = newCall_(rng_);
        const bool taken = std::any_of(callers_.begin(), callers_.end(),
                                       [&](const Caller &o) { return o.call == c.call; });
        if (!taken)
            break;
    }
    const int lo = settings_.minWpm > 0 ? settings_.minWpm : std::max(10, (operatorWpm + 1) / 2);
    const int hi = std::max(lo, settings_.maxWpm > 0 ? settings_.maxWpm : operatorWpm);
    c.wpm = std::uniform_int_distribution<int>(lo, hi)(rng_);
    c.pitch = (2 * unit(rng_) - 1) * settings_.pitchSpread;
    c.amplitude = 0.05 + 0.3 * unit(rng_) * unit(rng_) + 0.05 * unit(rng_);  // most are weak, some loud
    c.replyDelay = 0.1 + 0.5 * unit(rng_);
    c.patience = std::uniform_int_distribution<int>(2, 6)(rng_);
    c.lid = unit(rng_) < settings_.lids;
    if (settings_.qsb) {
        c.qsbDepth = 0.3 + 0.6 * unit(rng_);
        c.qsbHz = 0.05 + 0.25 * unit(rng_);
        c.qsbPhase = 6.283 * unit(rng_);
    }
    if (settings_.flutter && unit(rng_) < 0.3)
        c.flutter = 0.5 + 0.5 * unit(rng_);
    return c;
}

std::vector<Transmission> Pileup::hear(std::string_view text, int operatorWpm)
{
    const Over over = ReadOver(text);
    // A thanks that names the caller it ends the QSO with ("TU S59ABC TEST") takes nobody
    // new: the pileup calls again.
    std::vector<CallMatch> matches;
    for (const Caller &c : callers_) {
        const bool listening = c.state == Caller::Calling || (c.state == Caller::Working && !over.thanks);
        matches.push_back(listening ? HearCall(c.call, over).match : CallMatch::None);
    }
    std::vector<Transmission> replies;
    int calling = 0;
    for (size_t i = 0; i < callers_.size(); ++i) {
        if (callers_[i].state != Caller::Calling && callers_[i].state != Caller::Working)
            continue;
        bool othersBusy = false;
        for (size_t j = 0; j < callers_.size() && !othersBusy; ++j)
            othersBusy = j != i && (matches[j] == CallMatch::Exact
                                    || (callers_[j].state == Caller::Working && !over.thanks && !over.cq));
        Answer a = AnswerOver(callers_[i], over, othersBusy);
        if (!a.text.empty()) {
            replies.push_back({i, a.text, callers_[i].replyDelay});
            calling += a.next.state == Caller::Calling;
        }
        callers_[i] = std::move(a.next);
    }
    const bool taken = std::find(matches.begin(), matches.end(), CallMatch::Exact) != matches.end();
    if ((over.cq || over.thanks) && !taken) {
        // The next round: at least as many call as the activity draws this time.
        const int drawn = std::poisson_distribution<int>(std::max(0.0, settings_.activity))(rng_);
        for (int k = calling; k < drawn; ++k) {
            callers_.push_back(makeCaller(operatorWpm));
            Answer a = AnswerOver(callers_.back(), over, false);
            callers_.back() = a.next;
            replies.push_back({callers_.size() - 1, a.text, callers_.back().replyDelay});
        }
    }
    std::stable_sort(replies.begin(), replies.end(),
                     [](const Transmission &a, const Transmission &b) { return a.delay < b.delay; });
    return replies;
}
