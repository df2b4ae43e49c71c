#include "settings/ProfileFile.h"

#include "logging/FileWrite.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Windows compares profile names without regard to case; for 8-bit names we fold ASCII only.
bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return upper(x) == upper(y); });
}

std::vector<std::string> splitLines(const std::string &all)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string::npos)
            end = all.size();
        size_t stop = end;
        if (stop > start && all[stop - 1] == '\r')
            --stop;
        lines.emplace_back(all, start, stop - start);
        start = end + 1;
    }
    return lines;
}

// A missing or unreadable file reads as an empty one: every key gives its default.
std::vector<std::string> readLines(const std::string &path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return {};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    return splitLines(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
}

// The section name of a "[name]" line, if it is one.
std::optional<std::string_view> sectionOf(std::string_view line)
{
    line = trim(line);
    // A file saved by Notepad as UTF-8 starts with a byte order mark.
    if (line.substr(0, 3) == "\xEF\xBB\xBF")
        line = trim(line.substr(3));
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    const size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trim(line.substr(1, close - 1));
}

// The key of a "key=value" line, if it is one.
std::optional<std::string_view> keyOf(std::string_view line)
{
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return trim(line.substr(0, eq));
}

struct Location {
    long sectionLine = -1;    // the "[section]" line
    long lastEntryLine = -1;  // last non-blank line that belongs to the section
    long keyLine = -1;
};

Location locate(const std::vector<std::string> &lines, std::string_view section, std::string_view key)
{
    Location at;
    bool inside = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (auto name = sectionOf(lines[i])) {
            if (inside)
                break;  // the first section of that name is the one Windows reads and writes
            if (sameName(*name, section)) {
                inside = true;
                at.sectionLine = at.lastEntryLine = static_cast<long>(i);
            }
            continue;
        }
        if (!inside)
            continue;
        if (!trim(lines[i]).empty())
            at.lastEntryLine = static_cast<long>(i);
        if (at.keyLine < 0) {
            auto k = keyOf(lines[i]);
            if (k && sameName(*k, key))
                at.keyLine = static_cast<long>(i);
        }
    }
    return at;
}

// A line break inside a value would end the line early and turn the rest into keys
// of their own; Windows writes it raw, we store a blank in its place.
std::string oneLine(std::string text)
{
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return text;
}


} // namespace

std::optional<int> ParseProfileInteger(std::string_view text)
{
    std::string owned(text);
    if (owned.size() > 2 && owned[0] == '0' && (owned[1] == 'x' || owned[1] == 'X'))
        owned = "$" + owned.substr(2);
    std::string_view s = owned;
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    bool hex = false;
    if (!s.empty() && s.front() == '$') {
        hex = true;
        s.remove_prefix(1);
    }
    if (s.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (char c : s) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (hex) {
        const auto bits = static_cast<uint32_t>(negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value));
        return static_cast<int32_t>(bits);
    }
    if (negative ? value > 0x80000000ull : value > 0x7FFFFFFFull)
        return std::nullopt;
    return static_cast<int>(negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value));
}

ProfileFile::ProfileFile(std::string path) : path_(ExistingFileName(path)) {}

std::string ProfileFile::readString(const std::string &section, const std::string &key,
                                    const std::string &defaultValue) const
{
    const std::vector<std::string> lines = readLines(path_);
    const Location at = locate(lines, section, key);
    if (at.keyLine < 0)
        return defaultValue.substr(0, MaxValueLength);
    const std::string &line = lines[static_cast<size_t>(at.keyLine)];
    std::string_view value = trim(std::string_view(line).substr(line.find('=') + 1));
    // Windows reads a value in matching quotes without them.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value.substr(0, MaxValueLength));
}

namespace {

std::string withKey(const std::string &current, const std::string &section, const std::string &key,
                    const std::string &value)
{
    std::vector<std::string> text = splitLines(current);
    const Location at = locate(text, section, key);
    const std::string clean = oneLine(value);
    if (at.keyLine >= 0) {
        std::string &line = text[static_cast<size_t>(at.keyLine)];
        line = std::string(*keyOf(line)) + "=" + clean;
    } else if (at.sectionLine >= 0) {
        text.insert(text.begin() + at.lastEntryLine + 1, key + "=" + clean);
    } else {
        if (!text.empty() && !trim(text.back()).empty())
            text.emplace_back();
        text.push_back("[" + section + "]");
        text.push_back(key + "=" + clean);
    }

    size_t size = 0;
    for (const std::string &line : text)
        size += line.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const std::string &line : text) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

} // namespace

void ProfileFile::writeString(const std::string &section, const std::string &key, const std::string &value)
{
    const auto edit = [&](const std::string &current) { return withKey(current, section, key, value); };
    if (!RewriteFile(path_, edit))
        throw ProfileWriteError("Unable to write to " + path_);
}

int ProfileFile::readInteger(const std::string &section, const std::string &key, int defaultValue) const
{
    const auto value = ParseProfileInteger(readString(section, key, std::string()));
    return value ? *value : defaultValue;
}

void ProfileFile::writeInteger(const std::string &section, const std::string &key, int value)
{
    writeString(section, key, std::to_string(value));
}

bool ProfileFile::readBool(const std::string &section, const std::string &key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void ProfileFile::writeBool(const std::string &section, const std::string &key, bool value)
{
    writeString(section, key, value ? "1" : "0");
}
