#pragma once

#include "net/EventJournal.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// Appends events to a journal on a thread of its own, in the order they are handed over, so
// whoever hands them over never waits for the disk. Batches waiting together go to the disk
// in one write. One that cannot be written is tried again every second, the rest behind it.
class JournalWriter {
public:
    // Told on the writer's thread: the events once they are on the disk, or (with no events)
    // why a try to write them failed.
    using Written = std::function<void(std::vector<QsoEvent> events, const std::string &failure)>;

    JournalWriter(std::string path, Written written);
    // Writes what it was handed first. What keeps failing is given up: the own log file has
    // those QSOs, and the next start tells what the journal lacks.
    ~JournalWriter();
    JournalWriter(const JournalWriter &) = delete;
    JournalWriter &operator=(const JournalWriter &) = delete;

    void append(std::vector<QsoEvent> events);

private:
    void run();

    EventJournal journal_;
    Written written_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::vector<QsoEvent>> queue_;
    bool stopping_ = false;
    std::thread thread_;  // last: it starts on what is above
};
