#include "keyer/sim/PracticeScore.h"

#include "aids/AidFile.h"
#include "aids/CallEdit.h"

#include <cmath>
#include <cstdio>

namespace {

// The exchange as compared: upper case, words without the report, numbers without cut digits.
std::string comparable(const std::string &exchange)
{
    std::string out;
    for (const std::string &word : ReadOver(exchange).words) {
        if (word == "5NN" || word == "599" || word == "ENN")
            continue;
        std::string number;
        bool digit = false, isNumber = true;
        for (char c : word) {
            const size_t cut = std::string_view("TONAE").find(c);
            digit |= c >= '0' && c <= '9';
            if (c >= '0' && c <= '9')
                number.push_back(c);
            else if (cut != std::string_view::npos)
                number.push_back("00915"[cut]);
            else
                isNumber = false;
        }
        if (isNumber && digit)
            number.erase(0, std::min(number.find_first_not_of('0'), number.size() - 1));
        out += (out.empty() ? "" : " ") + (isNumber && digit ? number : word);
    }
    return out;
}

std::string list(const std::vector<std::string> &items)
{
    std::string out;
    for (size_t i = 0; i < items.size() && i < 8; ++i)
        out += (i ? ", " : " (") + items[i];
    if (items.size() > 8)
        out += ", " + std::to_string(items.size() - 8) + " more";
    return items.empty() ? out : out + ")";
}

} // namespace

double PracticeScore::rate() const
{
    return minutes >= 1 ? 60.0 * logged / minutes : 0;
}

bool SameExchange(const std::string &logged, const std::string &sent)
{
    return comparable(logged) == comparable(sent);
}

PracticeScore ScorePractice(const std::vector<Caller> &callers, const std::vector<QsoRow> &log, double minutes)
{
    PracticeScore score;
    score.minutes = minutes;
    std::vector<bool> matched(callers.size(), false);
    const auto find = [&](auto &&fits) -> int {
        for (size_t i = 0; i < callers.size(); ++i)
            if (fits(callers[i]))
                return static_cast<int>(i);
        return -1;
    };
    for (const QsoRow &row : log) {
        if (row.Call.empty())
            continue;
        ++score.logged;
        const std::string call = UpperCall(row.Call);
        const int same = find([&](const Caller &c) { return c.call == call; });
        if (same >= 0 && callers[same].state == Caller::Logged) {
            if (matched[same]) {
                score.dupes.push_back(call);
                continue;
            }
            matched[same] = true;
            if (SameExchange(row.Exchange, callers[same].exchange))
                ++score.good;
            else
                score.wrongExchanges.push_back(call + ": " + (row.Exchange.empty() ? "none" : row.Exchange)
                                               + " for " + callers[same].exchange);
            continue;
        }
        // A call one off that of a caller who logged the QSO, and whom the log does not hold
        // yet, is a busted call: that QSO is the one meant.
        const int near = same >= 0 ? -1 : find([&](const Caller &c) {
            return c.state == Caller::Logged && !matched[static_cast<size_t>(&c - callers.data())]
                   && OneEditApart(c.call, call);
        });
        if (near >= 0) {
            score.busted.push_back(call + " for " + callers[near].call);
            matched[near] = true;
        } else {
            score.notInTheirLogs.push_back(call);
        }
    }
    for (size_t i = 0; i < callers.size(); ++i)
        if (callers[i].state == Caller::Logged && !matched[i])
            score.notInYourLog.push_back(callers[i].call);
    return score;
}

std::string ScoreText(const PracticeScore &s, const std::string &heading)
{
    char line[160];
    std::string text = heading + "\n";
    std::snprintf(line, sizeof line, "QSOs logged: %d in %.1f minutes, %.0f an hour\n", s.logged, s.minutes, s.rate());
    text += line;
    text += "Good: " + std::to_string(s.good) + "\n";
    text += "Busted calls: " + std::to_string(s.busted.size()) + list(s.busted) + "\n";
    text += "Wrong exchanges: " + std::to_string(s.wrongExchanges.size()) + list(s.wrongExchanges) + "\n";
    text += "Not in the callers' logs: " + std::to_string(s.notInTheirLogs.size()) + list(s.notInTheirLogs) + "\n";
    text += "Dupes: " + std::to_string(s.dupes.size()) + list(s.dupes) + "\n";
    text += "Callers who logged you, not in your log: " + std::to_string(s.notInYourLog.size())
            + list(s.notInYourLog) + "\n";
    return text;
}
