// The ADIF export of a table whose cells hold whatever a log file or a grid edit put
// there: refused with a message, or written as ASCII with every field's length right.
#include "fuzz/FuzzTarget.h"
#include "export/Adif.h"
#include "logging/ContestState.h"
#include "logging/LogTable.h"

#include <cstdlib>

namespace {

// Every <NAME:length> must be followed by exactly that many bytes before the next tag.
bool lengthsHold(const std::string &text)
{
    size_t at = text.find("<EOH>");
    while (at != std::string::npos) {
        const size_t open = text.find('<', at + 1);
        if (open == std::string::npos)
            return true;
        const size_t close = text.find('>', open);
        if (close == std::string::npos)
            return false;
        const std::string tag = text.substr(open + 1, close - open - 1);
        const size_t colon = tag.find(':');
        size_t next = close + 1;
        if (colon != std::string::npos) {
            const long length = std::strtol(tag.c_str() + colon + 1, nullptr, 10);
            next += static_cast<size_t>(length);
            if (next > text.size())
                return false;
        }
        at = next - 1;
    }
    return true;
}

} // namespace

int QuillFuzz_adif(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    ContestState state;
    LogTable table;
    FuzzExportTable(in, state, table);
    state.ContestId = in.part();
    try {
        AdifExport info;
        const std::string text = AdifText(state, table, UtcStamp{}, info);
        for (unsigned char c : text)
            if (c >= 0x80)
                FuzzFail("a byte outside ASCII in the ADI text");
        if (!lengthsHold(text))
            FuzzFail("a field whose length does not match its bytes");
    } catch (const AdifError &) {
    }
    return 0;
}
