#include "keyer/sim/Morse.h"

const char *MorsePattern(char c)
{
    static const char *const letters[26] = {
        ".-",   "-...", "-.-.", "-..",  ".",    "..-.", "--.",  "....", "..",
        ".---", "-.-",  ".-..", "--",   "-.",   "---",  ".--.", "--.-", ".-.",
        "...",  "-",    "..-",  "...-", ".--",  "-..-", "-.--", "--.."};
    static const char *const digits[10] = {"-----", ".----", "..---", "...--", "....-",
                                           ".....", "-....", "--...", "---..", "----."};
    if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z')
        return letters[c - 'A'];
    if (c >= '0' && c <= '9')
        return digits[c - '0'];
    switch (c) {
    case '/': return "-..-.";
    case '?': return "..--..";
    case '.': return ".-.-.-";
    case ',': return "--..--";
    case '=': return "-...-";
    case '+': return ".-.-.";
    case '-': return "-....-";
    case '(': return "-.--.";
    case ')': return "-.--.-";
    case ':': return "---...";
    case ';': return "-.-.-.";
    case '\'': return ".----.";
    case '"': return ".-..-.";
    case '@': return ".--.-.";
    case '!': return "-.-.--";
    case '&': return ".-...";
    case '$': return "...-..-";
    case '_': return "..--.-";
    default: return nullptr;
    }
}

int KeyingDits(const char *pattern)
{
    int dits = 0;
    for (const char *p = pattern; *p; ++p)
        dits += (*p == '-' ? 3 : 1) + (p[1] ? 1 : 0);
    return dits;
}

double KeyText(std::string_view text, double wpm, double start, std::vector<KeyDown> &out)
{
    const double dit = DitSeconds(wpm);
    double t = start, lastUp = start;
    bool sent = false;
    for (char c : text) {
        if (c == ' ') {
            if (sent)
                t += 4 * dit;  // with the letter space before it, a word space of 7
            continue;
        }
        const char *pattern = MorsePattern(c);
        if (!pattern)
            continue;
        for (const char *p = pattern; *p; ++p) {
            const double length = (*p == '-' ? 3 : 1) * dit;
            out.push_back({t, t + length});
            t += length + dit;
        }
        lastUp = t - dit;
        t = lastUp + 3 * dit;
        sent = true;
    }
    return lastUp;
}
