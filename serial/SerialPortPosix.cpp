// The serial port on the Linux terminal interface. Every platform call of the port lives here.

#include "serial/SerialPortBackend.h"

// termios2 rather than <termios.h>: the keyer's USB adapters take rates that have
// no B-constant (14400, 56000, 250000), and only termios2 passes any rate.
#include <asm/termbits.h>
#include <linux/serial.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

using namespace ComBits;

namespace {

struct StandardRate {
    uint32_t rate;
    tcflag_t code;
};
constexpr StandardRate kStandardRates[] = {
    {50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200}, {300, B300},
    {600, B600}, {1200, B1200}, {1800, B1800}, {2400, B2400}, {4800, B4800}, {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
    {460800, B460800}, {500000, B500000}, {576000, B576000}, {921600, B921600},
    {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
};

// Raw mode: no echo, no line editing, no character translation either way, no signals.
void makeRaw(termios2 &t)
{
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON
                                        | IXOFF | IXANY | INPCK | IGNPAR | IUCLC | IMAXBEL);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
}

bool isRaw(const termios2 &t)
{
    return !(t.c_lflag & (ECHO | ICANON | ISIG | IEXTEN)) && !(t.c_oflag & OPOST)
        && !(t.c_iflag & (INLCR | IGNCR | ICRNL | ISTRIP));
}

using Clock = std::chrono::steady_clock;

// What waits for the driver at most: nine minutes of keying at the keyer's 1200 baud.
constexpr size_t kOutputQueueLimit = 64 * 1024;
// Output that waits this long without a byte moving is held by the far end.
constexpr auto kHoldAfter = std::chrono::milliseconds(500);

// Bytes of one write that the driver has not taken yet.
struct WaitingOutput {
    std::string bytes;
    size_t sent = 0;
    bool limited = false;  // both write timeouts 0: no time limit
    Clock::time_point deadline;
};

int msUntil(Clock::time_point when, Clock::time_point now)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(when - now).count() + 1;
    return static_cast<int>(std::clamp<long long>(left, 0, 60000));
}

// Line-state requests that a pseudo-terminal or a simple adapter cannot answer.
bool notSupported(int error)
{
    return error == ENOTTY || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

class PosixSerialPort final : public SerialPortBackend {
public:
    ~PosixSerialPort() override { close(); }

    int open(const std::string &path) override
    {
        if (fd_ >= 0)
            return EBUSY;
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return errno;
        int error = 0;
        termios2 t{};
        if (::ioctl(fd, TCGETS2, &t) != 0) {
            error = errno == EINVAL ? ENOTTY : errno;  // not a serial device at all
        } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            // Another program (or another port object) holds it; TIOCEXCL alone does not stop root.
            error = errno == EWOULDBLOCK ? EBUSY : errno;
        }
        if (error == 0) {
            ::ioctl(fd, TIOCEXCL);
            saved_ = t;
            makeRaw(t);
            if (::ioctl(fd, TCSETS2, &t) != 0)
                error = errno;
        }
        int wake = -1;
        if (error == 0 && (wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) < 0)
            error = errno;
        if (error != 0) {
            ::close(fd);
            return error;
        }
        fd_ = fd;
        wakeFd_ = wake;
        stop_ = false;
        lost_ = false;
        lostReported_ = false;
        txPending_ = false;
        errorWord_ = 0;
        pendingEvents_ = 0;
        held_ = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            rx_.clear();
            received_ = 0;
            tx_.clear();
            txBytes_ = 0;
            lastOutq_ = 0;
            txMoved_ = Clock::now();
        }
        reported_ = 0;
        rx80Above_ = false;
        mask_ = 0;
        applied_ = AppliedLineSettings{};
        return 0;
    }

    int close() override
    {
        if (fd_ < 0)
            return 0;
        if (!lost_) {
            ::ioctl(fd_, TIOCNXCL);
            ::ioctl(fd_, TCSETS2, &saved_);
        }
        ::close(fd_);  // releases the advisory lock too
        fd_ = -1;
        if (wakeFd_ >= 0)
            ::close(wakeFd_);
        wakeFd_ = -1;
        return 0;
    }

    bool isOpen() const override { return fd_ >= 0; }

