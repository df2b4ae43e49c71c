#pragma once

#include "net/QsoEvent.h"

#include <string>
#include <vector>

// Events kept on disk, one JSON line each, appended and on the disk before append returns,
// so a restart (with the broker out of reach, or after a power cut) knows them again.
class EventJournal {
public:
    explicit EventJournal(std::string path) : path_(std::move(path)) {}

    // Every event the file holds, in the order written. A line that is no event (the last
    // one torn by a power cut, or a hand-edited one) is left out and counted.
    std::vector<QsoEvent> load();
    int skippedLines() const { return skipped_; }

    // Throws FileError, naming the file, when the events could not be written.
    void append(const std::vector<QsoEvent> &events);

    const std::string &path() const { return path_; }

private:
    std::string path_;
    int skipped_ = 0;
};
