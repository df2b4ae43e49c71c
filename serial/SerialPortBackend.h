#pragma once

#include "serial/SerialPort.h"

#include <memory>
#include <string>

// The platform side of a serial port. Every call returns 0 or the system's error
// number. The owner thread makes every call except waitEvents and the exit steps,
// which belong to the event thread, and stopWaiting, which any thread may make.
class SerialPortBackend {
public:
    virtual ~SerialPortBackend() = default;

    virtual int open(const std::string &path) = 0;
    virtual int close() = 0;
    virtual bool isOpen() const = 0;

    virtual int setupBuffers(int inputSize, int outputSize) = 0;
    virtual int applyLine(const SerialDcb &dcb) = 0;
    virtual int applyTimeouts(const SerialTimeoutValues &timeouts) = 0;
    virtual AppliedLineSettings applied() const = 0;

    // Never blocks: what the line does not take at once waits in the port's output
    // queue and goes out from the event thread; what still waits after the write
    // timeouts, or does not fit the queue, is dropped and reported as CE_TXFULL.
    // `accepted` counts the bytes sent or queued.
    virtual int write(const char *data, int size, int &accepted) = 0;
    // Never blocks: takes at most size bytes of what is waiting.
    virtual int read(char *data, int size, int &got) = 0;
    // Waits at most ms for the queued and the driver's output to go out.
    virtual void drainOutput(int ms) = 0;
    // Output waits and has not moved for a while (EV_TXHOLD tells of each change).
    virtual bool outputHeld() const = 0;
    virtual int inputQueue(int &count) = 0;
    virtual int modemStatus(unsigned &status) = 0;       // ComBits::MS_* bits
    virtual int purge(unsigned flags) = 0;               // ComBits::PURGE_* bits
    virtual int clearErrors(unsigned &errorWord) = 0;    // ComBits::CE_* bits since the last call

    // Event side: the mask holds ComBits::EV_* bits. Output is carried whatever the mask.
    virtual int setEventMask(unsigned mask) = 0;
    // Blocks until port events arrive (their EV_* bits) or a stop was requested (0).
    // A device that disappears is reported once, as EV_ERR with CE_IOE, and not watched again.
    virtual unsigned waitEvents() = 0;
    virtual void stopWaiting() = 0;
};

std::unique_ptr<SerialPortBackend> CreateComPortBackend();
