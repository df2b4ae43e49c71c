#include "keyer/sim/WinKeyerSim.h"

#include "keyer/sim/Morse.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Parameter bytes that follow each command byte (0x00..0x1F), so a parameter that
// happens to look like text or another command is never taken for one.
constexpr unsigned char ParameterCount[32] = {
    1,  // 00 admin: the sub-command, then its own parameters
    1,  // 01 sidetone
    1,  // 02 speed
    1,  // 03 weighting
    2,  // 04 PTT lead/tail
    3,  // 05 speed pot setup
    1,  // 06 pause
    0,  // 07 get speed pot
    0,  // 08 backspace
    1,  // 09 pin configuration
    0,  // 0A clear buffer
    1,  // 0B key immediate
    1,  // 0C HSCW speed
    1,  // 0D Farnsworth speed
    1,  // 0E mode
    15, // 0F load defaults
    1,  // 10 first extension
    1,  // 11 key compensation
    1,  // 12 paddle switchpoint
    0,  // 13 null
    1,  // 14 software paddle
    0,  // 15 request status
    1,  // 16 pointer: the sub-command, then its own parameter
    1,  // 17 dit/dah ratio
    1,  // 18 PTT on/off (buffered)
    1,  // 19 key buffered
    1,  // 1A wait
    2,  // 1B merge letters
    1,  // 1C buffered speed change
    1,  // 1D HSCW buffered
    0,  // 1E cancel buffered speed change
    0,  // 1F buffered nop
};

size_t adminParameterCount(unsigned char sub)
{
    switch (sub) {
    case 0x00:  // calibrate
    case 0x04:  // echo test
    case 0x0E:  // send standalone message
    case 0x0F:  // load X1 mode
        return 1;
    default:
        return 0;
    }
}

// "00 04 07 43 51  ...CQ": the bytes, then as text for the operator watching.
std::string monitorLine(const char *arrow, const std::string &bytes)
{
    std::string out = arrow, text;
    char buf[4];
    for (unsigned char b : bytes) {
        std::snprintf(buf, sizeof buf, " %02X", b);
        out += buf;
        text.push_back(b >= 32 && b < 127 ? static_cast<char>(b) : '.');
    }
    return out + "  " + text;
}

} // namespace

WinKeyerSim::WinKeyerSim() = default;

WinKeyerSim::~WinKeyerSim() { stop(); }

bool WinKeyerSim::start(std::string *error)
{
    auto fail = [&](const char *what) {
        if (error)
            *error = std::string(what) + ": " + std::strerror(errno);
        closeFds();
        return false;
    };
    if (running())
        return true;
    if (thread_.joinable())
        thread_.join();  // a keyer that was unplugged: plug in a new one
    closeFds();

    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        return fail("posix_openpt");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0)
        return fail("unlockpt");
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0)
        return fail("ptsname");
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0)
        return fail("open slave");
    // Raw from the start: a line discipline that echoes would hand the keyer its own replies.
    termios tio{};
    if (tcgetattr(slave_, &tio) != 0)
        return fail("tcgetattr");
    cfmakeraw(&tio);
    if (tcsetattr(slave_, TCSANOW, &tio) != 0)
        return fail("tcsetattr");
    const int flags = fcntl(master_, F_GETFL);
    fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0)
        return fail("eventfd");

    {
        std::lock_guard lock(mutex_);
        path_ = name;
        stopping_ = false;
        running_ = true;
    }
    thread_ = std::thread([this] { run(); });
    return true;
}

void WinKeyerSim::stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake();
    if (thread_.joinable())
        thread_.join();
    closeFds();
}

void WinKeyerSim::unplug()
{
    post([this] {
        ::close(master_);
        master_ = -1;
        ::close(slave_);
        slave_ = -1;
    });
}

bool WinKeyerSim::running() const
{
    std::lock_guard lock(mutex_);
    return running_;
}

std::string WinKeyerSim::slavePath() const
{
    std::lock_guard lock(mutex_);
    return path_;
}

void WinKeyerSim::setTimeScale(double scale)
{
    post([this, scale] { scale_ = std::max(0.0, scale); });
}

void WinKeyerSim::setRevision(int revisionByte)
{
    post([this, revisionByte] { revision_ = revisionByte & 0xFF; });
}

void WinKeyerSim::setBufferSize(int bytes)
{
    post([this, bytes] { bufferSize_ = static_cast<size_t>(std::max(0, bytes)); });
}

