#include "PtyPair.h"

#include "serial/SerialHandOff.h"

#include <gtest/gtest.h>

#include <thread>

// Running on the owner thread, waiting for work already asked for and a handler that closes
// its own port are covered end to end by the ComPortSync tests.
TEST(SerialHandOff, EscapingExceptionsGoToTheErrorReport)
{
    ErrorReportCatcher catcher;
    SerialHandOff handOff;
    handOff.threadStarting();
    std::thread worker([&] {
        handOff.runAndWait([] { throw std::runtime_error("first"); });
        handOff.runAndWait([] { throw 42; });
        handOff.threadFinished();
    });
    handOff.waitForThread(worker);
    handOff.post([] { throw std::runtime_error("posted"); });
    ASSERT_TRUE(waitUntil([&] { return catcher.messages.size() == 3; }));
    EXPECT_EQ(catcher.messages[0], "first");
    EXPECT_EQ(catcher.messages[2], "posted");
}
