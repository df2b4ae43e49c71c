#pragma once

#include "keyer/Frames.h"
#include "keyer/KeyerDecoder.h"
#include "keyer/WkView.h"
#include "logging/KeyerActions.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

class Contest;
class SerialPort;

// The run-time values behind the keyer's mode and sidetone registers; none is stored.
struct KeyerRegisters {
    ModeBits mode;
    int paddleOnly = 0;     // sidetone only on paddle
    int frequencyCode = 0;  // sidetone list position + 1
};

// The end of the echo the main window's sending line keeps: more than its 236 pixels
// show even of the narrowest letters, and the cost of an echoed byte stays the same
// however long the operator keys.
inline constexpr size_t TransmitTail = 128;

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
    // The fixed pauses the keyer needs between frames run from the event loop; a test
    // may take them over: each is handed to this function and then takes no time.
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
    // For the operator's own actions that must reach the keyer: a closed port is
    // reported ("Port Not Open") before anything changes.
    void requireOpenPort() const;
    // TUNE of the options window and the message panel: keys the transmitter down,
    // or up when it is keyed. Nothing while the keyer is not on line yet; otherwise
    // the caption the button shows now.
    std::optional<std::string> toggleTune();
    // Runs step after the keyer's pause of ms, from the event loop; closing the link
    // drops the steps still due.
    void afterPause(int ms, std::function<void()> step);
    // Frames with the keyer's pause after each, the window answering meanwhile.
    void sendPaced(std::vector<std::string> frames, int ms);
    void refresh();
    // How long a keyer given text may stay silent beyond the keying time before it
    // counts as not answering.
    void setAnswerSlack(std::chrono::milliseconds slack) { answerSlack_ = slack; }
    // At the program's end: Host Close and the port closed, the stored ComConnected
    // kept, so the next start opens the link as this one had it.
    void leaveHostMode();

    // KeyerActions
    bool portOpen() const override;
    void writeText(const std::string &bytes) override;
    void keyTransmitter(bool down) override;
    void clearBuffer() override;
    void setSpeed(int wpm) override;
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
    // The command box's text is edited in `command` and shown once per decoded batch.
    void apply(const KeyerEffect &effect, std::string &command);
    void decode(const std::string &bytes);
    void sendText(const std::string &text);
    void pump();
    void statusReceived(unsigned char status);
    void openingSent();
    void endOpening();
    void forgetLinkState();
    void deviceGone();
    void outputDropped();
    void showClosed();
    void showOnLine(bool online, const char *why);
    // The answer watch: text sent makes the keyer due to answer, each byte from it
    // shows it alive, an idle status ends the wait.
    void expectAnswer(const std::string &text);
    void answerHeard(bool idle);
    void checkAnswer();
    bool wkShown() const { return wk_ && wk_->isShown(); }

    Contest &main_;
    SerialPort &port_;
    WkView *wk_ = nullptr;
    MemoView *memo_ = nullptr;
    std::function<void(int)> pause_;
    unsigned sequence_ = 0;  // steps of an older link are not run
    bool opening_ = false;
    std::string heldRx_;     // what the keyer said while the opening ran

    // Message text goes to the keyer no faster than its buffer takes it: a part
    // while the keyer is known to have room, then a status request (15) before the
    // next, and nothing while the keyer says XOFF.
    std::string outgoing_;
    size_t room_ = 48;       // bytes that may go before the keyer is asked again
    bool statusAsked_ = false;
    unsigned asks_ = 0;
    bool keyerXoff_ = false;
    bool reportingDrop_ = false;

    std::chrono::milliseconds answerSlack_{3000};
    std::chrono::steady_clock::time_point answerDue_;
    bool awaitingAnswer_ = false;
    bool silent_ = false;  // counted as not answering until its next byte
    QTimer answerWatch_;
};
