#include "logging/LogTable.h"

#include <stdexcept>

LogTable::LogTable() : rows_(1) {}

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

void LogTable::indexAdd(const QsoRow &row)
{
    if (!row.Call.empty())
        ++dupeIndex_[dupeKey(row)];
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
    if (listener_)
        listener_->rowCountAboutToChange(old, count);
    for (int i = count; i < old; ++i)
        indexRemove(rows_[static_cast<size_t>(i)]);
    rows_.resize(static_cast<size_t>(count));
    if (listener_)
        listener_->rowCountChanged();
}

void LogTable::setRow(int index, QsoRow row)
{
    QsoRow &target = rows_.at(static_cast<size_t>(index));
    indexRemove(target);
    target = std::move(row);
    indexAdd(target);
    if (listener_)
        listener_->rowChanged(index);
}

const std::string &LogTable::cell(int index, int column) const
{
    return field(rows_.at(static_cast<size_t>(index)), column);
}

void LogTable::setCell(int index, int column, std::string text)
{
    QsoRow row = rows_.at(static_cast<size_t>(index));
    field(row, column) = std::move(text);
    setRow(index, std::move(row));
}

void LogTable::replaceAll(std::vector<QsoRow> rows)
{
    if (listener_)
        listener_->aboutToReplaceAll();
    rows_ = std::move(rows);
    if (rows_.empty())
        rows_.resize(1);
    dupeIndex_.clear();
    dupeIndex_.reserve(rows_.size());
    for (const QsoRow &r : rows_)
        indexAdd(r);
    if (listener_)
        listener_->replacedAll();
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
