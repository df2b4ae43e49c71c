#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QObject;

// Carries work from a port's event thread to the thread that owns the port (the GUI
// thread). runAndWait keeps the event thread waiting until the work has run; the
// owner, when it waits for the event thread to end, keeps running work already
// requested, so neither thread ever waits for the other.
class SerialHandOff {
public:
    SerialHandOff();  // bound to the calling thread
    ~SerialHandOff();
    SerialHandOff(const SerialHandOff &) = delete;
    SerialHandOff &operator=(const SerialHandOff &) = delete;

    // Event thread: run work on the owner thread and wait until it has run.
    void runAndWait(std::function<void()> work);
    // Any thread: run work on the owner thread later; the caller goes on at once.
    void post(std::function<void()> work);

    // Event thread: its last act before it returns.
    void threadFinished();
    // Owner thread, before the event thread starts.
    void threadStarting();
    // Owner thread: wait for the event thread's end and join it. Work requested
    // meanwhile is run; a hand-off the owner is inside of (a handler that closes
    // the port) releases the event thread first.
    void waitForThread(std::thread &thread);

    // Runs work; an exception that escapes it goes to the application's error report.
    static void runReported(const std::function<void()> &work);

private:
    struct Request {
        std::function<void()> work;
        bool done = false;
    };
    void service();
    void runRequest(std::unique_lock<std::mutex> &lock, const std::shared_ptr<Request> &request);

    std::unique_ptr<QObject> receiver_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Request>> pending_;
    std::shared_ptr<Request> running_;
    bool threadDone_ = true;
};
