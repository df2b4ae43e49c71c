#pragma once

#include "support/FreePort.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QStandardPaths>

#include <pwd.h>
#include <sys/prctl.h>

#include <string>

// A real mosquitto on a free loopback port, for as long as the rig lives: it is killed on
// every way out of a test, and with the test process itself should that die first.
class MosquittoRig {
public:
    // extra: more lines for the broker's configuration.
    explicit MosquittoRig(bool persistent = false, std::string extra = {})
        : persistent_(persistent), extra_(std::move(extra)), port_(freePort()) {}
    ~MosquittoRig() { stop(); }
    MosquittoRig(const MosquittoRig &) = delete;
    MosquittoRig &operator=(const MosquittoRig &) = delete;

    static bool installed() { return !QStandardPaths::findExecutable("mosquitto", {"/usr/sbin", "/usr/bin"}).isEmpty(); }

    // Starts the broker and waits until it takes connections; false after 10 s.
    bool start()
    {
        const passwd *user = getpwuid(getuid());
        std::string conf = "listener " + std::to_string(port_) + " 127.0.0.1\nallow_anonymous true\nlog_type error\n";
        conf += "user " + std::string(user ? user->pw_name : "root") + "\n";
        if (persistent_)
            conf += "persistence true\npersistence_location " + dir_.path() + "\n";
        writeFileBytes(dir_.file("mosquitto.conf"), conf + extra_);
        broker_.setProgram(QStandardPaths::findExecutable("mosquitto", {"/usr/sbin", "/usr/bin"}));
        broker_.setArguments({"-c", QString::fromStdString(dir_.file("mosquitto.conf"))});
        broker_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        broker_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
        broker_.start();
        return broker_.waitForStarted(10000) && waitUntil([this] { return listening(); }, 10000);
    }

    // A kill loses what the broker holds in memory; a stop lets it write its store first.
    void kill() { end(true); }
    void stop() { end(false); }

    int port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    void end(bool hard)
    {
        if (broker_.state() == QProcess::NotRunning)
            return;
        hard ? broker_.kill() : broker_.terminate();
        if (!broker_.waitForFinished(10000)) {
            broker_.kill();
            broker_.waitForFinished(10000);
        }
    }

    bool listening() const
    {
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port_));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool ok = connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
        close(s);
        return ok;
    }

    bool persistent_;
    std::string extra_;
    int port_;
    TestFolder dir_;
    QProcess broker_;
};
