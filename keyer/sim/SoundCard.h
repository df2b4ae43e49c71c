#pragma once

#include <functional>
#include <memory>
#include <string>

class PracticeStation;
class QThread;

// The practice stream on the sound card through Qt Multimedia: a QAudioSink in push mode
// with a short buffer, fed from a thread of its own (with the event loop the sink needs)
// as fast as the card takes the samples, so the card's clock sets the pace.
class SoundCard {
public:
    // The rate to build the station for: the card's own when it cannot take 48 kHz; 0 when
    // there is no sound device.
    static int probeSampleRate(std::string *why);

    explicit SoundCard(PracticeStation &station);
    ~SoundCard();
    SoundCard(const SoundCard &) = delete;
    SoundCard &operator=(const SoundCard &) = delete;

    // Plays until destroyed. onFailure is told once, on the card's thread, when the card
    // stops taking samples; the caller then paces the station by the clock.
    bool start(std::function<void(const std::string &why)> onFailure, std::string *why);

private:
    PracticeStation &station_;
    std::unique_ptr<QThread> thread_;
};
