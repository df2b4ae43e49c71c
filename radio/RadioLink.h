#pragma once

#include "logging/RadioActions.h"

#include <QObject>

#include <functional>
#include <string>

class Contest;
class QThread;
class RadioPoller;

// Which radio to read and how it is reached.
struct RadioConfig {
    int model = 0;     // Hamlib model number
    std::string port;  // serial device, or host:port for rigctld
    int baudRate = 0;  // 0: the radio's own default
    bool operator==(const RadioConfig &) const = default;
};

// The link to the radio through Hamlib. A worker thread opens the radio and reads its
// frequency and mode every PollMs; the readings and the link's state come back to this
// object on the window's thread, so a slow or dead radio never holds up a key. A radio
// that cannot be reached is tried again every RetryMs. While the band list stands on
// "CAT" the contest follows the readings.
class RadioLink : public QObject, public RadioActions {
    Q_OBJECT
public:
    static constexpr int PollMs = 250;
    static constexpr int RetryMs = 3000;

    enum class State { Off, Connecting, Connected, Failing };

    explicit RadioLink(Contest &main);
    ~RadioLink() override;

    Contest &main() { return main_; }

    // Opens the radio and reads it until stop(); a running link with another radio is closed first.
    void start(const RadioConfig &config);
    void stop();
    // The radio of the settings, when one is set up.
    RadioConfig configFromSettings() const;

    State state() const { return state_; }
    const RadioConfig &config() const { return config_; }
    // The link's state in the operator's words, with the last reading while connected.
    std::string status() const;

    // Opens the setup dialog; the program sets it once the dialog exists.
    void setSetupOpener(std::function<void()> opener) { opener_ = std::move(opener); }

    // RadioActions
    void follow(bool on) override;
    void showSetup() override;

signals:
    void statusChanged();

private:
    void takeReading(int session, double hz, const QString &mode);
    void takeStatus(int session, int state, const QString &text);
    void applyReading();
    void showStatusInMain();

    Contest &main_;
    QThread *thread_;
    RadioPoller *poller_;
    std::function<void()> opener_;
    RadioConfig config_;
    State state_ = State::Off;
    std::string statusText_ = "Not connected.";
    int session_ = 0;  // readings of an earlier start are dropped
    bool haveReading_ = false;
    double hz_ = 0;
    std::string mode_;
};