void WinKeyerSim::turnKnob(int wpm)
{
    post([this, wpm] {
        // The knob turns only across the range the host set up, as the keyer scales it.
        const int step = std::clamp(wpm - potMin_, 0, std::min(potRange_, 63));
        potWpm_ = potMin_ + step;
        if (hostOpen_)
            writeByte(128 + step);
    });
}

void WinKeyerSim::touchPaddle()
{
    post([this] {
        if (!hostOpen_ || paddleDown_)
            return;
        // A paddle breaks in: whatever the host had buffered is dropped.
        buffer_.clear();
        xoff_ = false;
        if (phase_ != Phase::Idle)
            tellAir({AirEvent::Idle, Clock::now()});
        phase_ = Phase::Idle;
        bufferedWpm_ = 0;
        paddleDown_ = true;
        writeByte(198);
    });
}

void WinKeyerSim::releasePaddle()
{
    post([this] {
        if (!paddleDown_)
            return;
        paddleDown_ = false;
        if (hostOpen_)
            writeByte(statusByte());
    });
}

void WinKeyerSim::sendRaw(const std::string &bytes)
{
    post([this, bytes] { write(bytes); });
}

std::string WinKeyerSim::received() const
{
    std::lock_guard lock(mutex_);
    return received_;
}

std::string WinKeyerSim::sent() const
{
    std::lock_guard lock(mutex_);
    return sent_;
}

std::vector<WinKeyerSim::Chunk> WinKeyerSim::receivedChunks() const
{
    std::lock_guard lock(mutex_);
    return receivedChunks_;
}

std::vector<WinKeyerSim::Chunk> WinKeyerSim::sentChunks() const
{
    std::lock_guard lock(mutex_);
    return sentChunks_;
}

std::vector<WinKeyerSim::Keyed> WinKeyerSim::keyed() const
{
    std::lock_guard lock(mutex_);
    return keyed_;
}

std::string WinKeyerSim::keyedText() const
{
    std::lock_guard lock(mutex_);
    std::string text;
    for (const Keyed &k : keyed_)
        text.push_back(k.character);
    return text;
}

void WinKeyerSim::clearRecords()
{
    std::lock_guard lock(mutex_);
    received_.clear();
    handled_ = 0;
    sent_.clear();
    receivedChunks_.clear();
    sentChunks_.clear();
    keyed_.clear();
}

bool WinKeyerSim::hostOpen() const
{
    std::lock_guard lock(mutex_);
    return hostOpenShown_;
}

int WinKeyerSim::modeRegister() const
{
    std::lock_guard lock(mutex_);
    return modeShown_;
}

bool WinKeyerSim::waitForReceived(size_t count, std::chrono::milliseconds timeout) const
{
    return waitUntil([count](const std::string &r, const std::string &) { return r.size() >= count; },
                     timeout);
}

bool WinKeyerSim::waitForSent(size_t count, std::chrono::milliseconds timeout) const
{
    return waitUntil([count](const std::string &, const std::string &s) { return s.size() >= count; },
                     timeout);
}

bool WinKeyerSim::waitUntil(
    const std::function<bool(const std::string &, const std::string &)> &done,
    std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
        return handled_ == received_.size() ? done(received_, sent_)
                                            : done(received_.substr(0, handled_), sent_);
    });
}

void WinKeyerSim::setMonitor(std::function<void(const std::string &)> monitor)
{
    std::lock_guard lock(mutex_);
    monitor_ = std::move(monitor);
}

void WinKeyerSim::setAirMonitor(std::function<void(const AirEvent &)> monitor)
{
    post([this, monitor = std::move(monitor)] { airMonitor_ = monitor; });
}

void WinKeyerSim::tellAir(AirEvent event)
{
    if (airMonitor_)
        airMonitor_(event);
}

void WinKeyerSim::post(std::function<void()> request)
{
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(std::move(request));
    }
    wake();
}

void WinKeyerSim::wake()
{
    if (wakeFd_ >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof one);
    }
}

