#include "keyer/sim/PracticeCalls.h"

#include <array>

PracticeCalls::PracticeCalls(std::vector<std::string> calls, CallHistory history, std::string historyColumn)
    : calls_(std::move(calls)), history_(std::move(history)), column_(std::move(historyColumn))
{
    if (calls_.empty())
        for (const CallHistory::Entry &entry : history_.entries())
            calls_.push_back(entry.call);
}

std::pair<std::string, std::string> PracticeCalls::draw(std::mt19937 &rng) const
{
    std::string call = calls_.empty()
                           ? PlausibleCall(rng)
                           : calls_[std::uniform_int_distribution<size_t>(0, calls_.size() - 1)(rng)];
    std::string exchange = history_.field(call, column_);
    if (exchange.empty())
        exchange = PlausibleExchange(rng);
    return {std::move(call), std::move(exchange)};
}

std::string PlausibleCall(std::mt19937 &rng)
{
    static constexpr std::array<const char *, 40> prefixes = {
        "S5", "S5", "S5", "9A", "OE", "DL", "DK", "DJ", "OK", "OM", "HA", "I",  "IK", "IZ",
        "F",  "G",  "M",  "SP", "SQ", "SM", "OH", "LA", "OZ", "PA", "ON", "EA", "CT", "YU",
        "E7", "UA", "UR", "YO", "LZ", "K",  "W",  "N",  "AA", "VE", "JA", "YL"};
    const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    std::string call = prefixes[static_cast<size_t>(pick(static_cast<int>(prefixes.size())))];
    call.push_back(static_cast<char>('0' + pick(10)));
    const int letters = 1 + pick(3) + (call.size() < 3);
    for (int i = 0; i < std::min(letters, 3); ++i)
        call.push_back(static_cast<char>('A' + pick(26)));
    return call;
}

std::string PlausibleExchange(std::mt19937 &rng)
{
    // Low numbers are the commonest: most stations make few QSOs.
    std::uniform_real_distribution<double> unit(0, 1);
    const double u = unit(rng);
    return std::to_string(1 + static_cast<int>(u * u * 1200));
}
