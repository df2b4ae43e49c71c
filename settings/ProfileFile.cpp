#include "settings/ProfileFile.h"

#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

namespace {

constexpr size_t kMaxValue = 2047;  // the reader's buffer holds 2048 bytes with its terminator

std::string_view trim(std::string_view s)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

std::vector<std::string> readLines(const std::string &path)
{
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return lines;
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string::npos)
            end = all.size();
        std::string line = all.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// The section name of a "[name]" line, if it is one.
std::optional<std::string_view> sectionOf(std::string_view line)
{
    line = trim(line);
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
    long sectionLine = -1;    // index of the "[section]" line
    long lastEntryLine = -1;  // last non-blank line that belongs to the section
    long keyLine = -1;
};

Location locate(const std::vector<std::string> &lines, const std::string &section, const std::string &key)
{
    Location at;
    bool inside = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (auto name = sectionOf(lines[i])) {
            if (inside)
                break;  // the first section of that name is the one that counts
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

std::optional<long> parseInteger(std::string text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text = "$" + text.substr(2);
    int base = 10;
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '$') {
        base = 16;
        digits.remove_prefix(1);
    }
    if (digits.empty())
        return std::nullopt;
    const std::string owned(digits);
    // Hexadecimal takes no sign; a decimal value may carry one.
    if (base == 16 && (owned[0] == '-' || owned[0] == '+'))
        return std::nullopt;
    errno = 0;
    char *end = nullptr;
    const long long value = std::strtoll(owned.c_str(), &end, base);
    if (end != owned.c_str() + owned.size() || errno == ERANGE || std::isspace(static_cast<unsigned char>(owned[0])))
        return std::nullopt;
    if (base == 16) {
        if (value > 0xFFFFFFFFLL)
            return std::nullopt;
        return static_cast<long>(static_cast<int32_t>(static_cast<uint32_t>(value)));
    }
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<long>(value);
}

} // namespace

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {}

std::string ProfileFile::readString(const std::string &section, const std::string &key,
                                    const std::string &defaultValue) const
{
    const std::vector<std::string> lines = readLines(path_);
    const Location at = locate(lines, section, key);
    if (at.keyLine < 0)
        return defaultValue.substr(0, kMaxValue);
    const std::string &line = lines[static_cast<size_t>(at.keyLine)];
    std::string_view value = trim(std::string_view(line).substr(line.find('=') + 1));
    // A value in matching quotes is read without them, as operators' files expect.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value.substr(0, kMaxValue));
}

void ProfileFile::writeString(const std::string &section, const std::string &key, const std::string &value)
{
    std::vector<std::string> lines = readLines(path_);
    const Location at = locate(lines, section, key);
    const std::string entry = key + "=" + value;
    if (at.keyLine >= 0) {
        lines[static_cast<size_t>(at.keyLine)] = entry;
    } else if (at.sectionLine >= 0) {
        lines.insert(lines.begin() + at.lastEntryLine + 1, entry);
    } else {
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }

    std::string bytes;
    for (const std::string &line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    // A whole new file replaces the old one, so a failed write never leaves half a file.
    QSaveFile out(QString::fromStdString(path_));
    if (!out.open(QIODevice::WriteOnly)
        || out.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())
        || !out.commit())
        throw ProfileWriteError("Unable to write to " + path_);
}

int ProfileFile::readInteger(const std::string &section, const std::string &key, int defaultValue) const
{
    const auto value = parseInteger(readString(section, key, std::string()));
    return value ? static_cast<int>(*value) : defaultValue;
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
