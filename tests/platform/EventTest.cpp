#include "platform/Event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/Time.h"

namespace nodrix::platform {
namespace {

// Polls until pred holds or a generous real-time limit passes.
template <typename Pred>
bool Eventually(Pred pred) {
    for (int i = 0; i < 2000; ++i) {
        if (pred()) return true;
        SleepMs(5);
    }
    return pred();
}

TEST(EventTest, TimedWaitOnAnUnsetEventTimesOut) {
    Event automatic(EventReset::Auto, false);
    Event manual(EventReset::Manual, false);
    EXPECT_FALSE(automatic.Wait(0));
    EXPECT_FALSE(automatic.Wait(30));
    EXPECT_FALSE(manual.Wait(30));
}

TEST(EventTest, ManualResetStaysSetUntilReset) {
    Event event(EventReset::Manual, true);
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0));
    event.Reset();
    EXPECT_FALSE(event.Wait(0));
    event.Set();
    EXPECT_TRUE(event.Wait(kInfinite));
}

TEST(EventTest, AutoResetIsConsumedByOneWait) {
    Event event(EventReset::Auto, true);
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));
    event.Set();
    event.Set();  // does not count
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));
}

TEST(EventTest, SetFromAnotherThreadWakesAWaiter) {
    Event event(EventReset::Auto, false);
    std::thread setter([&] {
        SleepMs(20);
        event.Set();
    });
    EXPECT_TRUE(event.Wait(60000));
    setter.join();
}

TEST(EventTest, ManualResetWakesEveryWaiter) {
    Event event(EventReset::Manual, false);
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 4; ++i) {
        waiters.emplace_back([&] {
            if (event.Wait(60000)) ++woken;
        });
    }
    event.Set();
    for (auto& waiter : waiters) waiter.join();
    EXPECT_EQ(woken.load(), 4);
}

TEST(EventTest, AutoResetWakesOneWaiterPerSet) {
    Event event(EventReset::Auto, false);
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&] {
            if (event.Wait(kInfinite)) ++woken;
        });
    }
    for (int released = 1; released <= 3; ++released) {
        event.Set();
        ASSERT_TRUE(Eventually([&] { return woken.load() >= released; }));
        SleepMs(20);  // room for a wrongly woken second waiter to show up
        EXPECT_EQ(woken.load(), released);
    }
    for (auto& waiter : waiters) waiter.join();
}

}  // namespace
}  // namespace nodrix::platform
