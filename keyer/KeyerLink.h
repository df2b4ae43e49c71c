#pragma once

#include "keyer/Frames.h"
#include "keyer/KeyerDecoder.h"
#include "keyer/WkView.h"
#include "logging/KeyerActions.h"

#include <QObject>
#include <QTimer>

#include <functional>

class Contest;
class SerialPort;

// The run-time values behind the keyer's mode and sidetone registers; none is stored.
struct KeyerRegisters {
    ModeBits mode;
    int paddleOnly = 0;     // sidetone only on paddle
    int frequencyCode = 0;  // sidetone list position + 1
};

// The keyer's port as the keyer needs it: 1200 baud, 8 data bits, no parity, one
// stop bit, DTR on, RTS off, XON/XOFF both ways, /dev/ttyUSB0 until the operator picks another.
void ConfigureKeyerPort(SerialPort &port);

// The link to the WinKeyer: host mode on and off, the keyer's status bytes, and
// the one way stored messages reach the keyer. It is the keyer side the main
// window's logic talks to.
class KeyerLink : public QObject, public KeyerActions {
    Q_OBJECT
public:
    KeyerLink(Contest &main, SerialPort &port);
    ~KeyerLink() override;

    void setWindow(WkView *window) { wk_ = window; }
    void setMemo(MemoView *memo) { memo_ = memo; }
    // The fixed pauses the keyer needs between frames; tests may shorten them.
    void setPause(std::function<void(int ms)> pause) { pause_ = std::move(pause); }

    SerialPort &port() { return port_; }
    Contest &main() { return main_; }
    WkView *window() { return wk_; }
    MemoView *memo() { return memo_; }
    WkDisplay display;
    KeyerRegisters registers;
    QTimer TimerReadWK;

    void OpenKeyerLink();
    void CloseKeyerLink();
    void BOpenComClick();
    void ComPortRxChar(int count);
    void TimerReadWKTimer();
    void SendCwMessage(const std::string &text);
    // Sends a frame when the port is open; a closed port drops it silently.
    void sendFrame(const std::string &frame);
    void pause(int ms) { pause_(ms); }
    void refresh();

    // KeyerActions
    bool portOpen() const override;
    void writeText(const std::string &bytes) override;
    void sendCwMessage(const std::string &text) override { SendCwMessage(text); }
    void applyShortChars() override;
    void openLink() override { OpenKeyerLink(); }
    void closeLink() override { CloseKeyerLink(); }
    void pressOpenCom() override { BOpenComClick(); }
    void showOptions() override;
    void showEsmBox(bool checked) override;
    bool memoVisible() const override;
    void showMemoRun(bool run) override;
    void showMemoEsm(bool shown) override;
    void setMemoTuneCaption(const std::string &caption) override;
    void showMemoPanel() override;

private:
    void apply(const KeyerEffect &effect);
    void deviceGone();
    void outputDropped();
    void showClosed();
    bool wkShown() const { return wk_ && wk_->isShown(); }

    Contest &main_;
    SerialPort &port_;
    WkView *wk_ = nullptr;
    MemoView *memo_ = nullptr;
    std::function<void(int)> pause_;
    bool reportingDrop_ = false;
};
