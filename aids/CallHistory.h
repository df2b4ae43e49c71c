#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A call history file as operators keep them: lines starting with '#' are comments, a line
// "!!Order!!,Call,Name,Exch1,..." names the columns of the rows after it, then one row per
// call, its fields separated by commas or semicolons. A row may end early: its missing
// fields are empty. A later row of the same call replaces the earlier one.
class CallHistory {
public:
    struct Entry {
        std::string call;                 // upper case
        std::vector<std::string> values;  // by column number; may be shorter than columns()
    };

    CallHistory() = default;

    // Rows before the first order line, rows of an order line without a Call column and
    // rows whose call is not one are skipped and counted.
    static CallHistory parse(std::string_view text);
    // None when the file cannot be read.
    static std::optional<CallHistory> load(const std::string &path);

    // Every column any order line named, spelt as it first did ("Call", "Exch1", ...).
    const std::vector<std::string> &columns() const { return columns_; }
    // The column's number, its name compared without regard to case.
    std::optional<size_t> column(std::string_view name) const;

    // The row of the call (any letter case), or none.
    const Entry *find(std::string_view call) const;
    // The call's field in the named column; empty when the call, the column or the field is missing.
    std::string field(std::string_view call, std::string_view column = "Exch1") const;
    static const std::string &value(const Entry &entry, size_t column);

    // Sets the call's field in the named column, adding the call or the column when new.
    void set(std::string_view call, std::string_view column, std::string value);
    // The history as a file: a comment, one order line naming every column, then one row
    // per call in order, CR LF. A comma or semicolon inside a field would split it on
    // reading, so it is written as a blank.
    std::string text() const;

    // In the order the file first named them.
    const std::vector<Entry> &entries() const { return entries_; }
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    int skippedLines() const { return skipped_; }

private:
    size_t addColumn(std::string_view name);

    std::vector<std::string> columns_;
    std::vector<Entry> entries_;
    std::unordered_map<std::string, size_t> byCall_;
    int skipped_ = 0;
};
