#pragma once

#include <string>

// What the contest logic asks of the CW keyer side: its port, its message sender,
// the options window and the message panel. The program runs and logs without
// a keyer behind it.
class KeyerActions {
public:
    virtual ~KeyerActions() = default;

    virtual bool portOpen() const = 0;
    // Text straight to the keyer port, unexpanded; nothing is sent while it is closed.
    virtual void writeText(const std::string &bytes) = 0;
    // Single keyer commands; nothing is sent while the port is closed.
    virtual void keyTransmitter(bool down) = 0;  // tuning: keyed down, or up again
    virtual void clearBuffer() = 0;              // stops the message going out at once
    virtual void setSpeed(int wpm) = 0;
    // Expands a stored message and sends it.
    virtual void sendCwMessage(const std::string &text) = 0;
    virtual void applyShortChars() = 0;  // on MessageText

    virtual void openLink() = 0;
    virtual void closeLink() = 0;
    virtual void pressOpenCom() = 0;  // the options window's "Open Com" button
    virtual void showOptions() = 0;   // the keyer options window
    virtual void showEsmBox(bool checked) = 0;  // the options window's ESM tick box

    // The message panel.
    virtual void showMemoPanel() = 0;
    virtual bool memoVisible() const = 0;
    virtual void showMemoRun(bool run) = 0;
    virtual void showMemoEsm(bool shown) = 0;
    virtual void setMemoTuneCaption(const std::string &caption) = 0;
};

// No keyer: the port stays closed, nothing is sent, no keyer window exists.
class NoKeyer : public KeyerActions {
public:
    bool portOpen() const override { return false; }
    void writeText(const std::string &) override {}
    void keyTransmitter(bool) override {}
    void clearBuffer() override {}
    void setSpeed(int) override {}
    void sendCwMessage(const std::string &) override {}
    void applyShortChars() override {}
    void openLink() override {}
    void closeLink() override {}
    void pressOpenCom() override {}
    void showOptions() override {}
    void showEsmBox(bool) override {}
    void showMemoPanel() override {}
    bool memoVisible() const override { return false; }
    void showMemoRun(bool) override {}
    void showMemoEsm(bool) override {}
    void setMemoTuneCaption(const std::string &) override {}
};
