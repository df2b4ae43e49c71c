#pragma once

// What the contest logic asks of the radio (CAT) side. The program runs and logs
// without a radio behind it.
class RadioActions {
public:
    virtual ~RadioActions() = default;

    // The band list stands on "CAT" (true) or has left it: read the radio, or let it go.
    virtual void follow(bool on) = 0;
    // The CAT setup dialog, never modal.
    virtual void showSetup() = 0;
};

// No radio: nothing is read, no dialog exists.
class NoRadio : public RadioActions {
public:
    void follow(bool) override {}
    void showSetup() override {}
};
