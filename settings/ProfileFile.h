#pragma once

#include <stdexcept>
#include <string>

// Raised when a key cannot be written; the message is "Unable to write to <path>".
class ProfileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An INI ("profile") file read and written one key at a time, keeping the rules
// operators' existing settings files were written with: case-insensitive section
// and key names, new sections and keys appended, unknown lines kept, CR LF,
// 8-bit text, values read into at most 2047 characters.
class ProfileFile {
public:
    explicit ProfileFile(std::string path);

    const std::string &path() const { return path_; }

    // A present but empty value gives the empty text, not the default.
    std::string readString(const std::string &section, const std::string &key,
                           const std::string &defaultValue) const;
    // Writes straight to the file; throws ProfileWriteError when it cannot.
    void writeString(const std::string &section, const std::string &key, const std::string &value);

    // Decimal, "0x"/"0X" or "$" hexadecimal; anything that does not convert gives the default.
    int readInteger(const std::string &section, const std::string &key, int defaultValue) const;
    void writeInteger(const std::string &section, const std::string &key, int value);

    // Any integer other than 0 is true; written as "1" or "0".
    bool readBool(const std::string &section, const std::string &key, bool defaultValue) const;
    void writeBool(const std::string &section, const std::string &key, bool value);

private:
    std::string path_;
};
