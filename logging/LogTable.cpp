#include "logging/LogTable.h"

#include "logging/ErrorReport.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <utility>

// While the listeners are being told, one that leaves only gives up its place; the
// places are closed when the telling is done, so no listener is skipped or told twice.
struct LogTable::Listeners {
    std::vector<LogTableListener *> list;
    int telling = 0;

    void remove(LogTableListener *listener)
    {
        const auto it = std::find(list.begin(), list.end(), listener);
        if (it == list.end())
            return;
        if (telling > 0)
            *it = nullptr;
        else
            list.erase(it);
    }
};

LogTable::Subscription::Subscription(Subscription &&other) noexcept
    : listeners_(std::move(other.listeners_)), listener_(other.listener_)
{
    other.listener_ = nullptr;
}

LogTable::Subscription &LogTable::Subscription::operator=(Subscription &&other) noexcept
{
    if (this != &other) {
        reset();
        listeners_ = std::move(other.listeners_);
        listener_ = other.listener_;
        other.listener_ = nullptr;
    }
    return *this;
}

void LogTable::Subscription::reset()
{
    if (const auto listeners = listeners_.lock(); listeners && listener_)
        listeners->remove(listener_);
    listeners_.reset();
    listener_ = nullptr;
}

LogTable::LogTable() : rows_(1), ids_(1, 0), listeners_(std::make_shared<Listeners>()) {}

LogTable::~LogTable() = default;

LogTable::Subscription LogTable::subscribe(LogTableListener &listener)
{
    listeners_->list.push_back(&listener);
    return Subscription(listeners_, &listener);
}

// The table has changed (or is about to) whatever a listener does: one that fails is
// reported, and the others are still told, so none of them falls out of step.
template <typename Tell>
void LogTable::tell(Tell tellOne)
{
    Listeners &l = *listeners_;
    ++l.telling;
    const size_t count = l.list.size();
    for (size_t i = 0; i < count; ++i) {
        if (!l.list[i])
            continue;
        try {
            tellOne(*l.list[i]);
        } catch (const std::exception &e) {
            reportApplicationError(e.what());
        } catch (...) {
            reportApplicationError("Unknown failure in a listener of the log");
        }
    }
    if (--l.telling == 0)
        std::erase(l.list, nullptr);
}

std::string &LogTable::field(QsoRow &row, int column)
{
    switch (column) {
    case ColTime: return row.Time;
    case ColCall: return row.Call;
    case ColExchange: return row.Exchange;
    case ColNumber: return row.Number;
    case ColBand: return row.Band;
    case ColMode: return row.Mode;
    }
    throw std::out_of_range("log table column " + std::to_string(column));
}

const std::string &LogTable::field(const QsoRow &row, int column)
{
    return field(const_cast<QsoRow &>(row), column);
}

// The unit separator cannot be typed into a cell, so it keeps the three parts apart.
std::string LogTable::dupeKey(const QsoRow &row)
{
    std::string key;
    key.reserve(row.Call.size() + row.Band.size() + row.Mode.size() + 2);
    key += row.Call;
    key += '\x1f';
    key += row.Band;
    key += '\x1f';
    key += row.Mode;
    return key;
}

void LogTable::indexAdd(std::unordered_map<std::string, int> &index, const QsoRow &row)
{
    if (!row.Call.empty())
        ++index[dupeKey(row)];
}

void LogTable::indexRemove(const QsoRow &row)
{
    if (row.Call.empty())
        return;
    auto it = dupeIndex_.find(dupeKey(row));
    if (it != dupeIndex_.end() && --it->second <= 0)
        dupeIndex_.erase(it);
}

void LogTable::setRowCount(int count)
{
    if (count < 1)
        count = 1;
    const int old = rowCount();
    if (count == old)
        return;
    tell([&](LogTableListener &l) { l.rowCountAboutToChange(old, count); });
    for (int i = count; i < old; ++i)
        indexRemove(rows_[static_cast<size_t>(i)]);
    rows_.resize(static_cast<size_t>(count));
    ids_.resize(static_cast<size_t>(count), 0);
    tell([&](LogTableListener &l) { l.rowCountChanged(old, count); });
}

int LogTable::indexOf(QsoId id) const
{
    if (id == 0)
        return -1;
    // The newest QSOs are the ones most often asked for.
    for (size_t i = ids_.size(); i-- > 0;)
        if (ids_[i] == id)
            return static_cast<int>(i);
    return -1;
}

void LogTable::commitQso(int index, QsoRow row)
{
    QsoRow &target = rows_.at(static_cast<size_t>(index));
    indexRemove(target);
    target = std::move(row);
    indexAdd(target);
    const QsoId id = ids_[static_cast<size_t>(index)] = ++lastId_;
    tell([&](LogTableListener &l) { l.qsoCommitted(index, id); });
}

void LogTable::deleteQso(int index)
{
    QsoRow &target = rows_.at(static_cast<size_t>(index));
    indexRemove(target);
    target = QsoRow{};
    const QsoId id = std::exchange(ids_[static_cast<size_t>(index)], 0);
    tell([&](LogTableListener &l) { l.qsoDeleted(index, id); });
}

const std::string &LogTable::cell(int index, int column) const
{
    return field(rows_.at(static_cast<size_t>(index)), column);
}

void LogTable::setCell(int index, int column, std::string text)
{
    QsoRow &target = rows_.at(static_cast<size_t>(index));
    std::string &cell = field(target, column);
    indexRemove(target);
    cell = std::move(text);
    indexAdd(target);
    const QsoId id = ids_[static_cast<size_t>(index)];
    tell([&](LogTableListener &l) { l.cellEdited(index, column, id); });
}

LogTable::Filled LogTable::fill(std::vector<QsoRow> rows)
{
    Filled filled{std::move(rows), {}};
    filled.dupeIndex.reserve(filled.rows.size());
    for (const QsoRow &r : filled.rows)
        indexAdd(filled.dupeIndex, r);
    return filled;
}

void LogTable::replaceAll(Filled filled)
{
    tell([](LogTableListener &l) { l.aboutToReplaceAll(); });
    const bool none = filled.rows.empty();
    rows_ = std::move(filled.rows);
    ids_.resize(rows_.size());
    for (QsoId &id : ids_)
        id = ++lastId_;
    if (none) {
        rows_.resize(1);
        ids_.assign(1, 0);
    }
    dupeIndex_ = std::move(filled.dupeIndex);
    tell([](LogTableListener &l) { l.allReplaced(); });
}

bool LogTable::contains(const std::string &call, const std::string &band, const std::string &mode) const
{
    if (call.empty())
        return false;
    QsoRow probe;
    probe.Call = call;
    probe.Band = band;
    probe.Mode = mode;
    return dupeIndex_.count(dupeKey(probe)) != 0;
}
