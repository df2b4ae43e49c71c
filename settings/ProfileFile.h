#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Raised when a key cannot be written. The message is "Unable to write to <path>", the
// path in the system's own file name bytes, so a folder of any letters shows as it is.
class ProfileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An INI ("profile") file read and written one key at a time, with the rules of the
// Windows profile functions that operators' existing settings files were written by:
// case-insensitive section and key names, blanks around names and values ignored,
// a value in matching quotes read without them, new sections appended in order of
// first write, new keys appended at the end of their section, unknown lines and the
// order of the file kept, CR LF, 8-bit text, values read into at most 2047 characters.
// Nothing is held between calls: every read looks at the file, every write reaches it.
class ProfileText;

class ProfileFile {
public:
    // Windows reads a value into a 2048-byte buffer, terminator included.
    static constexpr size_t MaxValueLength = 2047;

    // A file whose name differs from path only in letter case stands for it when path is missing.
    explicit ProfileFile(std::string path);

    const std::string &path() const { return path_; }

    // A present but empty value gives the empty text, not the default.
    std::string readString(const std::string &section, const std::string &key,
                           const std::string &defaultValue) const;
    // Writes straight to the file; throws ProfileWriteError when it cannot, and then
    // the file is as it was before this call.
    void writeString(const std::string &section, const std::string &key, const std::string &value);

    // Decimal, "0x"/"0X" or "$" hexadecimal; anything that does not convert gives the default.
    int readInteger(const std::string &section, const std::string &key, int defaultValue) const;
    void writeInteger(const std::string &section, const std::string &key, int value);

    // Read as an integer with default 1 or 0; any value other than 0 is true. Written as "1" or "0".
    bool readBool(const std::string &section, const std::string &key, bool defaultValue) const;
    void writeBool(const std::string &section, const std::string &key, bool value);

    // The whole file read once, for reading many keys in one pass over it.
    ProfileText read() const;
    // Many writes made on one reading of the file and written back in one rewrite;
    // throws ProfileWriteError as writeString does, and then none of them is written.
    void write(const std::function<void(ProfileText &)> &edits);

private:
    std::string path_;
};

// A profile file's text with an index of its sections and keys: reads and writes give
// exactly what ProfileFile's do on the same bytes, at a cost that does not grow with
// the size of the file, so a file of many sections is read and written in linear time.
class ProfileText {
public:
    explicit ProfileText(std::string bytes);

    std::string readString(const std::string &section, const std::string &key,
                           const std::string &defaultValue) const;
    int readInteger(const std::string &section, const std::string &key, int defaultValue) const;
    bool readBool(const std::string &section, const std::string &key, bool defaultValue) const;
    bool hasSection(const std::string &section) const { return find(section) != nullptr; }
    bool hasSections() const { return !sections_.empty(); }

    void writeString(const std::string &section, const std::string &key, const std::string &value);
    void writeInteger(const std::string &section, const std::string &key, int value);
    void writeBool(const std::string &section, const std::string &key, bool value);

    std::string bytes() const;

private:
    static constexpr size_t None = static_cast<size_t>(-1);
    static constexpr uint32_t Empty = static_cast<uint32_t>(-1);
    // A line is a piece of the bytes read, or a text written since; lines follow one
    // another through next, so a key added inside a section moves no other line.
    struct Line {
        size_t start = 0;  // into bytes_, or into written_ when written
        size_t size = 0;
        size_t next = None;
        bool written = false;
        bool header = false;
    };
    // A section's name is a piece of the bytes read or of a text written, as its line is.
    struct Section {
        size_t header = None;
        size_t lastEntry = None;  // last non-blank line that belongs to the section
        Line name;
    };
    using KeyIndex = std::unordered_map<std::string, size_t>;

    std::string_view text(const Line &line) const;
    std::string_view text(size_t line) const { return text(lines_[line]); }
    size_t insertAfter(size_t line, std::string text);
    // The slot of a name in slots_: its section's, or the empty one it would take.
    size_t slotOf(std::string_view name) const;
    const Section *find(std::string_view name) const;
    Section &addSection(std::string_view name, Line where, size_t header);
    // Keys are indexed for a section when it is first asked for, not for every section
    // of a file that may hold thousands nobody reads.
    KeyIndex &keysOf(const Section &section) const;

    std::string bytes_;
    std::vector<std::string> written_;
    std::vector<Line> lines_;  // lines_[0] starts the order and is no line of the file
    size_t last_ = 0;
    // The first section of a name is the one Windows reads and writes; names compared
    // without regard to case. Sections in file order, found through an open-addressed
    // table at most half full: a file of many sections costs no allocation per section.
    std::vector<Section> sections_;
    std::vector<uint32_t> slots_;
    mutable std::unordered_map<size_t, KeyIndex> keys_;  // by section header
};

// The profile's integer form: decimal with an optional sign, or hexadecimal after "$"
// (or after "0x"/"0X" when the text is longer than two characters). Hexadecimal takes
// 32 bits and wraps, as the Windows runtime does; anything else gives no value.
std::optional<int> ParseProfileInteger(std::string_view text);
