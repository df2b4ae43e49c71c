#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One reader of outside input driven by arbitrary bytes. The same entry runs under
// libFuzzer and in the corpus replay test, so an input that once crashed keeps
// being fed to the code that crashed on it.
using FuzzEntry = int (*)(const uint8_t *data, size_t size);

struct FuzzTarget {
    const char *name;  // also the name of its corpus folder
    FuzzEntry entry;
};

// Every target built into this program.
const std::vector<FuzzTarget> &FuzzTargets();

// Cuts fuzz input into parts: a part is a length byte and that many bytes (fewer at
// the end); what a cut leaves over is the remainder.
class FuzzInput {
public:
    FuzzInput(const uint8_t *data, size_t size) : rest_(reinterpret_cast<const char *>(data), size) {}

    std::string part();
    uint8_t byte();
    // A whole number in [low, high], from the next bytes.
    int number(int low, int high);
    std::string remainder() const { return std::string(rest_); }
    bool empty() const { return rest_.empty(); }

private:
    std::string_view rest_;
};

struct ContestState;
class LogTable;

// The own fields, the Exchange/Number choice and a table of cells as a log file or a
// grid edit could leave them, read from the input for the export targets.
void FuzzExportTable(FuzzInput &in, ContestState &state, LogTable &table);

// A folder of this process for the files a target must write (removed at exit);
// each target writes its own file names there over and over.
const std::string &FuzzFolder();

// Stops the run with a message: a broken promise of the code under test.
[[noreturn]] void FuzzFail(const std::string &what);
