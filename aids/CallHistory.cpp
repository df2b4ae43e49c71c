#include "aids/CallHistory.h"

#include "aids/AidFile.h"
#include "aids/MasterScp.h"

namespace {

constexpr std::string_view OrderMark = "!!Order!!";

std::vector<std::string_view> splitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const size_t end = line.find_first_of(",;");
        fields.push_back(TrimBlanks(line.substr(0, end)));
        if (end == std::string_view::npos)
            return fields;
        line.remove_prefix(end + 1);
    }
}

bool sameName(std::string_view a, std::string_view b)
{
    return UpperCall(a) == UpperCall(b);
}

} // namespace

size_t CallHistory::addColumn(std::string_view name)
{
    if (const auto known = column(name))
        return *known;
    columns_.emplace_back(name);
    return columns_.size() - 1;
}

std::optional<size_t> CallHistory::column(std::string_view name) const
{
    for (size_t i = 0; i < columns_.size(); ++i)
        if (sameName(columns_[i], name))
            return i;
    return std::nullopt;
}

CallHistory CallHistory::parse(std::string_view text)
{
    CallHistory history;
    std::vector<size_t> order;  // the file's field number -> our column number
    std::optional<size_t> callField;
    ForEachLine(text, [&](std::string_view line) {
        if (TrimBlanks(line).empty() || line.front() == '#')
            return;
        const std::vector<std::string_view> fields = splitFields(line);
        if (sameName(fields.front(), OrderMark)) {
            order.clear();
            callField.reset();
            for (size_t i = 1; i < fields.size(); ++i) {
                order.push_back(history.addColumn(fields[i]));
                if (!callField && sameName(fields[i], "Call"))
                    callField = i - 1;
            }
            return;
        }
        if (!callField || *callField >= fields.size() || !IsListedCall(fields[*callField])) {
            ++history.skipped_;
            return;
        }
        Entry entry{UpperCall(fields[*callField]), {}};
        for (size_t i = 0; i < fields.size() && i < order.size(); ++i) {
            if (entry.values.size() <= order[i])
                entry.values.resize(order[i] + 1);
            entry.values[order[i]] = std::string(fields[i]);
        }
        const auto [at, added] = history.byCall_.try_emplace(entry.call, history.entries_.size());
        if (added)
            history.entries_.push_back(std::move(entry));
        else
            history.entries_[at->second] = std::move(entry);
    });
    return history;
}

std::optional<CallHistory> CallHistory::load(const std::string &path)
{
    const std::optional<std::string> text = ReadAidFile(path);
    if (!text)
        return std::nullopt;
    return parse(*text);
}

const CallHistory::Entry *CallHistory::find(std::string_view call) const
{
    const auto at = byCall_.find(UpperCall(TrimBlanks(call)));
    return at == byCall_.end() ? nullptr : &entries_[at->second];
}

const std::string &CallHistory::value(const Entry &entry, size_t column)
{
    static const std::string none;
    return column < entry.values.size() ? entry.values[column] : none;
}

std::string CallHistory::field(std::string_view call, std::string_view columnName) const
{
    const Entry *entry = find(call);
    const std::optional<size_t> at = column(columnName);
    return entry && at ? value(*entry, *at) : std::string();
}

void CallHistory::set(std::string_view call, std::string_view columnName, std::string value)
{
    const size_t at = addColumn(columnName);
    const std::string key = UpperCall(TrimBlanks(call));
    const auto [known, added] = byCall_.try_emplace(key, entries_.size());
    if (added)
        entries_.push_back(Entry{key, {}});
    Entry &entry = entries_[known->second];
    if (entry.values.size() <= at)
        entry.values.resize(at + 1);
    entry.values[at] = std::move(value);
}

std::string CallHistory::text() const
{
    auto field = [](std::string value) {
        for (char &c : value)
            if (c == ',' || c == ';')
                c = ' ';
        return value;
    };
    const std::optional<size_t> callColumn = column("Call");
    std::string out = "# Call history written by Quillfeather\r\n!!Order!!,Call";
    for (size_t i = 0; i < columns_.size(); ++i)
        if (i != callColumn)
            out += "," + field(columns_[i]);
    out += "\r\n";
    for (const Entry &entry : entries_) {
        out += entry.call;
        for (size_t i = 0; i < columns_.size(); ++i)
            if (i != callColumn)
                out += "," + field(value(entry, i));
        out += "\r\n";
    }
    return out;
}
