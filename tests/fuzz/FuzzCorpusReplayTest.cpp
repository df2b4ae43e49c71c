#include "fuzz/FuzzTarget.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

// Every seed and every input that once broke a reader, through the entry the fuzzer
// drives: a crash, a sanitizer report or a failed check stops this test.
TEST(FuzzCorpus, EveryTargetReplaysItsWholeCorpus)
{
    ASSERT_FALSE(FuzzTargets().empty());
    for (const FuzzTarget &target : FuzzTargets()) {
        const fs::path folder = fs::path(QUILL_FUZZ_CORPUS) / target.name;
        ASSERT_TRUE(fs::is_directory(folder)) << "no corpus for " << target.name;
        int replayed = 0;
        for (const auto &file : fs::directory_iterator(folder)) {
            std::ifstream in(file.path(), std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            SCOPED_TRACE(file.path().string());
            target.entry(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
            ++replayed;
        }
        EXPECT_GE(replayed, 3) << target.name;
    }
}
