// Prints how long the log takes to load, to check one entry change and to commit
// one QSO, and the peak memory, for logs of 10,000 and 100,000 QSOs.
#include "logging/Bands.h"
#include "logging/Contest.h"
#include "logging/DurableFile.h"
#include "support/FixedClock.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

using Clock_ = std::chrono::steady_clock;

// The window's part in an entry change: the line and a callback into the logic.
class BenchView : public NullMainView {
public:
    explicit BenchView(Contest &c) : c_(c) {}
    std::string line;
    std::string entryText() const override { return line; }
    void setEntryText(const std::string &t) override
    {
        if (t == line)
            return;
        line = t;
        c_.entry.changed(t);
    }

private:
    Contest &c_;
};

double ms(Clock_::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

std::string makeLog(int count)
{
    std::string text;
    char line[96];
    for (int i = 0; i < count; ++i) {
        const std::string band(ContestBands[i % ContestBands.size()].name);
        std::snprintf(line, sizeof line, "2013-04-14 %02d%02d S%dA%04d %d %s %s\r\n", (i / 60) % 24, i % 60, i % 10,
                      i % 10000, 1950 + i % 70, band.c_str(), i % 3 ? "CW" : "SSB");
        text += line;
    }
    return text;
}

void run(int count)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    {
        const std::string text = makeLog(count);
        appendDurably(folder + "S5ABC.log", text);
    }
    ContestState st;
    st.MyCall = "S5ABC";
    st.Mode = "CW";
    st.Band = "80";
    LogTable table;
    FixedClock clock;
    Contest c(st, table, clock, folder);
    BenchView view(c);
    c.setView(&view);

    const auto t0 = Clock_::now();
    c.log.countAndLoad();
    const auto loadTime = Clock_::now() - t0;

    // One change per typed character, alternating a duplicate and a new call.
    const std::string calls[] = {"S5A0042 1987", "S5ZZZZ 12"};
    std::vector<double> changes;
    for (int round = 0; round < 2000; ++round) {
        const std::string &line = calls[round % 2];
        view.line = line.substr(0, line.size() - 1);
        const auto s = Clock_::now();
        view.setEntryText(line);
        changes.push_back(std::chrono::duration<double, std::micro>(Clock_::now() - s).count());
    }
    std::sort(changes.begin(), changes.end());

    std::vector<double> commits;
    for (int i = 0; i < 20; ++i) {
        view.setEntryText("S5NEW" + std::to_string(i) + " 1");
        const auto s = Clock_::now();
        c.keys.enter();
        commits.push_back(ms(Clock_::now() - s));
    }
    std::sort(commits.begin(), commits.end());

    struct rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("%7d QSOs: load %.1f ms, entry change median %.2f us (99%% %.2f us), "
                "commit with fsync median %.2f ms, peak memory %.1f MB\n",
                count, ms(loadTime), changes[changes.size() / 2], changes[changes.size() * 99 / 100],
                commits[commits.size() / 2], ru.ru_maxrss / 1024.0);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    run(10000);
    run(100000);
    return 0;
}
