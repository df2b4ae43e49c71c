#include "logging/EntryKeys.h"

#include "logging/Contest.h"

#include <cctype>

std::optional<char> EntryKeys::acceptedChar(char typed)
{
    const unsigned char c = static_cast<unsigned char>(typed);
    if (c == 8 || c == 13 || c == 27 || c == ' ' || c == '/' || std::isdigit(c))
        return typed;
    if (c < 0x80 && std::isalpha(c))
        return static_cast<char>(std::toupper(c));
    return std::nullopt;
}

void EntryKeys::enter()
{
    ContestState &st = c_.st;
    // Enter never logs what the line no longer shows: a call and exchange kept
    // from a longer line do not count once the line is down to one character,
    // and an exchange kept from a line with a blank does not count without one.
    const std::string line = c_.view().entryText();
    if (line.size() < 2)
        return;
    if (line.find(' ') == std::string::npos)
        st.QsoExchange.clear();
    if (st.Mode == "CW" && !st.EnterSendMsg) {
        if (!st.QsoCall.empty() && !st.QsoExchange.empty())
            c_.entry.commit();
    } else if (st.Mode == "SSB") {
        c_.entry.commit();
    }
}
