#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The contest community's list of active calls (MASTER.SCP): lines starting with '#' are
// comments, then one call per line, CR LF or LF. Read once; the lists that look calls up
// in it keep it as it stands.
class MasterScp {
public:
    MasterScp() = default;

    // A line that is not a call (a stray word) is skipped and counted; blank lines are not counted.
    static MasterScp parse(std::string_view text);
    // None when the file cannot be read: the aids then go without it.
    static std::optional<MasterScp> load(const std::string &path);

    // Upper case, sorted by their bytes, each once.
    const std::vector<std::string> &calls() const { return calls_; }
    bool contains(std::string_view call) const;
    size_t size() const { return calls_.size(); }
    bool empty() const { return calls_.empty(); }
    int skippedLines() const { return skipped_; }

private:
    std::vector<std::string> calls_;
    int skipped_ = 0;
};

// Whether a line of the list holds a call: letters, digits and single '/' between them,
// at least one letter and one digit, 3 to 20 characters. Looser than the log check's
// call form, since the list holds every portable and special-event call worked.
bool IsListedCall(std::string_view text);
