#pragma once

#include "serial/SerialPort.h"
#include "support/TestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

// A pseudo-terminal standing in for the keyer: the port opens slavePath, the test
// plays the keyer on the master side. The test keeps a slave descriptor of its own
// so that the master stays usable while the port is closed and reopened.
class PtyPair {
public:
    PtyPair()
    {
        char name[128] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        slavePath = name;
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair()
    {
        ::close(master_);
        ::close(slave_);
    }
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    // Writes as fast as the port reads; the event loop runs meanwhile, as the port's reads may need it.
    void send(const std::string &bytes, int ms = 10000)
    {
        size_t done = 0;
        waitUntil([&] {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            done += n > 0 ? static_cast<size_t>(n) : 0;
            return done == bytes.size();
        }, ms);
        if (done < bytes.size())
            ADD_FAILURE() << "the port took " << done << " of " << bytes.size() << " bytes in " << ms << " ms";
    }

    // Reads what the port sent until `count` bytes arrived or `ms` passed.
    std::string receive(size_t count, int ms = 2000)
    {
        std::string got;
        waitUntil([&] {
            char buffer[4096];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0)
                got.append(buffer, static_cast<size_t>(n));
            return got.size() >= count;
        }, ms);
        return got;
    }

    // True once the far end's XOFF has stopped the port's output: nothing more can be written.
    bool outputStopped()
    {
        return waitUntil([&] {
            pollfd p{slave_, POLLOUT, 0};
            return ::poll(&p, 1, 0) == 0;
        }, 2000);
    }

    std::string slavePath;

private:
    int master_ = -1;
    int slave_ = -1;
};

// The keyer's line settings on the given port name.
inline void keyerSettings(SerialPort &port, const std::string &name = "/dev/ttyUSB0")
{
    port.SetPort(name);
    port.SetBaudRate(br1200);
    port.FlowControl().SetControlDTR(dtrEnable);
    port.FlowControl().SetFlowControl(fcSoftware);
}

// The port failure the action raised, as its code and the text the operator is shown
// ("24: Port Not Open"), or "" when it raised none.
template <typename Action>
std::string failureOf(Action &&action)
{
    try {
        action();
    } catch (const SerialPortError &e) {
        return std::to_string(e.Code) + ": " + SerialPortErrorText(e);
    }
    return "";
}
