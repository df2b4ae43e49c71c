#pragma once

#include "logging/EnterRules.h"

#include <optional>
#include <string>

class Contest;

// The keys of the entry line: the messages, speed, tune, Run and S/P, ESM, Esc
// and Enter, which with ESM in CW runs a whole exchange.
class EntryKeys {
public:
    // Key codes as the keyboard reports them to the entry line.
    enum Key { PageUp = 0x21, PageDown = 0x22, KeyT = 0x54, F1 = 0x70, F5 = 0x74, F9 = 0x78, F10, F11, F12 };

    explicit EntryKeys(Contest &contest) : c_(contest) {}

    // The character as the line shows it, or nothing when the line does not take it.
    static std::optional<char> acceptedChar(char typed);

    // A key going down; true when it was consumed and must not reach the line.
    bool keyDown(int key, bool ctrl, bool shift, bool alt);
    void escape();
    // What it does is the first fitting rule of EnterRules(), once to send and once to log.
    void enter();

private:
    void tune();
    void changeSpeed(int step);
    void sendKeyMessage(int number);
    void toggleRunMode();
    void toggleEsm();
    void startMessage(const char *name);
    void sendShortened(const char *name, const std::string &text);
    Keying keying() const;
    EnterSituation situation() const;
    void apply(const EnterRule *rule);
    void run(EnterStep step);
    // The keyer is on line and answering: ESM can send.
    bool keyerSends() const;
    void commitInState(EsmStep state);
    void showDiagnostics();

    Contest &c_;
};
