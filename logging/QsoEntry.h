#pragma once

#include <string>

class Contest;

// The entry line while it is typed, the duplicate check and the commit of a QSO.
class QsoEntry {
public:
    explicit QsoEntry(Contest &contest) : c_(contest) {}

    // Every change of the entry line's text.
    void changed(const std::string &text);
    // Logs the QSO the entry line holds. Throws FileError when the log cannot be written;
    // the QSO is then not counted and the entry line keeps its text.
    void commit();
    // Empties the entry line and its parts.
    void clear();
    // The call part is already logged on the current band and mode, in the own log or by
    // another position of the station; by is set to that position's name, or emptied.
    bool isDupe(std::string *by = nullptr) const;

private:
    Contest &c_;
};