    int setupBuffers(int inputSize, int outputSize) override
    {
        // The terminal layer sizes its own queues; the sizes are kept for the 80 % mark.
        inputSize_ = inputSize;
        outputSize_ = outputSize;
        return fd_ < 0 ? EBADF : 0;
    }

    int applyLine(const SerialDcb &dcb) override
    {
        if (fd_ < 0)
            return EBADF;
        termios2 t{};
        if (::ioctl(fd_, TCGETS2, &t) != 0)
            return errno;
        makeRaw(t);
        t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS | CBAUD | CIBAUD);
        switch (dcb.ByteSize) {
        case 5: t.c_cflag |= CS5; break;
        case 6: t.c_cflag |= CS6; break;
        case 7: t.c_cflag |= CS7; break;
        case 8: t.c_cflag |= CS8; break;
        default: return EINVAL;
        }
        // No 1.5 stop bits here: two is the nearest that a receiver still reads.
        if (dcb.StopBits > 2)
            return EINVAL;
        if (dcb.StopBits != 0)
            t.c_cflag |= CSTOPB;
        switch (dcb.Parity) {
        case 0: break;
        case 1: t.c_cflag |= PARENB | PARODD; break;
        case 2: t.c_cflag |= PARENB; break;
        case 3: t.c_cflag |= PARENB | PARODD | CMSPAR; break;
        case 4: t.c_cflag |= PARENB | CMSPAR; break;
        default: return EINVAL;
        }
        if (dcb.Flags & fParity)
            t.c_iflag |= INPCK;  // a byte with a parity error arrives as 0
        if (dcb.Flags & fOutX)
            t.c_iflag |= IXON;
        if (dcb.Flags & fInX)
            t.c_iflag |= IXOFF;
        const unsigned rts = (dcb.Flags & fRtsControlMask) >> 12;
        if ((dcb.Flags & fOutxCtsFlow) || rts == 2)
            t.c_cflag |= CRTSCTS;
        t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
        t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);

        if (dcb.BaudRate == 0 || dcb.BaudRate > 0x7FFFFFFF)
            return EINVAL;
        const auto *standard = std::find_if(std::begin(kStandardRates), std::end(kStandardRates),
                                            [&](const StandardRate &r) { return r.rate == dcb.BaudRate; });
        if (standard != std::end(kStandardRates))
            t.c_cflag |= standard->code;
        else
            t.c_cflag |= BOTHER;
        t.c_ispeed = t.c_ospeed = dcb.BaudRate;
        if (::ioctl(fd_, TCSETS2, &t) != 0)
            return errno;

        // DTR and RTS follow ControlDTR and ControlRTS for as long as the port is open.
        // There is no DTR handshake here (it stays on), and nothing drives RTS around
        // each send for rtsToggle (it stays off).
        const unsigned dtr = (dcb.Flags & fDtrControlMask) >> 4;
        setLine(TIOCM_DTR, dtr != 0);
        if (rts != 2)
            setLine(TIOCM_RTS, rts == 1);

        discardNull_ = (dcb.Flags & fNull) != 0;
        eventChar_ = dcb.EvtChar;
        applied_.Valid = true;
        ++applied_.ApplyCount;
        applied_.Requested = dcb;
        termios2 back{};
        if (::ioctl(fd_, TCGETS2, &back) == 0) {
            applied_.DeviceBaudRate = back.c_ospeed;
            switch (back.c_cflag & CSIZE) {
            case CS5: applied_.DeviceByteSize = 5; break;
            case CS6: applied_.DeviceByteSize = 6; break;
            case CS7: applied_.DeviceByteSize = 7; break;
            default: applied_.DeviceByteSize = 8; break;
            }
            applied_.DeviceTwoStopBits = (back.c_cflag & CSTOPB) != 0;
            applied_.DeviceParityEnable = (back.c_cflag & PARENB) != 0;
            applied_.DeviceXonXoffOut = (back.c_iflag & IXON) != 0;
            applied_.DeviceXonXoffIn = (back.c_iflag & IXOFF) != 0;
            applied_.DeviceRtsCts = (back.c_cflag & CRTSCTS) != 0;
            applied_.DeviceRaw = isRaw(back);
        }
        return 0;
    }

    int applyTimeouts(const SerialTimeoutValues &timeouts) override
    {
        // Reads never wait here, whatever the read timeouts say; writes honour theirs.
        timeouts_ = timeouts;
        return fd_ < 0 ? EBADF : 0;
    }

    AppliedLineSettings applied() const override { return applied_; }

    // Never waits for the line: what the driver does not take at once waits in the
    // port's own queue, which the event thread sends from as the line takes it.
    int write(const char *data, int size, int &accepted) override
    {
        accepted = 0;
        if (fd_ < 0)
            return EBADF;
        if (lost_)
            return EIO;
        std::lock_guard<std::mutex> lock(mutex_);
        const auto now = Clock::now();
        int done = 0;
        if (tx_.empty()) {
            while (done < size) {
                const ssize_t n = ::write(fd_, data + done, static_cast<size_t>(size - done));
                if (n > 0) {
                    done += static_cast<int>(n);
                    continue;
                }
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0 && errno != EAGAIN) {
                    accepted = done;
                    return errno;
                }
                break;
            }
            txMoved_ = now;  // the output moved, or begins to wait now
        }
        if (done < size) {
            const size_t room = kOutputQueueLimit - std::min(txBytes_, kOutputQueueLimit);
            const size_t keep = std::min(static_cast<size_t>(size - done), room);
            if (keep > 0) {
                // Each write keeps the time limit the write timeouts give it, counted from now.
                const uint64_t limitMs = uint64_t(timeouts_.WriteTotalTimeoutConstant)
                                       + uint64_t(timeouts_.WriteTotalTimeoutMultiplier) * uint64_t(size);
                WaitingOutput waiting;
                waiting.bytes.assign(data + done, keep);
                waiting.limited = limitMs != 0;
                waiting.deadline = now + std::chrono::milliseconds(std::min<uint64_t>(limitMs, 1ULL << 40));
                tx_.push_back(std::move(waiting));
                txBytes_ += keep;
            }
            if (keep < static_cast<size_t>(size - done))
                outputDropped();
            done += static_cast<int>(keep);
        }
        accepted = done;
        if (mask_ & EV_TXEMPTY)
            txPending_ = true;
        wake();
        return 0;
    }

    // Closing gives the output a short while, sending from the queue itself (the event
    // thread may be waiting for the window's thread); what is left then is purged.
    void drainOutput(int ms) override
    {
        if (fd_ < 0 || lost_)
            return;
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            bool waiting = false;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                flushLocked(Clock::now());
                waiting = !tx_.empty();
            }
            int queued = 0;
            if (!waiting && (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0))
                return;
            const auto now = Clock::now();
            if (now >= deadline)
                return;
            pollfd p{fd_, static_cast<short>(waiting ? POLLOUT : 0), 0};
            ::poll(&p, 1, std::min(msUntil(deadline, now), 5));
            if (p.revents & (POLLERR | POLLHUP | POLLNVAL))
                return;
        }
    }

    bool outputHeld() const override { return held_; }

    int read(char *data, int size, int &got) override
    {
        got = 0;
        if (fd_ < 0)
            return EBADF;
        std::lock_guard<std::mutex> lock(mutex_);
        const bool full = rx_.size() >= rxLimit();
        const bool arrived = pumpLocked();
        const size_t take = std::min(static_cast<size_t>(size), rx_.size());
        std::memcpy(data, rx_.data(), take);
        rx_.erase(0, take);
        got = static_cast<int>(take);
        // The event thread stopped taking from the driver while the queue was full.
        if (arrived || (full && take > 0) || pendingEvents_ != 0)
            wake();
        return 0;
    }

    int inputQueue(int &count) override
    {
        count = 0;
        if (fd_ < 0)
            return EBADF;
        std::lock_guard<std::mutex> lock(mutex_);
        const bool arrived = pumpLocked();
        count = static_cast<int>(rx_.size());
        if (arrived || pendingEvents_ != 0)
            wake();
        return 0;
    }

    int modemStatus(unsigned &status) override
    {
        status = 0;
        if (fd_ < 0)
            return EBADF;
        if (lost_)
            return 0;
        int bits = 0;
        if (::ioctl(fd_, TIOCMGET, &bits) != 0)
            return notSupported(errno) ? 0 : errno;  // reported as all lines off
        status = toModemStatus(bits);
        return 0;
    }

    int purge(unsigned flags) override
    {
        if (fd_ < 0)
            return EBADF;
        std::lock_guard<std::mutex> lock(mutex_);
        // Writes still waiting in the queue are the pending writes an abort cancels.
        if (flags & (PURGE_TXABORT | PURGE_TXCLEAR)) {
            tx_.clear();
            txBytes_ = 0;
        }
        const bool rx = flags & PURGE_RXCLEAR;
        // Only what the driver still holds is discarded. A pseudo-terminal holds nothing
        // (it passes each write on at once), and flushing it would take what was written
        // from the far end's input before the far end read it: a Host Close, say.
        int held = 0;
        const bool tx = (flags & PURGE_TXCLEAR) && ::ioctl(fd_, TIOCOUTQ, &held) == 0 && held > 0;
        if (rx)
            rx_.clear();
        if (lost_ || (!rx && !tx))
            return 0;
        const int selector = rx && tx ? TCIOFLUSH : rx ? TCIFLUSH : TCOFLUSH;
        return ::ioctl(fd_, TCFLSH, selector) == 0 ? 0 : errno;
    }

    int clearErrors(unsigned &errorWord) override
    {
        errorWord = errorWord_.exchange(0);
        return fd_ < 0 ? EBADF : 0;
    }

    int setEventMask(unsigned mask) override
    {
        if (fd_ < 0)
            return EBADF;
        mask_ = mask;
        if (mask == 0)
            return 0;
        int bits = 0;
        modemWatch_ = ::ioctl(fd_, TIOCMGET, &bits) == 0;
        lastModem_ = bits;
        countWatch_ = ::ioctl(fd_, TIOCGICOUNT, &lastCount_) == 0;
        return 0;
    }

    unsigned waitEvents() override
    {
        for (;;) {
            if (stop_)
                return 0;
            const unsigned mask = mask_;
            const bool wantRx = mask & (EV_RXCHAR | EV_RX80FULL | EV_RXFLAG);
            unsigned events = 0;
            bool rxRoom = true;
            bool txWaiting = false;
            int timeout = -1;
            const auto atMost = [&timeout](int ms) { timeout = timeout < 0 ? ms : std::min(timeout, ms); };
            if (!lost_) {
                if (wantRx)
                    checkReceived(mask, events, rxRoom);
                const bool outputWaiting = serviceOutput(events, txWaiting, atMost);
                if (txPending_ && (mask & EV_TXEMPTY) && !outputWaiting) {
                    txPending_ = false;
                    events |= EV_TXEMPTY;
                }
                checkLines(mask, events);
            }
            events |= pendingEvents_.exchange(0) & mask;
            if (lost_ && !lostReported_) {
                lostReported_ = true;
                errorWord_ |= CE_IOE;
                events |= EV_ERR;
            }
            if (events != 0)
                return events;

            // One wait covers the port and the stop request. While the input queue is
            // full the driver keeps the bytes (and tells the far end to wait) until a
            // read makes room; line states are looked at where no event tells of them.
            pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {fd_, 0, 0}};
            nfds_t count = 1;
            if (!lost_) {
                count = 2;
                if (wantRx && rxRoom)
                    fds[1].events |= POLLIN;
                if (txWaiting)
                    fds[1].events |= POLLOUT;
                if (txPending_ && (mask & EV_TXEMPTY))
                    atMost(2);
                if (watchingLines(mask))
                    atMost(100);
            }
            const int n = ::poll(fds, count, timeout);
            if (n < 0 && errno != EINTR) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            if (fds[0].revents & POLLIN) {
                uint64_t value;
                [[maybe_unused]] const auto r = ::read(wakeFd_, &value, sizeof value);
            }
            // A vanished device (USB keyer unplugged, far end of a pseudo-terminal
            // closed) stays "ready" for ever; it is reported once and not watched again.
            if (count == 2 && (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)))
                lost_ = true;
        }
    }

    void stopWaiting() override
    {
        stop_ = true;
        wake();
    }

