#pragma once

#include <cstdint>
#include <memory>
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

// Names one QSO for as long as it is in the table: other rows being deleted, edited or
// renumbered leave it alone. Never written to the log file; 0 names no QSO (an empty row).
using QsoId = std::uint64_t;

// Told what happens to the log. Each call comes after the table changed, except the two
// "about to" calls a view needs before the table's shape changes. Every method does nothing
// unless overridden, so a listener takes only what it follows.
class LogTableListener {
public:
    virtual ~LogTableListener() = default;

    // A QSO was logged into row (the newest QSO).
    virtual void qsoCommitted(int /*row*/, QsoId /*id*/) {}
    // The newest QSO was taken out (Delete Last QSO); its row stays, empty. id is the one it had.
    virtual void qsoDeleted(int /*row*/, QsoId /*id*/) {}
    // The operator changed a cell in the grid.
    virtual void cellEdited(int /*row*/, int /*column*/, QsoId /*id*/) {}
    // Every row is new: the log was loaded, imported (Open File) or emptied (Delete File).
    virtual void allReplaced() {}

    // For a view that shows every row, the empty ones past the log's end included.
    virtual void rowCountAboutToChange(int /*oldCount*/, int /*newCount*/) {}
    virtual void rowCountChanged(int /*oldCount*/, int /*newCount*/) {}
    virtual void aboutToReplaceAll() {}
};

// The in-memory log: the only copy of the QSOs while the program runs.
// It always has at least one row; rows past QsoCount may be empty or stale.
// Keeps a count of (call, band, mode) so the duplicate check does not scan the log.
// Lives on the window's thread, as do its listeners.
class LogTable {
    struct Listeners;

public:
    enum Column { ColTime = 0, ColCall, ColExchange, ColNumber, ColBand, ColMode, ColumnCount };

    // Keeps one listener told until it is reset or destroyed. Dropping it while the
    // listener is being told, or after the table is gone, is safe.
    class Subscription {
    public:
        Subscription() = default;
        Subscription(Subscription &&other) noexcept;
        Subscription &operator=(Subscription &&other) noexcept;
        Subscription(const Subscription &) = delete;
        Subscription &operator=(const Subscription &) = delete;
        ~Subscription() { reset(); }
        void reset();

    private:
        friend class LogTable;
        Subscription(std::weak_ptr<Listeners> listeners, LogTableListener *listener)
            : listeners_(std::move(listeners)), listener_(listener) {}
        std::weak_ptr<Listeners> listeners_;
        LogTableListener *listener_ = nullptr;
    };

    LogTable();
    ~LogTable();
    LogTable(const LogTable &) = delete;
    LogTable &operator=(const LogTable &) = delete;

    // A listener added while the table tells the others hears from the next change on.
    [[nodiscard]] Subscription subscribe(LogTableListener &listener);

    int rowCount() const { return static_cast<int>(rows_.size()); }
    void setRowCount(int count);  // below 1 counts as 1; new rows are empty
    const QsoRow &row(int index) const { return rows_.at(static_cast<size_t>(index)); }
    const std::string &cell(int index, int column) const;
    QsoId id(int index) const { return ids_.at(static_cast<size_t>(index)); }
    int indexOf(QsoId id) const;  // -1 when no row holds it

    // The log's changes, each told to the listeners.
    void commitQso(int index, QsoRow row);  // a new QSO, with an id of its own
    void deleteQso(int index);              // empties the row
    void setCell(int index, int column, std::string text);
    // Replaces every row at once, each a new QSO; an empty vector leaves one empty row.
    void replaceAll(std::vector<QsoRow> rows) { replaceAll(fill(std::move(rows))); }
    // A whole log with its dupe index, built away from the table (on any thread) so that
    // putting a big log in takes the window no time.
    struct Filled {
        std::vector<QsoRow> rows;
        std::unordered_map<std::string, int> dupeIndex;
    };
    static Filled fill(std::vector<QsoRow> rows);
    void replaceAll(Filled filled);

    // True when some row holds this call on this band and mode (exact text).
    bool contains(const std::string &call, const std::string &band, const std::string &mode) const;

    static std::string &field(QsoRow &row, int column);
    static const std::string &field(const QsoRow &row, int column);

private:
    static std::string dupeKey(const QsoRow &row);
    static void indexAdd(std::unordered_map<std::string, int> &index, const QsoRow &row);
    void indexAdd(const QsoRow &row) { indexAdd(dupeIndex_, row); }
    void indexRemove(const QsoRow &row);
    template <typename Tell>
    void tell(Tell tellOne);

    std::vector<QsoRow> rows_;
    std::vector<QsoId> ids_;
    QsoId lastId_ = 0;
    std::unordered_map<std::string, int> dupeIndex_;
    std::shared_ptr<Listeners> listeners_;
};
