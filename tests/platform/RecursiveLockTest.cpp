#include "platform/RecursiveLock.h"

#include <gtest/gtest.h>

#include <thread>

namespace nodrix::platform {
namespace {

TEST(RecursiveLockTest, OwnerReentersAndOthersWaitForTheLastRelease) {
    RecursiveLock lock;
    bool takenElsewhere = true;
    {
        LockGuard outer(lock);
        LockGuard inner(lock);
        EXPECT_TRUE(lock.try_lock());
        lock.unlock();
        std::thread other([&] { takenElsewhere = lock.try_lock(); });
        other.join();
        EXPECT_FALSE(takenElsewhere);
    }
    std::thread other([&] {
        takenElsewhere = lock.try_lock();
        if (takenElsewhere) lock.unlock();
    });
    other.join();
    EXPECT_TRUE(takenElsewhere);
}

TEST(RecursiveLockTest, ExcludesConcurrentWriters) {
    RecursiveLock lock;
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            LockGuard guard(lock);
            LockGuard again(lock);
            ++counter;
        }
    };
    std::thread a(work);
    std::thread b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 40000);
}

}  // namespace
}  // namespace nodrix::platform
