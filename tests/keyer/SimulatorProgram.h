#pragma once

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <chrono>
#include <string>

// The keyer simulator program started as an operator starts it: its port once it has
// printed it, its commands on standard input, all it printed. Killed on every way out.
class SimulatorProgram {
public:
    ~SimulatorProgram()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    // False, with what it printed, when it did not name its port within 20 s.
    bool start(const QStringList &arguments, std::string *why)
    {
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(QStringLiteral(WKSIM_PROGRAM), arguments);
        if (!waitFor("/dev/pts/", 20000)) {
            *why = "the simulator named no port; it printed: " + output_;
            return false;
        }
        const size_t at = output_.find("/dev/pts/");
        port = output_.substr(at, output_.find('\n', at) - at);
        return true;
    }

    void command(const std::string &line) { process_.write((line + "\n").c_str()); }

    // Whether it printed the text (after `from`) within ms milliseconds.
    bool waitFor(const std::string &text, int ms, size_t from = 0)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (output_.find(text, from) == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
            if (left.count() <= 0 || process_.state() == QProcess::NotRunning)
                return false;
            // The event loop goes on meanwhile: a logger in this process keeps answering its keyer.
            QEventLoop loop;
            QTimer::singleShot(10, &loop, &QEventLoop::quit);
            loop.exec();
            output_ += process_.readAll().toStdString();
        }
        return true;
    }

    // "quit", then its end within 20 s.
    bool quit()
    {
        command("quit");
        const bool ended = process_.waitForFinished(20000);
        output_ += process_.readAll().toStdString();
        return ended && process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    }

    // All it printed, up to now.
    const std::string &output()
    {
        output_ += process_.readAll().toStdString();
        return output_;
    }
    std::string port;

private:
    QProcess process_;
    std::string output_;
};
