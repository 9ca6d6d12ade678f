#include "platform/event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/clock.h"

namespace {

using kvx::platform::Event;

TEST(Event, ManualResetStaysSignalledUntilCleared) {
    Event e(Event::Reset::Manual);
    EXPECT_FALSE(e.Wait(0));
    e.Set();
    EXPECT_TRUE(e.Wait(0));
    EXPECT_TRUE(e.Wait(0));
    EXPECT_TRUE(e.IsSet());
    e.Clear();
    EXPECT_FALSE(e.Wait(0));
}

TEST(Event, AutoResetReleasesOneWaitAndClearsItself) {
    Event e(Event::Reset::Auto, true);
    EXPECT_TRUE(e.Wait(0));
    EXPECT_FALSE(e.Wait(0));
    EXPECT_FALSE(e.IsSet());
}

TEST(Event, TimedWaitGivesUpAfterItsTimeOut) {
    Event e(Event::Reset::Manual);
    uint32_t start = kvx::platform::TickCount();
    EXPECT_FALSE(e.Wait(60));
    // Lower bound only: a loaded machine may take longer, never shorter.
    EXPECT_GE(kvx::platform::TickCount() - start, 50u);
}

TEST(Event, ManualResetWakesEveryWaiterAutoResetExactlyOne) {
    Event manual(Event::Reset::Manual);
    std::atomic<int> woken{0};
    std::thread a([&] { woken += manual.Wait(5000); });
    std::thread b([&] { woken += manual.Wait(5000); });
    manual.Set();
    a.join();
    b.join();
    EXPECT_EQ(woken.load(), 2);

    Event autoReset(Event::Reset::Auto);
    std::atomic<int> passed{0};
    std::thread c([&] { passed += autoReset.Wait(300); });
    std::thread d([&] { passed += autoReset.Wait(300); });
    autoReset.Set();
    c.join();
    d.join();
    EXPECT_EQ(passed.load(), 1);
}

}  // namespace
