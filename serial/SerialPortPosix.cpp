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
        consumed_ = 0;
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

    int write(const char *data, int size, int &written) override
    {
        written = 0;
        if (fd_ < 0)
            return EBADF;
        if (lost_)
            return EIO;
        using Clock = std::chrono::steady_clock;
        // Both totals 0 means no time limit, as on the keyer's original platform.
        const uint64_t limitMs = uint64_t(timeouts_.WriteTotalTimeoutConstant)
                               + uint64_t(timeouts_.WriteTotalTimeoutMultiplier) * uint64_t(size);
        const bool limited = limitMs != 0;
        const auto deadline = Clock::now() + std::chrono::milliseconds(std::min<uint64_t>(limitMs, 1ULL << 40));
        const auto msLeft = [&]() -> int {
            if (!limited)
                return -1;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            return static_cast<int>(std::clamp<long long>(left, 0, 60000));
        };

        int done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd_, data + done, static_cast<size_t>(size - done));
            if (n > 0) {
                done += static_cast<int>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN) {
                written = done;
                return errno;
            }
            const int wait = msLeft();
            if (wait == 0 && limited)
                break;
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, wait) < 0 && errno != EINTR) {
                written = done;
                return errno;
            }
            if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) {
                written = done;
                return EIO;
            }
        }
        written = done;
        if (mask_ & EV_TXEMPTY) {
            txPending_ = true;
            wake();
        }
        return 0;
    }

    // A write returns once the driver holds the bytes, so the operator's keys never
    // wait for the line; closing waits here instead, so a Host Close still goes out.
    void drainOutput() override
    {
        if (fd_ < 0 || lost_)
            return;
        using Clock = std::chrono::steady_clock;
        int queued = 0;
        if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0)
            return;
        const uint64_t limitMs = uint64_t(timeouts_.WriteTotalTimeoutConstant)
                               + uint64_t(timeouts_.WriteTotalTimeoutMultiplier) * uint64_t(queued);
        const auto deadline = Clock::now() + std::chrono::milliseconds(std::min<uint64_t>(limitMs, 60000));
        while (::ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0 && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    int read(char *data, int size, int &got) override
    {
        got = 0;
        if (fd_ < 0)
            return EBADF;
        ssize_t n;
        do {
            n = ::read(fd_, data, static_cast<size_t>(size));
        } while (n < 0 && errno == EINTR);
        if (n < 0)
            return errno == EAGAIN ? 0 : errno;
        consumed_ += static_cast<uint64_t>(n);
        int count = static_cast<int>(n);
        if (discardNull_)
            count = static_cast<int>(std::remove(data, data + count, '\0') - data);
        got = count;
        return 0;
    }

    int inputQueue(int &count) override
    {
        count = 0;
        if (fd_ < 0)
            return EBADF;
        if (lost_)
            return 0;
        return ::ioctl(fd_, FIONREAD, &count) == 0 ? 0 : errno;
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
        // Reads and writes never stay pending here, so there is nothing to abort.
        const bool rx = flags & PURGE_RXCLEAR;
        bool tx = flags & PURGE_TXCLEAR;
        // Output is discarded only while the device still reports it queued. A
        // pseudo-terminal reports none, yet a flush there discards the bytes its far
        // end has not read yet: the keyer simulator would lose the Host Close.
        if (tx && !lost_) {
            int queued = 0;
            tx = ::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued > 0;
        }
        if (lost_ || (!rx && !tx))
            return 0;
        if (rx) {
            int queued = 0;
            if (::ioctl(fd_, FIONREAD, &queued) == 0 && queued > 0)
                consumed_ += static_cast<uint64_t>(queued);
        }
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
            const bool wantRx = mask & (EV_RXCHAR | EV_RX80FULL);
            unsigned events = 0;
            bool unread = false;
            if (!lost_) {
                if (wantRx)
                    checkReceived(mask, events, unread);
                if (txPending_ && (mask & EV_TXEMPTY)) {
                    int queued = 0;
                    if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) {
                        txPending_ = false;
                        events |= EV_TXEMPTY;
                    }
                }
                checkLines(mask, events);
            }
            if (lost_ && !lostReported_) {
                lostReported_ = true;
                errorWord_ |= CE_IOE;
                events |= EV_ERR;
            }
            if (events != 0)
                return events;

            // One wait covers the port and the stop request. Bytes already reported but
            // not yet read keep the port readable, so then only new arrivals are looked
            // for, a few times a second; line states are looked at where no event tells of them.
            pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {fd_, 0, 0}};
            nfds_t count = 1;
            int timeout = -1;
            const auto atMost = [&timeout](int ms) { timeout = timeout < 0 ? ms : std::min(timeout, ms); };
            if (!lost_) {
                count = 2;
                if (wantRx && !unread)
                    fds[1].events = POLLIN;
                if (wantRx && unread)
                    atMost(10);
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

    // Reports bytes that arrived since the last report. The driver only tells how
    // many are waiting, so arrivals are counted as (read or purged so far + waiting).
    void checkReceived(unsigned mask, unsigned &events, bool &unread)
    {
        int queued = 0;
        if (::ioctl(fd_, FIONREAD, &queued) != 0) {
            if (errno == EIO || errno == ENODEV || errno == ENXIO)
                lost_ = true;
            return;
        }
        unread = queued > 0;
        const uint64_t arrived = consumed_ + static_cast<uint64_t>(std::max(queued, 0));
        if (arrived < reported_)
            reported_ = arrived;  // bytes dropped by a purge were never counted
        if (arrived > reported_) {
            reported_ = arrived;
            if (mask & EV_RXCHAR)
                events |= EV_RXCHAR;
        }
        const bool above = inputSize_ > 0 && queued * 10 >= inputSize_ * 8;
        if (above && !rx80Above_ && (mask & EV_RX80FULL))
            events |= EV_RX80FULL;
        rx80Above_ = above;
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

    // Set by the owner thread, read by the event thread too.
    std::atomic<int> inputSize_{1024};
    std::atomic<bool> discardNull_{false};
    std::atomic<unsigned> mask_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> lost_{false};
    std::atomic<bool> txPending_{false};
    std::atomic<unsigned> errorWord_{0};
    std::atomic<uint64_t> consumed_{0};
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
