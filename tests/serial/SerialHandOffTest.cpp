#include "PtyPair.h"

#include "serial/SerialHandOff.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

TEST(SerialHandOff, WorkRunsOnTheOwnerThreadWhileTheCallerWaits)
{
    SerialHandOff handOff;
    const auto owner = std::this_thread::get_id();
    std::atomic<bool> ranOnOwner{false}, returned{false};
    handOff.threadStarting();
    std::thread worker([&] {
        handOff.runAndWait([&] { ranOnOwner = std::this_thread::get_id() == owner; });
        returned = true;
        handOff.threadFinished();
    });
    ASSERT_TRUE(waitUntil([&] { return returned.load(); }));
    EXPECT_TRUE(ranOnOwner);
    handOff.waitForThread(worker);
}

TEST(SerialHandOff, WaitingForTheThreadRunsWorkItAlreadyRequested)
{
    SerialHandOff handOff;
    std::atomic<int> ran{0};
    handOff.threadStarting();
    std::thread worker([&] {
        handOff.runAndWait([&] { ++ran; });
        handOff.runAndWait([&] { ++ran; });
        handOff.threadFinished();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the owner handles no events
    handOff.waitForThread(worker);
    EXPECT_EQ(ran, 2);
    EXPECT_FALSE(worker.joinable());
}

TEST(SerialHandOff, WaitingFromInsideAHandOffReleasesTheCallerFirst)
{
    SerialHandOff handOff;
    std::atomic<bool> stop{false};
    bool waited = false;
    std::thread worker;
    handOff.threadStarting();
    worker = std::thread([&] {
        handOff.runAndWait([&] {
            stop = true;
            handOff.waitForThread(worker);  // a handler that closes its own port
            waited = true;
        });
        handOff.threadFinished();
    });
    ASSERT_TRUE(waitUntil([&] { return waited; }));
}

TEST(SerialHandOff, EscapingExceptionsGoToTheErrorReport)
{
    ErrorReportCatcher catcher;
    const std::vector<std::string> &reports = catcher.messages;
    SerialHandOff handOff;
    handOff.threadStarting();
    std::thread worker([&] {
        handOff.runAndWait([] { throw std::runtime_error("first"); });
        handOff.runAndWait([] { throw 42; });
        handOff.threadFinished();
    });
    handOff.waitForThread(worker);
    handOff.post([] { throw std::runtime_error("posted"); });
    ASSERT_TRUE(waitUntil([&] { return reports.size() == 3; }));
    EXPECT_EQ(reports[0], "first");
    EXPECT_EQ(reports[2], "posted");
}
