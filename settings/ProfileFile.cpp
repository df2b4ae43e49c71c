#include "settings/ProfileFile.h"

#include "logging/FileWrite.h"
#include "logging/ScreenText.h"

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
std::string folded(std::string_view name)
{
    std::string out(name);
    std::transform(out.begin(), out.end(), out.begin(), upper);
    return out;
}

// A missing or unreadable file reads as an empty one: every key gives its default.
std::string readBytes(const std::string &path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return {};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
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
    return read().readString(section, key, defaultValue);
}

void ProfileFile::writeString(const std::string &section, const std::string &key, const std::string &value)
{
    write([&](ProfileText &text) { text.writeString(section, key, value); });
}

int ProfileFile::readInteger(const std::string &section, const std::string &key, int defaultValue) const
{
    return read().readInteger(section, key, defaultValue);
}

void ProfileFile::writeInteger(const std::string &section, const std::string &key, int value)
{
    writeString(section, key, std::to_string(value));
}

bool ProfileFile::readBool(const std::string &section, const std::string &key, bool defaultValue) const
{
    return read().readBool(section, key, defaultValue);
}

void ProfileFile::writeBool(const std::string &section, const std::string &key, bool value)
{
    writeString(section, key, value ? "1" : "0");
}

ProfileText ProfileFile::read() const
{
    return ProfileText(readBytes(path_));
}

void ProfileFile::write(const std::function<void(ProfileText &)> &edits)
{
    const auto edit = [&](const std::string &current) {
        ProfileText text(current);
        edits(text);
        return text.bytes();
    };
    if (!RewriteFile(path_, edit))
        throw ProfileWriteError("Unable to write to " + pathForMessage(path_));
}

ProfileText::ProfileText(const std::string &all)
{
    Section *inside = nullptr;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string::npos)
            end = all.size();
        size_t stop = end;
        if (stop > start && all[stop - 1] == '\r')
            --stop;
        const Line line = lines_.emplace(lines_.end(), all, start, stop - start);
        start = end + 1;

        if (auto name = sectionOf(*line)) {
            // A later section of a name already seen is never read or written: its keys are not indexed.
            auto [at, added] = sections_.try_emplace(folded(*name), Section{line, {}});
            inside = added ? &at->second : nullptr;
            continue;
        }
        if (!inside)
            continue;
        if (!trim(*line).empty())
            inside->lastEntry = line;
        if (auto k = keyOf(*line))
            inside->keys.try_emplace(folded(*k), line);
    }
}

std::string ProfileText::readString(const std::string &section, const std::string &key,
                                    const std::string &defaultValue) const
{
    const auto s = sections_.find(folded(section));
    if (s == sections_.end())
        return defaultValue.substr(0, ProfileFile::MaxValueLength);
    const auto k = s->second.keys.find(folded(key));
    if (k == s->second.keys.end())
        return defaultValue.substr(0, ProfileFile::MaxValueLength);
    const std::string &line = *k->second;
    std::string_view value = trim(std::string_view(line).substr(line.find('=') + 1));
    // Windows reads a value in matching quotes without them.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value.substr(0, ProfileFile::MaxValueLength));
}

int ProfileText::readInteger(const std::string &section, const std::string &key, int defaultValue) const
{
    const auto value = ParseProfileInteger(readString(section, key, std::string()));
    return value ? *value : defaultValue;
}

bool ProfileText::readBool(const std::string &section, const std::string &key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void ProfileText::writeString(const std::string &section, const std::string &key, const std::string &value)
{
    const std::string clean = oneLine(value);
    auto s = sections_.find(folded(section));
    if (s == sections_.end()) {
        if (!lines_.empty() && !trim(lines_.back()).empty())
            lines_.emplace_back();
        const Line header = lines_.insert(lines_.end(), "[" + section + "]");
        s = sections_.try_emplace(folded(section), Section{header, {}}).first;
    }
    Section &at = s->second;
    const std::string name = folded(key);
    if (const auto k = at.keys.find(name); k != at.keys.end()) {
        std::string &line = *k->second;
        line = std::string(*keyOf(line)) + "=" + clean;
        return;
    }
    at.lastEntry = lines_.insert(std::next(at.lastEntry), key + "=" + clean);
    at.keys.try_emplace(name, at.lastEntry);
}

void ProfileText::writeInteger(const std::string &section, const std::string &key, int value)
{
    writeString(section, key, std::to_string(value));
}

void ProfileText::writeBool(const std::string &section, const std::string &key, bool value)
{
    writeString(section, key, value ? "1" : "0");
}

std::string ProfileText::bytes() const
{
    size_t size = 0;
    for (const std::string &line : lines_)
        size += line.size() + 2;
    std::string out;
    out.reserve(size);
    for (const std::string &line : lines_) {
        out += line;
        out += "\r\n";
    }
    return out;
}
