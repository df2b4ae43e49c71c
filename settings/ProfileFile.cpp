#include "settings/ProfileFile.h"

#include "logging/FileWrite.h"
#include "logging/ScreenText.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
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
    // Read in one piece of the size the file has, not grown by doubling; a file that
    // grows meanwhile is read to its end all the same.
    const auto size = std::filesystem::file_size(path, ec);
    std::string bytes(ec ? 0 : static_cast<size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    if (in)
        bytes.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return bytes;
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

ProfileText::ProfileText(std::string all) : bytes_(std::move(all)), lines_(1)
{
    // Sized once for the file's lines and headers, not grown and rehashed on the way.
    const auto newlines = static_cast<size_t>(std::count(bytes_.begin(), bytes_.end(), '\n'));
    lines_.reserve(newlines + 2);
    const auto brackets = static_cast<size_t>(std::count(bytes_.begin(), bytes_.end(), '['));
    sections_.reserve(brackets);
    size_t slotCount = 16;
    while (slotCount < 2 * brackets + 2)
        slotCount *= 2;
    slots_.assign(slotCount, Empty);
    size_t inside = None;
    size_t start = 0;
    while (start < bytes_.size()) {
        size_t end = bytes_.find('\n', start);
        if (end == std::string::npos)
            end = bytes_.size();
        size_t stop = end;
        if (stop > start && bytes_[stop - 1] == '\r')
            --stop;
        lines_[last_].next = lines_.size();
        last_ = lines_.size();
        lines_.push_back(Line{start, stop - start});
        start = end + 1;

        const std::string_view line = text(last_);
        if (auto name = sectionOf(line)) {
            lines_[last_].header = true;
            // A later section of a name already seen is never read or written.
            inside = None;
            if (!find(*name)) {
                addSection(*name, Line{static_cast<size_t>(name->data() - bytes_.data()), name->size()}, last_);
                inside = sections_.size() - 1;
            }
            continue;
        }
        if (inside != None && !trim(line).empty())
            sections_[inside].lastEntry = last_;
    }
}

size_t ProfileText::slotOf(std::string_view name) const
{
    uint64_t hash = 14695981039346656037ull;
    for (char c : name)
        hash = (hash ^ static_cast<unsigned char>(upper(c))) * 1099511628211ull;
    // The multiplications carry low bits upwards only: the high bits pick the slot.
    hash ^= hash >> 32;
    hash *= 0x9E3779B97F4A7C15ull;
    hash ^= hash >> 29;
    const size_t mask = slots_.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        if (slots_[slot] == Empty)
            return slot;
        const std::string_view held = text(sections_[slots_[slot]].name);
        if (held.size() == name.size()
            && std::equal(held.begin(), held.end(), name.begin(), [](char a, char b) { return upper(a) == upper(b); }))
            return slot;
    }
}

const ProfileText::Section *ProfileText::find(std::string_view name) const
{
    const uint32_t at = slots_[slotOf(name)];
    return at == Empty ? nullptr : &sections_[at];
}

ProfileText::Section &ProfileText::addSection(std::string_view name, Line where, size_t header)
{
    if (2 * (sections_.size() + 1) > slots_.size()) {
        slots_.assign(2 * slots_.size(), Empty);
        for (size_t i = 0; i < sections_.size(); ++i)
            slots_[slotOf(text(sections_[i].name))] = static_cast<uint32_t>(i);
    }
    slots_[slotOf(name)] = static_cast<uint32_t>(sections_.size());
    return sections_.emplace_back(Section{header, header, where});
}

std::string_view ProfileText::text(const Line &at) const
{
    return at.written ? std::string_view(written_[at.start]) : std::string_view(bytes_).substr(at.start, at.size);
}

size_t ProfileText::insertAfter(size_t line, std::string text)
{
    written_.push_back(std::move(text));
    const size_t added = lines_.size();
    lines_.push_back(Line{written_.size() - 1, 0, lines_[line].next, true});
    lines_[line].next = added;
    if (last_ == line)
        last_ = added;
    return added;
}

ProfileText::KeyIndex &ProfileText::keysOf(const Section &section) const
{
    auto [at, added] = keys_.try_emplace(section.header);
    if (added)
        for (size_t line = lines_[section.header].next; line != None && !lines_[line].header; line = lines_[line].next)
            if (auto k = keyOf(text(line)))
                at->second.try_emplace(folded(*k), line);
    return at->second;
}

std::string ProfileText::readString(const std::string &section, const std::string &key,
                                    const std::string &defaultValue) const
{
    const Section *at = find(section);
    if (!at)
        return defaultValue.substr(0, ProfileFile::MaxValueLength);
    const KeyIndex &keys = keysOf(*at);
    const auto k = keys.find(folded(key));
    if (k == keys.end())
        return defaultValue.substr(0, ProfileFile::MaxValueLength);
    const std::string_view line = text(k->second);
    std::string_view value = trim(line.substr(line.find('=') + 1));
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
    auto *found = const_cast<Section *>(find(section));
    if (!found) {
        if (last_ != 0 && !trim(text(last_)).empty())
            insertAfter(last_, std::string());
        const size_t header = insertAfter(last_, "[" + section + "]");
        lines_[header].header = true;
        written_.push_back(section);
        found = &addSection(section, Line{written_.size() - 1, 0, None, true}, header);
    }
    Section &at = *found;
    KeyIndex &keys = keysOf(at);
    const std::string name = folded(key);
    if (const auto k = keys.find(name); k != keys.end()) {
        Line &line = lines_[k->second];
        std::string edited = std::string(*keyOf(text(k->second))) + "=" + clean;
        written_.push_back(std::move(edited));
        line.start = written_.size() - 1;
        line.written = true;
        return;
    }
    at.lastEntry = insertAfter(at.lastEntry, key + "=" + clean);
    keys.try_emplace(name, at.lastEntry);
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
    for (size_t line = lines_[0].next; line != None; line = lines_[line].next)
        size += text(line).size() + 2;
    std::string out;
    out.reserve(size);
    for (size_t line = lines_[0].next; line != None; line = lines_[line].next) {
        out += text(line);
        out += "\r\n";
    }
    return out;
}
