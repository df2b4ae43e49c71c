#pragma once

#include "net/EventJournal.h"

#include <string>
#include <vector>

class LogTable;

// The events of the station's own log: what the others have been told of each row, kept
// in the station's own journal. Each change of a row becomes the event that brings the
// others from what they were told to what the row holds. It goes to the journal before it
// is handed out, so a restart tells what the journal missed.
class OwnEventLog {
public:
    // Reads the journal; every seq from here on is above those it holds, and firstSeq or
    // above. A clock in milliseconds as firstSeq keeps seqs unique even when the journal is
    // lost or an older copy put back: no position makes an event a millisecond.
    OwnEventLog(const std::string &journalPath, std::string station, int transmitter, std::uint64_t firstSeq = 1);

    // The event for the row, if the others' view of it differs from the table's; for every
    // row (and rows the table no longer has) when row is -1. They count as told at once, and
    // are to be appended to journalPath(), off the window's thread, before anyone hears of
    // them; written() says when they are. A row the others would refuse (a band or call the
    // log should not hold) is left out and its reason kept in lastRefusal.
    std::vector<QsoEvent> follow(const LogTable &table, int row = -1);
    void written(const std::vector<QsoEvent> &events);
    const std::string &journalPath() const { return journal_.path(); }

    // Every event of the station in the journal, oldest first, for telling a broker that lacks them.
    const std::vector<QsoEvent> &events() const { return events_; }
    const std::string &lastRefusal() const { return lastRefusal_; }
    const std::string &station() const { return station_; }
    int skippedLines() const { return journal_.skippedLines(); }

private:
    std::optional<QsoEvent> change(const LogTable &table, int row, std::uint64_t seq) const;

    EventJournal journal_;
    std::string station_;
    int transmitter_;
    std::vector<QsoEvent> events_;
    std::vector<QsoEvent> told_;  // by row: the latest event, seq 0 for none
    std::uint64_t lastSeq_ = 0;
    std::string lastRefusal_;
};
