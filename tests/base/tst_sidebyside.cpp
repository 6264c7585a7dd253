#include "base/ProgressSink.h"
#include "base/SideBySide.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <thread>

namespace {

struct NoPump final : EventPump
{
    void Pump() override {}
};

} // namespace

// The kept threads serve call after call, each side on its own thread and never on the caller's; a
// failure of one side comes back to the caller after both sides ended, and the next call runs as usual.
TEST(SideBySideThreads, ServesManyCallsAndHandsBackFailures)
{
    NoPump pump;
    SideBySideThreads threads;
    const std::thread::id caller = std::this_thread::get_id();
    std::thread::id seen[2];
    int sums[2] = {0, 0};
    for (int round = 0; round < 500; ++round)
        threads.Run([&] { sums[0] += 1; seen[0] = std::this_thread::get_id(); },
                    [&] { sums[1] += 2; seen[1] = std::this_thread::get_id(); }, pump);
    EXPECT_EQ(sums[0], 500);
    EXPECT_EQ(sums[1], 1000);
    EXPECT_NE(seen[0], caller);
    EXPECT_NE(seen[1], caller);
    EXPECT_NE(seen[0], seen[1]);

    std::atomic<bool> otherEnded{false};
    EXPECT_THROW(threads.Run([] { throw std::runtime_error("left"); }, [&] { otherEnded = true; }, pump),
                 std::runtime_error);
    EXPECT_TRUE(otherEnded);
    bool again = false;
    threads.Run([] {}, [&] { again = true; }, pump);
    EXPECT_TRUE(again);
}

// An object that never ran anything ends without threads to wait for.
TEST(SideBySideThreads, EndsWithoutACall)
{
    SideBySideThreads threads;
}

// Started work runs while the caller goes on; Wait hands back its failure, a second Start before the
// Wait is refused, and an object that ends with work never waited for lets that work finish first
// (it still uses the caller's objects, which outlive the object).
TEST(SideBySideThreads, StartRunsWhileTheCallerWorks)
{
    NoPump pump;
    std::atomic<bool> release{false};
    std::atomic<int> ended{0};
    const std::function<void()> left = [&] {
        while (!release)
            std::this_thread::yield();
        ++ended;
    };
    const std::function<void()> right = [&] { ++ended; };
    const std::function<void()> fails = [] { throw std::runtime_error("right"); };
    {
        SideBySideThreads threads;
        threads.Start(left, right);
        EXPECT_TRUE(threads.Started());
        EXPECT_THROW(threads.Start(left, right), std::logic_error);
        EXPECT_LT(ended.load(), 2); // the left side waits for the caller
        release = true;
        threads.Wait(pump);
        EXPECT_FALSE(threads.Started());
        EXPECT_EQ(ended.load(), 2);

        threads.Start(right, fails);
        EXPECT_THROW(threads.Wait(pump), std::runtime_error);
        EXPECT_EQ(ended.load(), 3);
        threads.Wait(pump); // nothing started: returns at once

        release = false;
        threads.Start(left, right);
        release = true; // ends, never waited for
    }
    EXPECT_EQ(ended.load(), 5);
}
