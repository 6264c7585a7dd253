#include "base/QtEventPump.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

// Waiting for events sleeps in the dispatcher instead of spinning: one call ends with the first event
// that arrives, and a call with nothing to come still returns.
TEST(QtEventPump, WaitingLetsTheNextEventRunAndIsBounded)
{
    QtEventPump pump;
    bool fired = false;
    QTimer::singleShot(20, [&] { fired = true; });
    // Other events may end a wait first, but a pump that spun instead of waiting would use up these
    // rounds long before the timer is due.
    for (int round = 0; !fired && round < 100; ++round)
        pump.WaitForEvents(5000);
    EXPECT_TRUE(fired);

    // Nothing is due: the bound ends the wait.
    pump.WaitForEvents(1);
    pump.WaitForEvents(0);
}

// The default of a pump without an event queue is one pump per wait.
TEST(EventPump, DefaultWaitPumpsOnce)
{
    struct Counting final : EventPump
    {
        void Pump() override { ++pumps; }
        int pumps = 0;
    } pump;
    pump.WaitForEvents(1000);
    EXPECT_EQ(pump.pumps, 1);
}