private:
    static unsigned toModemStatus(int bits)
    {
        unsigned status = 0;
        if (bits & TIOCM_CTS)
            status |= MS_CTS_ON;
        if (bits & TIOCM_DSR)
            status |= MS_DSR_ON;
        if (bits & TIOCM_RNG)
            status |= MS_RING_ON;
        if (bits & TIOCM_CAR)
            status |= MS_RLSD_ON;
        return status;
    }

    void setLine(int line, bool on)
    {
        // A pseudo-terminal has no modem lines; that is not a failure.
        ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line);
    }

    void wake()
    {
        if (wakeFd_ < 0)
            return;
        const uint64_t one = 1;
        [[maybe_unused]] const auto r = ::write(wakeFd_, &one, sizeof one);
    }

    size_t rxLimit() const { return static_cast<size_t>(std::max(inputSize_.load(), 2)); }

    // Moves what the driver holds into the port's own input queue, up to the queue's
    // size. NULs are dropped here when asked, so that a count never takes in bytes a
    // read will not give, and the event character is looked for as it arrives.
    // True when bytes came: taken in by the owner's thread, the event thread waiting on
    // the driver would not hear of them unless it is woken.
    bool pumpLocked()
    {
        if (fd_ < 0 || lost_)
            return false;
        const uint64_t before = received_;
        char buffer[4096];
        while (rx_.size() < rxLimit()) {
            const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, rxLimit() - rx_.size()));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            char *end = buffer + n;
            if (discardNull_)
                end = std::remove(buffer, end, '\0');
            if (std::find(buffer, end, eventChar_.load()) != end)
                pendingEvents_ |= EV_RXFLAG;
            rx_.append(buffer, end);
            received_ += static_cast<uint64_t>(end - buffer);
        }
        return received_ != before;
    }

    // Reports bytes that arrived since the last report.
    void checkReceived(unsigned mask, unsigned &events, bool &room)
    {
        uint64_t arrived = 0;
        size_t queued = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            pumpLocked();
            arrived = received_;
            queued = rx_.size();
        }
        room = queued < rxLimit();
        if (arrived > reported_) {
            reported_ = arrived;
            if (mask & EV_RXCHAR)
                events |= EV_RXCHAR;
        }
        const bool above = queued * 10 >= rxLimit() * 8;
        if (above && !rx80Above_ && (mask & EV_RX80FULL))
            events |= EV_RX80FULL;
        rx80Above_ = above;
    }

    // Sends what waits as far as the line takes it. Caller holds mutex_.
    bool flushLocked(Clock::time_point now)
    {
        bool moved = false;
        while (!tx_.empty()) {
            WaitingOutput &front = tx_.front();
            const ssize_t n = ::write(fd_, front.bytes.data() + front.sent, front.bytes.size() - front.sent);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            moved = true;
            front.sent += static_cast<size_t>(n);
            txBytes_ -= static_cast<size_t>(n);
            if (front.sent == front.bytes.size())
                tx_.pop_front();
        }
        if (moved)
            txMoved_ = now;
        return moved;
    }

    // Bytes given up are a full transmit buffer to the owner: it hears of them as a line error.
    void outputDropped()
    {
        errorWord_ |= CE_TXFULL;
        pendingEvents_ |= EV_ERR;
    }

    // Sends from the queue, gives up what waited past its write timeout, and tells
    // when the output stops moving (XOFF or CTS from the far end) and moves again.
    // True while output waits, in the port's queue or in the driver's.
    template <typename AtMost>
    bool serviceOutput(unsigned &events, bool &waitingInQueue, AtMost atMost)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto now = Clock::now();
        bool moved = flushLocked(now);
        bool dropped = false;
        while (!tx_.empty() && tx_.front().limited && now >= tx_.front().deadline) {
            txBytes_ -= tx_.front().bytes.size() - tx_.front().sent;
            tx_.pop_front();
            dropped = true;
        }
        if (dropped)
            outputDropped();
        int queued = 0;
        if (::ioctl(fd_, TIOCOUTQ, &queued) != 0)
            queued = 0;
        if (queued < lastOutq_)
            moved = true;
        lastOutq_ = queued;
        const bool waiting = !tx_.empty() || queued > 0;
        if (moved || !waiting)
            txMoved_ = now;
        const bool held = waiting && now - txMoved_ >= kHoldAfter;
        if (held != held_) {
            held_ = held;
            events |= EV_TXHOLD;
        }
        waitingInQueue = !tx_.empty();
        if (waitingInQueue && tx_.front().limited)
            atMost(msUntil(tx_.front().deadline, now));
        if (waiting && !held)
            atMost(msUntil(txMoved_ + kHoldAfter, now));
        if (queued > 0)
            atMost(10);  // the driver tells nothing when its queue shrinks
        return waiting;
    }

    bool watchingLines(unsigned mask) const
    {
        return (modemWatch_ && (mask & (EV_CTS | EV_DSR | EV_RLSD | EV_RING)))
            || (countWatch_ && (mask & (EV_ERR | EV_BREAK)));
    }

    void checkLines(unsigned mask, unsigned &events)
    {
        if (modemWatch_ && (mask & (EV_CTS | EV_DSR | EV_RLSD | EV_RING))) {
            int bits = 0;
            if (::ioctl(fd_, TIOCMGET, &bits) == 0) {
                const int changed = bits ^ lastModem_;
                if ((changed & TIOCM_CTS) && (mask & EV_CTS))
                    events |= EV_CTS;
                if ((changed & TIOCM_DSR) && (mask & EV_DSR))
                    events |= EV_DSR;
                if ((changed & TIOCM_CAR) && (mask & EV_RLSD))
                    events |= EV_RLSD;
                if ((changed & TIOCM_RNG) && (bits & TIOCM_RNG) && (mask & EV_RING))
                    events |= EV_RING;
                lastModem_ = bits;
            } else if (errno == EIO || errno == ENODEV || errno == ENXIO) {
                lost_ = true;
            }
        }
        if (countWatch_ && (mask & (EV_ERR | EV_BREAK))) {
            serial_icounter_struct now{};
            if (::ioctl(fd_, TIOCGICOUNT, &now) == 0) {
                unsigned word = 0;
                if (now.frame != lastCount_.frame)
                    word |= CE_FRAME;
                if (now.parity != lastCount_.parity)
                    word |= CE_RXPARITY;
                if (now.overrun != lastCount_.overrun)
                    word |= CE_OVERRUN;
                if (now.buf_overrun != lastCount_.buf_overrun)
                    word |= CE_RXOVER;
                if (now.brk != lastCount_.brk) {
                    word |= CE_BREAK;
                    if (mask & EV_BREAK)
                        events |= EV_BREAK;
                }
                if (word != 0) {
                    errorWord_ |= word;
                    if (mask & EV_ERR)
                        events |= EV_ERR;
                }
                lastCount_ = now;
            }
        }
    }

    int fd_ = -1;
    int wakeFd_ = -1;
    termios2 saved_{};
    AppliedLineSettings applied_;
    SerialTimeoutValues timeouts_;
    int outputSize_ = 1024;

    // The port's own input and output queues, shared by the owner and the event thread.
    std::mutex mutex_;
    std::string rx_;
    uint64_t received_ = 0;  // bytes put into rx_ since the port opened
    std::deque<WaitingOutput> tx_;
    size_t txBytes_ = 0;
    Clock::time_point txMoved_;  // when output last moved, or began to wait
    int lastOutq_ = 0;

    // Set by the owner thread, read by the event thread too.
    std::atomic<int> inputSize_{1024};
    std::atomic<bool> discardNull_{false};
    std::atomic<char> eventChar_{0};
    std::atomic<unsigned> pendingEvents_{0};  // noticed outside the event thread's own checks
    std::atomic<bool> held_{false};
    std::atomic<unsigned> mask_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> lost_{false};
    std::atomic<bool> txPending_{false};
    std::atomic<unsigned> errorWord_{0};
    // Event thread only.
    bool lostReported_ = false;
    uint64_t reported_ = 0;
    bool rx80Above_ = false;
    bool modemWatch_ = false;
    int lastModem_ = 0;
    bool countWatch_ = false;
    serial_icounter_struct lastCount_{};
};

} // namespace

std::unique_ptr<SerialPortBackend> CreateComPortBackend()
{
    return std::make_unique<PosixSerialPort>();
}
