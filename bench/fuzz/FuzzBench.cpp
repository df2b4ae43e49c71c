// Time per input of every fuzz target over input sizes from 1 KB to 1 MB, each input a
// seed repeated: a reader whose time grows faster than its input shows a ratio above 10.
#include "fuzz/FuzzTarget.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace {

// The seed each target's inputs are built from: a well-formed piece that repeats. A target
// missing here is reported as having no seed, not read from its corpus folder.
const std::map<std::string, std::string> kSeed = {
    {"adif", "exchange"},     {"cabrillo", "exchange"},    {"keyer_decoder", "noise"},
    {"log_file", "good"},     {"macros", "plain"},         {"serial_settings", "baud"},
    {"settings_file", "good"},
};

std::string readSeed(const std::string &target)
{
    const auto seed = kSeed.find(target);
    if (seed == kSeed.end())
        return {};
    const std::filesystem::path path = std::filesystem::path(QUILL_FUZZ_CORPUS) / target / seed->second;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return {};
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Processor time per call, over at least a fifth of a second.
double microsecondsPerInput(const FuzzTarget &target, const std::string &input)
{
    const auto *data = reinterpret_cast<const uint8_t *>(input.data());
    int calls = 0;
    const std::clock_t start = std::clock();
    std::clock_t now = start;
    while (now - start < CLOCKS_PER_SEC / 5) {
        target.entry(data, input.size());
        ++calls;
        now = std::clock();
    }
    return 1e6 * static_cast<double>(now - start) / CLOCKS_PER_SEC / calls;
}

} // namespace

int main()
{
    std::printf("%-16s %12s %12s %12s %12s   worst ratio per 10x size\n", "target", "1 KB", "10 KB", "100 KB", "1 MB");
    for (const FuzzTarget &target : FuzzTargets()) {
        const std::string seed = readSeed(target.name);
        if (seed.empty()) {
            std::printf("%-16s no seed\n", target.name);
            continue;
        }
        double previous = 0, worst = 0;
        std::printf("%-16s", target.name);
        for (size_t size : {1000u, 10000u, 100000u, 1000000u}) {
            std::string input;
            while (input.size() < size)
                input += seed;
            const double us = microsecondsPerInput(target, input);
            std::printf(" %9.1f us", us);
            if (previous > 0)
                worst = std::max(worst, us / previous);
            previous = us;
        }
        std::printf("   %.1f\n", worst);
    }
    return 0;
}
