#pragma once

#include <optional>

class Contest;

// The keys of the entry line: which characters it takes, and Enter.
class EntryKeys {
public:
    explicit EntryKeys(Contest &contest) : c_(contest) {}

    // The character as the line shows it, or nothing when the line does not take it.
    static std::optional<char> acceptedChar(char typed);

    void enter();

private:
    Contest &c_;
};
