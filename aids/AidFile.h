#pragma once

#include <optional>
#include <string>
#include <string_view>

// The whole of a contest-aid file, found also under another letter case (files copied
// from Windows, where MASTER.SCP and master.scp are one); none when it cannot be read.
std::optional<std::string> ReadAidFile(const std::string &path);

// Calls these files hold are compared in upper case, however the file wrote them.
std::string UpperCall(std::string_view text);

// The text without blanks and tabs at either end.
std::string_view TrimBlanks(std::string_view text);

// Calls each line of the text, without its CR LF or LF, in order.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit)
{
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        visit(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
}
