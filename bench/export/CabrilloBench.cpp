#include "export/Cabrillo.h"
#include "logging/Bands.h"
#include "logging/ContestState.h"
#include "logging/LogTable.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    const int qsos = 100000;

    ContestState state;
    state.MyCall = "S59ABC";
    state.MyYearLic = "1999";
    state.LogDate = "2013-04-14";
    std::vector<QsoRow> rows;
    rows.reserve(qsos);
    for (int i = 0; i < qsos; ++i) {
        char time[8];
        std::snprintf(time, sizeof time, "%02d:%02d", i / 60 % 24, i % 60);
        rows.push_back({time, "S5" + std::to_string(10 + i % 90) + "X", std::to_string(i % 500 + 1),
                        std::to_string(i + 1), std::string(ContestBands[i % ContestBands.size()].name),
                        i % 3 ? "CW" : "SSB", i < qsos / 2 ? "2013-04-13" : ""});
    }
    LogTable log;
    log.replaceAll(std::move(rows));
    state.QsoCount = qsos;

    for (bool byNumber : {false, true}) {
        state.CbExchange = !byNumber;
        state.CbNumber = byNumber;
        std::vector<double> times;
        for (int run = 0; run < 10; ++run) {
            const auto start = std::chrono::steady_clock::now();
            ExportCabrillo(state, log, folder);
            times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        std::sort(times.begin(), times.end());
        std::printf("export of %d QSOs, %s choice: median %.3f s, worst %.3f s (target <= 0.2 s)\n", qsos,
                    byNumber ? "number" : "exchange", times[times.size() / 2], times.back());
    }
    return 0;
}
