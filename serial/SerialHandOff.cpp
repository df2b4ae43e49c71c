#include "serial/SerialHandOff.h"

#include "logging/ErrorReport.h"
#include "serial/SerialPort.h"

#include <QMetaObject>
#include <QObject>

#include <exception>

SerialHandOff::SerialHandOff() : receiver_(std::make_unique<QObject>()) {}

SerialHandOff::~SerialHandOff() = default;

void SerialHandOff::runReported(const std::function<void()> &work)
{
    try {
        work();
    } catch (const SerialPortError &e) {
        reportApplicationError(SerialPortErrorText(e));
    } catch (const std::exception &e) {
        reportApplicationError(e.what());
    } catch (...) {
        reportApplicationError("Unknown failure in a serial port event handler");
    }
}

void SerialHandOff::runAndWait(std::function<void()> work)
{
    auto request = std::make_shared<Request>();
    request->work = std::move(work);
    std::unique_lock<std::mutex> lock(mutex_);
    pending_.push_back(request);
    changed_.notify_all();
    // The owner may instead run it from waitForThread; then this call finds nothing to do.
    QMetaObject::invokeMethod(receiver_.get(), [this] { service(); }, Qt::QueuedConnection);
    changed_.wait(lock, [&] { return request->done; });
}

void SerialHandOff::post(std::function<void()> work)
{
    QMetaObject::invokeMethod(receiver_.get(), [work = std::move(work)] { runReported(work); },
                              Qt::QueuedConnection);
}

void SerialHandOff::runRequest(std::unique_lock<std::mutex> &lock, const std::shared_ptr<Request> &request)
{
    auto outer = running_;
    running_ = request;
    lock.unlock();
    runReported(request->work);
    lock.lock();
    running_ = outer;
    request->done = true;
    changed_.notify_all();
}

void SerialHandOff::service()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!pending_.empty()) {
        auto request = pending_.front();
        pending_.pop_front();
        runRequest(lock, request);
    }
}

void SerialHandOff::threadStarting()
{
    std::lock_guard<std::mutex> lock(mutex_);
    threadDone_ = false;
}

void SerialHandOff::threadFinished()
{
    std::lock_guard<std::mutex> lock(mutex_);
    threadDone_ = true;
    changed_.notify_all();
}

void SerialHandOff::waitForThread(std::thread &thread)
{
    {
        std::unique_lock<std::mutex> lock(mutex_);
        // Called from inside a hand-off: the event thread waits for the very work
        // that is calling us, so let it go now; the work's remaining steps check
        // that the port is still open before they act.
        if (running_) {
            running_->done = true;
            changed_.notify_all();
        }
        while (!threadDone_) {
            if (!pending_.empty()) {
                auto request = pending_.front();
                pending_.pop_front();
                runRequest(lock, request);
                continue;
            }
            changed_.wait(lock);
        }
    }
    if (thread.joinable())
        thread.join();
}
