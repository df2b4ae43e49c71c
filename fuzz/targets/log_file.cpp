// The log file as an operator's editor or a crash may leave it: each line through the
// line reader, then the whole file through the loader the program starts with.
#include "fuzz/FuzzTarget.h"
#include "logging/LogFile.h"

#include <fstream>

int QuillFuzz_log_file(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        (void)ParseQsoLine(std::string_view(text).substr(start, end - start));
        start = end + 1;
    }

    const std::string path = FuzzFolder() + "S5FUZZ.log";
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(text.data(), static_cast<std::streamsize>(text.size()));
    const int counted = CountLogFile(path);
    const LogLoad load = LoadLogFile(path);
    if (load.rows.size() > static_cast<size_t>(counted))
        FuzzFail("more rows loaded than non-empty lines counted");
    for (size_t i = 0; i < load.rows.size(); ++i)
        if (load.rows[i].Number != std::to_string(i + 1))
            FuzzFail("rows not numbered in file order");
    return 0;
}
