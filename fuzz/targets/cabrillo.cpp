// The Cabrillo export of a table whose cells hold whatever a log file or a grid edit
// put there: refused with a message, or written with one line per QSO.
#include "fuzz/FuzzTarget.h"
#include "export/Cabrillo.h"
#include "logging/ContestState.h"
#include "logging/LogTable.h"

#include <algorithm>

int QuillFuzz_cabrillo(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    ContestState state;
    LogTable table;
    FuzzExportTable(in, state, table);
    try {
        const std::string text = CabrilloText(state, table);
        if (text.rfind("START-OF-LOG: 2.0\r\n", 0) != 0 || text.size() < 13
            || text.compare(text.size() - 13, 13, "END-OF-LOG:\r\n") != 0)
            FuzzFail("an export without its first or last line");
    } catch (const CabrilloError &) {
    }
    return 0;
}
