#include "platform/Thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/Event.h"
#include "platform/ThreadLocal.h"

namespace nodrix::platform {
namespace {

TEST(ThreadTest, RunsTheBodyAtEachPriorityAndJoins) {
    for (ThreadPriority priority : {ThreadPriority::Normal, ThreadPriority::AboveNormal,
                                    ThreadPriority::Highest, ThreadPriority::TimeCritical}) {
        Thread thread;
        std::atomic<bool> ran{false};
        ASSERT_TRUE(thread.Start([&] { ran = true; }, priority));
        thread.Join();
        EXPECT_TRUE(ran.load());
        EXPECT_FALSE(thread.Running());
    }
}

// Each thread gets its own value, destroyed as that thread ends.
TEST(ThreadTest, PerThreadValueEndsWithItsThread) {
    struct Counted {
        std::atomic<int>* ends = nullptr;
        ~Counted() {
            if (ends != nullptr) ++*ends;
        }
    };
    static ThreadLocal<Counted> value;
    std::atomic<int> ends{0};
    for (int n = 0; n < 2; ++n) {
        Thread thread;
        ASSERT_TRUE(thread.Start([&] {
            EXPECT_EQ(value.Get().ends, nullptr);
            value.Get().ends = &ends;
        }));
        thread.Join();
        EXPECT_EQ(ends.load(), n + 1);
    }
}

TEST(ThreadTest, RefusesASecondStartWhileRunningAndRestartsAfterwards) {
    Thread thread;
    Event release(EventReset::Manual, false);
    std::atomic<int> runs{0};
    ASSERT_TRUE(thread.Start([&] {
        release.Wait(kInfinite);
        ++runs;
    }));
    EXPECT_TRUE(thread.Running());
    EXPECT_FALSE(thread.Start([&] { ++runs; }));
    release.Set();
    thread.Join();
    ASSERT_TRUE(thread.Start([&] { ++runs; }));
    thread.Join();
    EXPECT_EQ(runs.load(), 2);
}

TEST(ThreadTest, JoinFromTheThreadItselfDoesNotDeadlock) {
    Thread thread;
    Event done(EventReset::Manual, false);
    std::atomic<bool> inside{false};
    Event started(EventReset::Manual, false);
    ASSERT_TRUE(thread.Start([&] {
        started.Wait(kInfinite);
        inside = thread.IsCurrentThread();
        thread.Join();
        done.Set();
    }));
    EXPECT_FALSE(thread.IsCurrentThread());
    started.Set();
    EXPECT_TRUE(done.Wait(60000));
    EXPECT_TRUE(inside.load());
    thread.Join();  // nothing left to wait for
}

TEST(ThreadTest, DestructorWaitsForTheBody) {
    std::atomic<bool> finished{false};
    {
        Thread thread;
        ASSERT_TRUE(thread.Start([&] {
            Event never(EventReset::Manual, false);
            never.Wait(50);
            finished = true;
        }));
    }
    EXPECT_TRUE(finished.load());
}

TEST(ThreadTest, JoinWithoutAThreadReturns) {
    Thread thread;
    thread.Join();
    EXPECT_FALSE(thread.Running());
}

}  // namespace
}  // namespace nodrix::platform
