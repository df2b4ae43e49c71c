#include "fuzz/FuzzTarget.h"
#include "logging/ContestState.h"
#include "logging/LogTable.h"

#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

std::string FuzzInput::part()
{
    if (rest_.empty())
        return {};
    const size_t length = std::min<size_t>(static_cast<uint8_t>(rest_.front()), rest_.size() - 1);
    std::string out(rest_.substr(1, length));
    rest_.remove_prefix(1 + length);
    return out;
}

uint8_t FuzzInput::byte()
{
    if (rest_.empty())
        return 0;
    const auto b = static_cast<uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return b;
}

int FuzzInput::number(int low, int high)
{
    const uint32_t raw = static_cast<uint32_t>(byte()) | static_cast<uint32_t>(byte()) << 8;
    return low + static_cast<int>(raw % static_cast<uint32_t>(high - low + 1));
}

const std::string &FuzzFolder()
{
    // Never destroyed, so the removal at exit still finds it.
    static const std::string *folder = [] {
        auto *path = new std::string(QDir::tempPath().toStdString() + "/quillfuzz-" + std::to_string(getpid()) + "/");
        QDir().mkpath(QString::fromStdString(*path));
        return path;
    }();
    static const bool removedAtExit = std::atexit([] { QDir(QString::fromStdString(FuzzFolder())).removeRecursively(); }) == 0;
    (void)removedAtExit;
    return *folder;
}

void FuzzFail(const std::string &what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::abort();
}

void FuzzExportTable(FuzzInput &in, ContestState &state, LogTable &table)
{
    const uint8_t flags = in.byte();
    state.CbExchange = flags & 1;
    state.CbNumber = flags & 2;
    state.MyCall = in.part();
    state.MyYearLic = in.part();
    state.LogDate = in.part();
    std::vector<QsoRow> rows;
    while (rows.size() < 100000) {
        QsoRow row;
        for (int column = 0; column < LogTable::ColumnCount; ++column)
            LogTable::field(row, column) = in.part();
        row.Date = in.part();
        if (in.empty() && row == QsoRow{})
            break;
        rows.push_back(std::move(row));
    }
    const int count = static_cast<int>(rows.size());
    table.replaceAll(std::move(rows));
    state.QsoCount = in.number(-2, count + 2);
}