void WinKeyerSim::closeFds()
{
    for (int *fd : {&master_, &slave_, &wakeFd_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void WinKeyerSim::run()
{
    bool readable = false;
    for (;;) {
        // Requests first: one made before the host wrote acts before those bytes are read.
        std::vector<std::function<void()>> requests;
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                break;
            requests.swap(requests_);
        }
        for (auto &request : requests)
            request();
        if (master_ < 0)
            break;  // unplugged

        if (readable) {
            char buf[4096];
            ssize_t got;
            while ((got = ::read(master_, buf, sizeof buf)) > 0)
                onBytes(std::string(buf, static_cast<size_t>(got)));
            readable = false;
        }

        step(Clock::now());

        // Sleep until the next element edge, a byte from the host or a request.
        timespec wait{};
        timespec *timeout = nullptr;
        Clock::time_point due = Clock::time_point::max();
        if (phase_ != Phase::Idle)
            due = nextAt_;
        if (due != Clock::time_point::max()) {
            const auto left = std::max(Clock::duration::zero(), due - Clock::now());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            wait.tv_sec = static_cast<time_t>(ns / 1000000000);
            wait.tv_nsec = static_cast<long>(ns % 1000000000);
            timeout = &wait;
        }
        pollfd fds[2] = {{master_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        const int n = ppoll(fds, 2, timeout, nullptr);
        if (n < 0 && errno != EINTR)
            break;
        if (n <= 0)
            continue;
        if (fds[1].revents & POLLIN) {
            uint64_t count;
            [[maybe_unused]] ssize_t r = ::read(wakeFd_, &count, sizeof count);
        }
        readable = fds[0].revents & POLLIN;
    }
    {
        std::lock_guard lock(mutex_);
        running_ = false;
        hostOpenShown_ = false;
    }
    changed_.notify_all();
}

void WinKeyerSim::onBytes(const std::string &bytes)
{
    // Recorded before the replies go out, so a host that got a reply finds its cause
    // in received(); counted as handled only after, so a waiter sees the keyer's answer.
    std::function<void(const std::string &)> monitor;
    {
        std::lock_guard lock(mutex_);
        receivedChunks_.push_back({bytes, Clock::now()});
        received_ += bytes;
        monitor = monitor_;
    }
    if (monitor)
        monitor(monitorLine("<-", bytes));
    for (unsigned char b : bytes)
        onByte(b);
    {
        std::lock_guard lock(mutex_);
        handled_ = received_.size();
        hostOpenShown_ = hostOpen_;
        modeShown_ = mode_;
    }
    changed_.notify_all();
}

void WinKeyerSim::onByte(unsigned char b)
{
    if (frameNeed_ > 0) {
        frame_.push_back(static_cast<char>(b));
        --frameNeed_;
        // The admin and pointer commands tell their own length in their first parameter.
        if (frame_.size() == 2 && frame_[0] == 0x00)
            frameNeed_ = adminParameterCount(b);
        else if (frame_.size() == 2 && frame_[0] == 0x16)
            frameNeed_ = b == 0x00 ? 0 : 1;
        if (frameNeed_ == 0)
            execute(frame_);
        return;
    }
    if (b < 0x20) {
        frame_.assign(1, static_cast<char>(b));
        frameNeed_ = ParameterCount[b];
        if (frameNeed_ == 0)
            execute(frame_);
        return;
    }
    if (hostOpen_)
        enqueue({Item::Text, b});
}

void WinKeyerSim::execute(const std::string &frame)
{
    const auto at = [&](size_t i) { return static_cast<unsigned char>(frame[i]); };
    const unsigned char command = at(0);
    if (command == 0x00) {
        switch (at(1)) {
        case 0x02:
            hostOpen_ = true;
            writeByte(revision_);
            break;
        case 0x03:
            stopSending(false);
            paddleDown_ = false;
            hostOpen_ = false;
            break;
        case 0x04:
            writeByte(at(2));
            break;
        default:
            break;
        }
        return;
    }
    if (!hostOpen_)
        return;  // outside host mode the keyer listens to admin commands only
    switch (command) {
    case 0x02:
        wpm_ = at(1);
        break;
    case 0x05:
        potMin_ = at(1);
        potRange_ = at(2);
        break;
    case 0x07:
        writeByte(128 + std::clamp(potWpm_ - potMin_, 0, 63));
        break;
    case 0x0A:
        stopSending(true);
        break;
    case 0x0B:
        if (at(1) != 0) {
            keyDown_ = true;
            writeByte(statusByte());
            tellAir({AirEvent::KeyDown, Clock::now()});
        } else if (keyDown_) {
            keyDown_ = false;
            writeByte(statusByte());
            tellAir({AirEvent::KeyUp, Clock::now()});
        }
        break;

    case 0x0E:
        mode_ = at(1);
        break;
    case 0x15:
        writeByte(statusByte());
        break;
    case 0x1C:
        enqueue({Item::Speed, at(1)});
        break;
    case 0x1E:
        enqueue({Item::CancelSpeed, 0});
        break;
    default:
        break;
    }
}

// The keyer's flow control: XOFF in the status when its buffer is two thirds full,
// cleared when no more than a third is left.
void WinKeyerSim::reportXoff()
{
    if (bufferSize_ == 0)
        return;
    const bool xoff = xoff_ ? buffer_.size() > bufferSize_ / 3 : buffer_.size() > bufferSize_ * 2 / 3;
    if (xoff == xoff_)
        return;
    xoff_ = xoff;
    writeByte(statusByte());
}

void WinKeyerSim::enqueue(Item item)
{
    if (bufferSize_ && buffer_.size() >= bufferSize_)
        return;  // a full buffer loses what the host sends on
    buffer_.push_back(item);
    reportXoff();
    if (phase_ == Phase::Idle && item.kind == Item::Text) {
        writeByte(196);
        phase_ = Phase::Gap;  // an empty gap: the first character starts at once
        nextAt_ = Clock::now();
    }
}

int WinKeyerSim::statusByte() const
{
    const int xoff = xoff_ ? 1 : 0;
    if (keyDown_)
        return 216 | xoff;
    if (phase_ != Phase::Idle)
        return 196 | xoff;
    return 192 | xoff;
}

int WinKeyerSim::sendingWpm() const
{
    int wpm = bufferedWpm_ ? bufferedWpm_ : (wpm_ ? wpm_ : potWpm_);
    return std::clamp(wpm, 5, 99);
}

WinKeyerSim::Clock::duration WinKeyerSim::dits(int count, int wpm) const
{
    const double ms = count * 1200.0 / wpm * scale_;
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(ms));
}

void WinKeyerSim::stopSending(bool report)
{
    const bool wasActive = phase_ != Phase::Idle || keyDown_;
    if (keyDown_)
        tellAir({AirEvent::KeyUp, Clock::now()});
    if (phase_ != Phase::Idle)
        tellAir({AirEvent::Idle, Clock::now()});
    buffer_.clear();
    xoff_ = false;
    phase_ = Phase::Idle;
    bufferedWpm_ = 0;
    keyDown_ = false;
    if (report && wasActive)
        writeByte(192);
}

void WinKeyerSim::step(Clock::time_point now)
{
    while (phase_ != Phase::Idle && now >= nextAt_) {
        if (phase_ == Phase::Keying) {
            // The character has gone out: echo it, then the letter space.
            if (mode_ & 0x04)
                writeByte(static_cast<unsigned char>(current_));
            const int wpm = sendingWpm();
            nextAt_ += dits(current_ == ' ' ? 4 : 3, wpm);
            phase_ = Phase::Gap;
            continue;
        }
        // Gap over: take the next character, applying buffered speed changes on the way.
        const char *pattern = nullptr;
        while (!buffer_.empty() && !pattern) {
            const Item item = buffer_.front();
            buffer_.pop_front();
            reportXoff();
            if (item.kind == Item::Speed) {
                bufferedWpm_ = item.value;
            } else if (item.kind == Item::CancelSpeed) {
                bufferedWpm_ = 0;
            } else if (item.value == ' ') {
                current_ = ' ';
                pattern = "";
            } else if ((pattern = MorsePattern(static_cast<char>(item.value)))) {
                current_ = static_cast<char>(item.value);
            }
        }
        if (!pattern) {
            phase_ = Phase::Idle;
            bufferedWpm_ = 0;
            writeByte(192);
            tellAir({AirEvent::Idle, nextAt_});
            break;
        }
        const int wpm = sendingWpm();
        {
            std::lock_guard lock(mutex_);
            keyed_.push_back({current_, wpm});
        }
        tellAir({AirEvent::Character, nextAt_, current_, wpm});
        nextAt_ += dits(KeyingDits(pattern), wpm);
        phase_ = Phase::Keying;
    }
}

void WinKeyerSim::write(const std::string &bytes)
{
    if (master_ < 0 || bytes.empty())
        return;
    std::function<void(const std::string &)> monitor;
    ssize_t n;
    {
        // Written and recorded under one lock: a host that read the bytes finds them in sent().
        std::lock_guard lock(mutex_);
        hostOpenShown_ = hostOpen_;
        modeShown_ = mode_;
        // A host that does not read loses what the keyer says, as on a real line.
        const auto at = Clock::now();
        n = ::write(master_, bytes.data(), bytes.size());
        if (n > 0) {
            sentChunks_.push_back({bytes.substr(0, static_cast<size_t>(n)), at});
            sent_ += sentChunks_.back().bytes;
        }
        monitor = monitor_;
    }
    changed_.notify_all();
    if (monitor && n > 0)
        monitor(monitorLine("->", bytes.substr(0, static_cast<size_t>(n))));
}
