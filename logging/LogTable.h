#pragma once

#include <string>
#include <unordered_map>
#include <vector>

// One logged contact as the log table holds it. Date is not shown in the grid;
// it is kept so that rewrites and exports carry each QSO's own day.
struct QsoRow {
    std::string Time;      // "hh:mm", or "hhmm" for a row committed in this run
    std::string Call;
    std::string Exchange;
    std::string Number;    // serial number as text, row index + 1
    std::string Band;
    std::string Mode;
    std::string Date;      // "yyyy-mm-dd"; empty for an emptied row

    bool operator==(const QsoRow &) const = default;
};

// Told of every change so a view can follow the table without copying it.
class LogTableListener {
public:
    virtual ~LogTableListener() = default;
    virtual void rowCountAboutToChange(int oldCount, int newCount) = 0;
    virtual void rowCountChanged() = 0;
    virtual void rowChanged(int row) = 0;
    virtual void aboutToReplaceAll() = 0;
    virtual void replacedAll() = 0;
};

// The in-memory log: the only copy of the QSOs while the program runs.
// It always has at least one row; rows past QsoCount may be empty or stale.
// Keeps a count of (call, band, mode) so the duplicate check does not scan the log.
class LogTable {
public:
    enum Column { ColTime = 0, ColCall, ColExchange, ColNumber, ColBand, ColMode, ColumnCount };

    LogTable();

    int rowCount() const { return static_cast<int>(rows_.size()); }
    void setRowCount(int count);  // below 1 counts as 1
    const QsoRow &row(int index) const { return rows_.at(static_cast<size_t>(index)); }
    void setRow(int index, QsoRow row);
    void clearRow(int index) { setRow(index, QsoRow{}); }
    const std::string &cell(int index, int column) const;
    void setCell(int index, int column, std::string text);

    // Replaces every row at once; an empty vector leaves one empty row.
    void replaceAll(std::vector<QsoRow> rows);

    // True when some row holds this call on this band and mode (exact text).
    bool contains(const std::string &call, const std::string &band, const std::string &mode) const;

    void setListener(LogTableListener *listener) { listener_ = listener; }

    static std::string &field(QsoRow &row, int column);
    static const std::string &field(const QsoRow &row, int column);

private:
    static std::string dupeKey(const QsoRow &row);
    void indexAdd(const QsoRow &row);
    void indexRemove(const QsoRow &row);

    std::vector<QsoRow> rows_;
    std::unordered_map<std::string, int> dupeIndex_;
    LogTableListener *listener_ = nullptr;
};
