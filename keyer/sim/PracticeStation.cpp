#include "keyer/sim/PracticeStation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double SidetoneAmplitude = 0.25;
// How long the keyer must have fallen silent before an over counts as ended: the logger
// sends the exchange that follows a call (Enter-sends-message) well within it, even on a
// busy machine.
constexpr double OverEndSeconds = 0.2;

} // namespace

PracticeStation::PracticeStation(PracticeSettings settings, PracticeCalls calls)
    : settings_(settings),
      calls_(std::move(calls)),
      pileup_(settings.pileup, [this](std::mt19937 &rng) { return calls_.draw(rng); }, settings.seed),
      renderer_(settings.sampleRate, settings.seed),
      rng_(settings.seed + 1)
{
    settings_.timeScale = settings_.timeScale > 0 ? settings_.timeScale : 1;
    AirStation sidetone;
    sidetone.pitch = settings_.pitch;
    sidetone.amplitude = SidetoneAmplitude;
    scene_.stations.push_back(sidetone);
    scene_.noise = settings_.noise;
    scene_.filterCentre = settings_.pitch;
}

void PracticeStation::keyerEvent(const WinKeyerSim::AirEvent &event)
{
    std::lock_guard lock(mutex_);
    events_.push_back(event);
}

void PracticeStation::setShow(std::function<void(const OnAir &)> show)
{
    std::lock_guard lock(mutex_);
    show_ = std::move(show);
}

double PracticeStation::streamSeconds() const
{
    std::lock_guard lock(mutex_);
    return static_cast<double>(samples_) / settings_.sampleRate;
}

double PracticeStation::sessionSeconds() const
{
    std::lock_guard lock(mutex_);
    return firstOver_ < 0 ? 0 : static_cast<double>(samples_) / settings_.sampleRate - firstOver_;
}

std::vector<OnAir> PracticeStation::heard() const
{
    std::lock_guard lock(mutex_);
    return heard_;
}

std::vector<Caller> PracticeStation::callers() const
{
    std::lock_guard lock(mutex_);
    return pileup_.callers();
}

// The keyer's times keep their spacing within a transmission; each transmission starts
// where the stream stands, so the sidetone is never later than one block.
double PracticeStation::toStream(WinKeyerSim::Clock::time_point at)
{
    const double now = static_cast<double>(samples_) / settings_.sampleRate;
    if (!anchored_) {
        anchored_ = true;
        anchorWall_ = at;
        anchorStream_ = now;
    }
    const double s = anchorStream_ + std::chrono::duration<double>(at - anchorWall_).count() / settings_.timeScale;
    if (s >= now)
        return s;
    anchorWall_ = at;
    anchorStream_ = now;
    return now;
}

void PracticeStation::takeEvents()
{
    AirStation &sidetone = scene_.stations[0];
    for (; !events_.empty(); events_.pop_front()) {
        const WinKeyerSim::AirEvent &e = events_.front();
        const double s = toStream(e.at);
        switch (e.kind) {
        case WinKeyerSim::AirEvent::Character:
            overPending_ = false;
            overText_.push_back(e.character);
            operatorWpm_ = e.wpm;
            KeyText(std::string(1, e.character), e.wpm, s, sidetone.keying);
            break;
        case WinKeyerSim::AirEvent::KeyDown:
            sidetone.keying.push_back({s, std::numeric_limits<double>::infinity()});
            break;
        case WinKeyerSim::AirEvent::KeyUp:
            if (!sidetone.keying.empty() && std::isinf(sidetone.keying.back().end))
                sidetone.keying.back().end = std::max(s, sidetone.keying.back().start);
            break;
        case WinKeyerSim::AirEvent::Idle:
            anchored_ = false;
            if (overText_.find_first_not_of(' ') != std::string::npos) {
                overPending_ = true;
                overEnd_ = s;
            }
            break;
        }
    }
}

AirStation &PracticeStation::stationOf(size_t caller)
{
    const auto [at, added] = stationOfCaller_.try_emplace(caller, scene_.stations.size());
    if (added) {
        const Caller &c = pileup_.callers()[caller];
        AirStation st;
        st.pitch = settings_.pitch + c.pitch;
        st.amplitude = c.amplitude;
        st.qsbDepth = c.qsbDepth;
        st.qsbHz = c.qsbHz;
        st.qsbPhase = c.qsbPhase;
        st.flutter = c.flutter;
        scene_.stations.push_back(st);
    }
    return scene_.stations[at->second];
}

void PracticeStation::answerOver(double now)
{
    overPending_ = false;
    if (firstOver_ < 0)
        firstOver_ = overEnd_;
    const std::vector<Transmission> replies = pileup_.hear(overText_, operatorWpm_);
    overText_.clear();
    for (const Transmission &r : replies) {
        const Caller &c = pileup_.callers()[r.caller];
        AirStation &st = stationOf(r.caller);
        double start = std::max(overEnd_ + r.delay, now + 0.01);
        if (!st.keying.empty())
            start = std::max(start, st.keying.back().end + 7 * DitSeconds(c.wpm));
        const double end = KeyText(r.text, c.wpm, start, st.keying);
        scheduled_.push_back({c.call, r.text, start, end});
    }
}

