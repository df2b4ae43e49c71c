#include "logging/ContestState.h"
#include "settings/MainSettings.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

// A settings state as a working CW operator has it: every message memory filled.
ContestState busyOperator()
{
    ContestState s;
    s.MyCall = "S59ABC";
    s.MyYearLic = "1999";
    s.Mode = "CW";
    s.Band = "40";
    s.CbNumber = true;
    s.Speed = 28;
    s.SpeedStep = 2;
    s.SpeedMax = 40;
    for (size_t i = 0; i < 9; ++i) {
        s.F[i] = "CQ TEST S59ABC S59ABC TEST " + std::to_string(i) + " <<< # >>";
        s.Fs[i] = "TU 5NN # S59ABC " + std::to_string(i);
        s.FText[i] = "Message F" + std::to_string(i + 1);
    }
    s.Lead = "0";
    s.Tail = "0";
    s.Ratio = "50";
    s.HangTime = 1;
    s.E0 = 0x94;
    s.R01 = 0x85;
    return s;
}

double milliseconds(const std::function<void()> &f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The process's own processor time, for figures that other programs on the machine must not skew.
double cpuMilliseconds(const std::function<void()> &f)
{
    const std::clock_t start = std::clock();
    f();
    return 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

void report(const char *what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-44s median %7.3f ms   worst %7.3f ms   (%zu runs)\n", what, times[times.size() / 2],
                times.back(), times.size());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    const ContestState operatorState = busyOperator();
    const int runs = 50;

    std::vector<double> firstSave, save, load, both;
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir fresh;
        const std::string freshFolder = fresh.path().toStdString() + "/";
        firstSave.push_back(milliseconds([&] { SaveMainSettings(operatorState, freshFolder, "14.04.13"); }));
    }
    for (int i = 0; i < runs; ++i)
        save.push_back(milliseconds([&] { SaveMainSettings(operatorState, folder, "14.04.13"); }));
    for (int i = 0; i < runs; ++i) {
        ContestState s;
        load.push_back(milliseconds([&] { LoadMainSettings(s, folder); }));
    }
    for (int i = 0; i < runs; ++i) {
        ContestState s;
        both.push_back(milliseconds([&] {
            LoadMainSettings(s, folder);
            SaveMainSettings(s, folder, "14.04.13");
        }));
    }
    report("save, first close (creates the file)", firstSave);
    report("save over an existing file", save);
    report("load", load);
    report("load and save (target <= 20 ms)", both);

    // A file grown by another program: load and save stay linear in its size.
    for (int sections : {1000, 10000, 100000}) {
        QTemporaryDir big;
        const std::string bigFolder = big.path().toStdString() + "/";
        std::string text;
        for (int i = 0; i < sections; ++i)
            text += "[Other" + std::to_string(i) + "]\r\nKey=Value " + std::to_string(i) + "\r\n";
        SaveMainSettings(operatorState, bigFolder, "14.04.13");
        std::FILE *f = std::fopen(MainSettingsFile(bigFolder).c_str(), "ab");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        std::vector<double> bigLoad, bigSave;
        for (int i = 0; i < 5; ++i) {
            ContestState s;
            bigLoad.push_back(cpuMilliseconds([&] { LoadMainSettings(s, bigFolder); }));
            bigSave.push_back(cpuMilliseconds([&] { SaveMainSettings(s, bigFolder, "14.04.13"); }));
        }
        const std::string what = std::to_string(sections) + " more sections, processor time: ";
        report((what + "load").c_str(), bigLoad);
        report((what + "save").c_str(), bigSave);
    }
    return 0;
}
