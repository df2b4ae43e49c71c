#include "net/OwnEventLog.h"

#include "logging/LogTable.h"

#include <algorithm>
#include <tuple>

namespace {

auto content(const QsoEvent &e)
{
    return std::tie(e.date, e.time, e.call, e.exchange, e.band, e.mode, e.number, e.transmitter);
}

} // namespace

OwnEventLog::OwnEventLog(const std::string &journalPath, std::string station, int transmitter, std::uint64_t firstSeq)
    : journal_(journalPath), station_(std::move(station)), transmitter_(transmitter), lastSeq_(firstSeq - 1)
{
    for (QsoEvent &event : journal_.load()) {
        if (event.station != station_ || event.row < 0)
            continue;
        lastSeq_ = std::max(lastSeq_, event.seq);
        if (told_.size() <= static_cast<size_t>(event.row))
            told_.resize(static_cast<size_t>(event.row) + 1);
        QsoEvent &told = told_[static_cast<size_t>(event.row)];
        if (event.seq > told.seq)
            told = event;
        events_.push_back(std::move(event));
    }
}

std::optional<QsoEvent> OwnEventLog::change(const LogTable &table, int row, std::uint64_t seq) const
{
    const QsoEvent none;
    const QsoEvent &told = static_cast<size_t>(row) < told_.size() ? told_[static_cast<size_t>(row)] : none;
    const bool toldLive = told.seq != 0 && told.op != QsoEvent::Op::Delete;
    const bool isQso = row < table.rowCount() && table.id(row) != 0 && table.row(row) != QsoRow{};

    QsoEvent e;
    e.station = station_;
    e.seq = seq;
    e.row = row;
    e.transmitter = transmitter_;
    if (isQso) {
        const QsoRow &r = table.row(row);
        e.date = r.Date;
        std::remove_copy(r.Time.begin(), r.Time.end(), std::back_inserter(e.time), ':');
        e.call = r.Call;
        e.exchange = r.Exchange;
        e.band = r.Band;
        e.mode = r.Mode;
        e.number = r.Number;
    }
    if (isQso && toldLive) {
        if (content(e) == content(told))
            return std::nullopt;
        e.op = QsoEvent::Op::Edit;
        e.qso = told.qso;
    } else if (isQso) {
        e.op = QsoEvent::Op::Add;
        e.qso = QsoName(station_, seq);
    } else if (toldLive) {
        e.op = QsoEvent::Op::Delete;
        e.qso = told.qso;
    } else {
        return std::nullopt;
    }
    return e;
}

std::vector<QsoEvent> OwnEventLog::follow(const LogTable &table, int row)
{
    const int first = row < 0 ? 0 : row;
    const int last = row < 0 ? std::max(table.rowCount(), static_cast<int>(told_.size())) : row + 1;
    std::vector<QsoEvent> made;
    std::uint64_t seq = lastSeq_;
    for (int r = first; r < last; ++r) {
        std::optional<QsoEvent> e = change(table, r, seq + 1);
        if (!e)
            continue;
        std::string why;
        if (!DecodeEvent(EncodeEvent(*e), &why)) {
            lastRefusal_ = "QSO " + std::to_string(r + 1) + " (" + e->call + ") is not shared: its " + why;
            continue;
        }
        ++seq;
        made.push_back(std::move(*e));
    }
    lastSeq_ = seq;
    for (const QsoEvent &e : made) {
        if (told_.size() <= static_cast<size_t>(e.row))
            told_.resize(static_cast<size_t>(e.row) + 1);
        told_[static_cast<size_t>(e.row)] = e;
    }
    return made;
}

void OwnEventLog::written(const std::vector<QsoEvent> &events)
{
    events_.insert(events_.end(), events.begin(), events.end());
}
