#include "net/JournalWriter.h"

#include "logging/DurableFile.h"

#include <chrono>

JournalWriter::JournalWriter(std::string path, Written written)
    : journal_(std::move(path)), written_(std::move(written)), thread_([this] { run(); })
{
}

JournalWriter::~JournalWriter()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void JournalWriter::append(std::vector<QsoEvent> events)
{
    if (events.empty())
        return;
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(std::move(events));
    }
    wake_.notify_all();
}

void JournalWriter::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty())
            return;
        std::vector<QsoEvent> batch = std::move(queue_.front());
        queue_.pop_front();
        for (; !queue_.empty(); queue_.pop_front())
            batch.insert(batch.end(), queue_.front().begin(), queue_.front().end());
        lock.unlock();
        std::string failure;
        try {
            journal_.append(batch);
        } catch (const FileError &e) {
            failure = e.what();
        }
        if (failure.empty()) {
            written_(std::move(batch), failure);
            lock.lock();
            continue;
        }
        written_({}, failure);
        lock.lock();
        if (stopping_)
            return;
        queue_.push_front(std::move(batch));
        wake_.wait_for(lock, std::chrono::seconds(1), [this] { return stopping_; });
    }
}
