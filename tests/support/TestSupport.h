#pragma once

#include "FixedClock.h"
#include "logging/ErrorReport.h"

#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// A temporary folder that stays on disk when the test fails, for a look afterwards.
class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    std::string path() const;                      // with a trailing '/'
    std::string file(const std::string &name) const;

private:
    QTemporaryDir dir_;
};

// Byte strings written as numbers, for the keyer's protocol.
inline std::string bytes(std::initializer_list<int> values)
{
    return std::string(values.begin(), values.end());
}

// Expected files are written in the tests with "\n"; the files themselves end lines with CR LF.
inline std::string crlf(std::string text)
{
    for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2)
        text.insert(at, 1, '\r');
    return text;
}

std::string readFileBytes(const std::string &path);
void writeFileBytes(const std::string &path, const std::string &bytes);

// What the exception of type E that the action raised says, or "no failure".
template <typename E, typename Action>
std::string failureText(Action &&action)
{
    try {
        action();
    } catch (const E &e) {
        return e.what();
    }
    return "no failure";
}

// Limits the size of files this process writes, the way a full disk stops a write part way,
// and works for root too, unlike taking a folder's write permission away.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

// Runs the event loop until the condition holds or the time is up.
inline bool waitUntil(const std::function<bool()> &condition, int ms = 3000)
{
    return QTest::qWaitFor(condition, ms);
}

// Catches what reaches the application's error report while it lives.
struct ErrorReportCatcher {
    std::vector<std::string> messages;
    ErrorReportCatcher() { setApplicationErrorHandler([this](const std::string &m) { messages.push_back(m); }); }
    ~ErrorReportCatcher() { setApplicationErrorHandler(nullptr); }
};
