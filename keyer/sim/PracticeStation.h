#pragma once

#include "keyer/sim/AirSound.h"
#include "keyer/sim/Pileup.h"
#include "keyer/sim/PracticeCalls.h"
#include "keyer/sim/WinKeyerSim.h"

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

struct PracticeSettings {
    PileupSettings pileup;
    double pitch = 600;        // the operator's sidetone; the callers are around it
    double noise = 0.02;       // band noise, rms of full scale
    bool qrm = false;          // other stations near the frequency
    bool qrn = false;          // static crashes
    double timeScale = 1;      // as the keyer's: 0.1 runs ten times faster (silent tests)
    unsigned seed = 1;
    int sampleRate = 48000;
};

// A transmission on the air: who sent it (a caller's call, or "QRM"), what, and when in
// stream seconds.
struct OnAir {
    std::string who;
    std::string text;
    double start, end;
};

// The practice station: hears what the keyer puts on the air, lets the pileup answer the
// operator's overs, and makes the sound of it all as a stream of samples. Whoever plays
// the stream (a sound card, a file, or a clock when there is neither) sets its pace by
// asking for the next samples; the keyer's events arrive on its own thread.
class PracticeStation {
public:
    PracticeStation(PracticeSettings settings, PracticeCalls calls);

    // Hand this to WinKeyerSim::setAirMonitor.
    void keyerEvent(const WinKeyerSim::AirEvent &event);

    // The next `count` samples; with no `out` the session goes on unheard.
    void advance(float *out, size_t count);

    double streamSeconds() const;
    // Seconds since the operator's first over; 0 before it.
    double sessionSeconds() const;
    // The callers' transmissions that have ended, in the order they ended.
    std::vector<OnAir> heard() const;
    std::vector<Caller> callers() const;
    int sampleRate() const { return settings_.sampleRate; }

    // Told of each transmission of a caller as it ends, on the thread that plays the stream.
    void setShow(std::function<void(const OnAir &)> show);

private:
    double toStream(WinKeyerSim::Clock::time_point at);
    void takeEvents();
    void answerOver(double now);
    void addQrmAndQrn(double now, double until);
    void prune(double now);
    AirStation &stationOf(size_t caller);

    PracticeSettings settings_;
    PracticeCalls calls_;
    Pileup pileup_;
    AirRenderer renderer_;
    std::mt19937 rng_;

    mutable std::mutex mutex_;
    std::deque<WinKeyerSim::AirEvent> events_;
    int64_t samples_ = 0;
    AirScene scene_;  // station 0 is the operator's sidetone
    std::map<size_t, size_t> stationOfCaller_;
    bool anchored_ = false;
    WinKeyerSim::Clock::time_point anchorWall_{};
    double anchorStream_ = 0;
    std::string overText_;
    bool overPending_ = false;
    double overEnd_ = 0;
    double firstOver_ = -1;
    int operatorWpm_ = 25;
    std::vector<OnAir> scheduled_, heard_;
    double nextQrm_ = 5, nextCrash_ = 0;
    std::string qrmCall_;
    size_t qrmStation_ = 0;
    std::function<void(const OnAir &)> show_;
};

// Plays the stream at the pace of the clock (scaled as the station's time), for a file or
// for nobody when there is no sound card: `sink` gets each block, when given.
class ClockPace {
public:
    ClockPace(PracticeStation &station, std::function<void(const float *, size_t)> sink, double timeScale);
    ~ClockPace();
    ClockPace(const ClockPace &) = delete;
    ClockPace &operator=(const ClockPace &) = delete;

private:
    void run();

    PracticeStation &station_;
    std::function<void(const float *, size_t)> sink_;
    double scale_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
