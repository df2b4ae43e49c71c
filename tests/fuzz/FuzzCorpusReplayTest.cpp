#include "fuzz/FuzzTarget.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

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
            SCOPED_TRACE(file.path().string());
            const std::string input = readFileBytes(file.path());
            target.entry(reinterpret_cast<const uint8_t *>(input.data()), input.size());
            ++replayed;
        }
        EXPECT_GE(replayed, 3) << target.name;
    }
}
