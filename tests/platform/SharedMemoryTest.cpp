// Named shared memory and the named mutex beside it, across processes, on
// every system; SharedMemoryRoles.h runs the second process.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>

#include "platform/SharedMemory.h"
#include "platform/SharedMemoryRoles.h"

namespace nodrix::platform {
namespace {

using test::RunInOtherProcess;
using test::TestObjectName;

constexpr std::size_t kSize = 8584;

TEST(SharedMemoryTest, SecondProcessSeesTheSameBlock) {
    const TestObjectName name("map");
    SharedMemory memory;
    bool existed = true;
    ASSERT_TRUE(memory.OpenOrCreate(name, kSize, &existed));
    EXPECT_FALSE(existed);
    ASSERT_EQ(memory.Size(), kSize);
    for (std::size_t i = 0; i < kSize; ++i) ASSERT_EQ(memory.Data()[i], 0) << i;
    memory.Data()[0] = 0x5A;
    memory.Data()[kSize - 1] = 0xA5;
    EXPECT_EQ(RunInOtherProcess("map", name, kSize), 0);
    EXPECT_EQ(memory.Data()[100], 0xAB);
}

TEST(SharedMemoryTest, BlockVanishesWithItsLastUser) {
    const TestObjectName name("last");
    bool existed = true;
    {
        SharedMemory first;
        ASSERT_TRUE(first.OpenOrCreate(name, kSize, &existed));
        SharedMemory second;
        ASSERT_TRUE(second.OpenOrCreate(name, kSize, &existed));
        EXPECT_TRUE(existed);
        first.Data()[7] = 1;
        first.Close();
        EXPECT_EQ(second.Data()[7], 1);  // still held by second
    }
    SharedMemory fresh;
    ASSERT_TRUE(fresh.OpenOrCreate(name, kSize, &existed));
    EXPECT_FALSE(existed);
    EXPECT_EQ(fresh.Data()[7], 0);
}

TEST(SharedMemoryTest, NamedMutexAbandonedByAnEndedProcessIsTakenOver) {
    const TestObjectName name("mutex");
    NamedMutex mutex;
    ASSERT_TRUE(mutex.Open(name));
    ASSERT_EQ(RunInOtherProcess("abandon", name), 0);
    { std::lock_guard<NamedMutex> guard(mutex); }
}

TEST(SharedMemoryTest, NamedMutexExcludesThreadsAndReenters) {
    NamedMutex mutex;
    const TestObjectName name("threads");
    ASSERT_TRUE(mutex.Open(name));
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 2000; ++i) {
            std::lock_guard<NamedMutex> guard(mutex);
            std::lock_guard<NamedMutex> again(mutex);
            ++counter;
        }
    };
    std::thread a(work);
    std::thread b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 4000);
}

}  // namespace
}  // namespace nodrix::platform
