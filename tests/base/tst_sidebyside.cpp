#include "base/ProgressSink.h"
#include "base/SideBySide.h"

#include <gtest/gtest.h>

#include <atomic>
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