void PracticeStation::addQrmAndQrn(double now, double until)
{
    std::uniform_real_distribution<double> unit(0, 1);
    if (settings_.qrm && now >= nextQrm_) {
        // A neighbour a few hundred hertz off, running his own pileup.
        if (qrmCall_.empty() || unit(rng_) < 0.2) {
            qrmCall_ = PlausibleCall(rng_);
            AirStation st;
            st.pitch = settings_.pitch + (unit(rng_) < 0.5 ? -1 : 1) * (150 + 450 * unit(rng_));
            st.amplitude = 0.05 + 0.2 * unit(rng_);
            qrmStation_ = scene_.stations.size();
            scene_.stations.push_back(st);
        }
        const std::string texts[] = {"CQ TEST " + qrmCall_ + " " + qrmCall_ + " TEST", "TU " + qrmCall_ + " TEST",
                                     "5NN " + PlausibleExchange(rng_), qrmCall_};
        const std::string &text = texts[std::uniform_int_distribution<int>(0, 3)(rng_)];
        const double end = KeyText(text, 20 + 14 * unit(rng_), now + 0.05, scene_.stations[qrmStation_].keying);
        nextQrm_ = end + 2 + 10 * unit(rng_);
    }
    if (settings_.qrn) {
        if (nextCrash_ < now)
            nextCrash_ = now;
        while (nextCrash_ < until) {
            const double u = unit(rng_);
            scene_.crashes.push_back({nextCrash_, 0.05 + 0.5 * u * u, 0.01 + 0.07 * unit(rng_)});
            nextCrash_ += -1.5 * std::log(1 - unit(rng_));  // about one crash in 1.5 s
        }
    }
}

void PracticeStation::prune(double now)
{
    const double before = now - 1;
    for (AirStation &st : scene_.stations) {
        const auto keep = std::partition_point(st.keying.begin(), st.keying.end(),
                                               [&](const KeyDown &k) { return k.end < before; });
        st.keying.erase(st.keying.begin(), keep);
    }
    std::erase_if(scene_.crashes, [&](const Crash &c) { return c.start + 10 * c.decay < before; });
}

void PracticeStation::advance(float *out, size_t count)
{
    std::vector<OnAir> ended;
    std::function<void(const OnAir &)> show;
    {
        std::lock_guard lock(mutex_);
        const double now = static_cast<double>(samples_) / settings_.sampleRate;
        takeEvents();
        if (overPending_ && now >= overEnd_ + OverEndSeconds)
            answerOver(now);
        addQrmAndQrn(now, now + static_cast<double>(count) / settings_.sampleRate + 1);
        auto done = std::stable_partition(scheduled_.begin(), scheduled_.end(),
                                          [&](const OnAir &a) { return a.end <= now; });
        ended.assign(scheduled_.begin(), done);
        scheduled_.erase(scheduled_.begin(), done);
        std::sort(ended.begin(), ended.end(), [](const OnAir &a, const OnAir &b) { return a.end < b.end; });
        heard_.insert(heard_.end(), ended.begin(), ended.end());
        if (out)
            renderer_.render(scene_, samples_, out, count);
        const int64_t second = samples_ / settings_.sampleRate;
        samples_ += static_cast<int64_t>(count);
        if (samples_ / settings_.sampleRate != second)
            prune(now);
        show = show_;
    }
    if (show)
        for (const OnAir &a : ended)
            show(a);
}

ClockPace::ClockPace(PracticeStation &station, std::function<void(const float *, size_t)> sink, double timeScale)
    : station_(station), sink_(std::move(sink)), scale_(timeScale > 0 ? timeScale : 1), thread_([this] { run(); })
{
}

ClockPace::~ClockPace()
{
    stop_ = true;
    thread_.join();
}

void ClockPace::run()
{
    using namespace std::chrono;
    const size_t block = static_cast<size_t>(station_.sampleRate() / 200);  // 5 ms
    std::vector<float> samples(block);
    const auto start = steady_clock::now();
    int64_t done = 0;
    while (!stop_) {
        const double elapsed = duration<double>(steady_clock::now() - start).count() / scale_;
        const auto due = static_cast<int64_t>(elapsed * station_.sampleRate());
        for (; done + static_cast<int64_t>(block) <= due && !stop_; done += static_cast<int64_t>(block)) {
            station_.advance(sink_ ? samples.data() : nullptr, block);
            if (sink_)
                sink_(samples.data(), block);
        }
        std::this_thread::sleep_for(duration<double>(0.0025 * scale_));
    }
}
