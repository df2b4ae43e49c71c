#pragma once

#include <stdexcept>
#include <string>

// A file operation that failed; the message names the file and the system's reason.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Appends lines and waits until they are on the disk, creating the file if needed,
// so a contact the operator has logged survives a power cut the moment after.
// They start on a line of their own even when the file's last line has no line break;
// an append that fails is cut back off, so it leaves no torn line for the next to extend.
void appendDurably(const std::string &path, const std::string &bytes);

// Replaces a file's whole content without a moment in which a half-written file
// stands in its place: the new content is written beside it and renamed over it.
// When backupPath is not empty the previous content is kept there, as a file of its
// own also when the path is a link.
void replaceDurably(const std::string &path, const std::string &bytes, const std::string &backupPath);

bool fileExists(const std::string &path);
std::string readWholeFile(const std::string &path);
