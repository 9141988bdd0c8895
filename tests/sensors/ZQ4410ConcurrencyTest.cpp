// The driver's lock keeps the address write and the byte read of one
// register read together when several threads use the register bus.

#include <gtest/gtest.h>

#include <atomic>

#include "platform/Thread.h"
#include "sensors/CSensorZQ4410.h"
#include "sensors/FakeController.h"

namespace nodrix::test {
namespace {

TEST(ZQ4410Concurrency, RegisterReadsOfTwoThreadsDoNotMix) {
    FakeController fake;
    fake.sensor[0x0101] = 0x11;
    fake.sensor[0x0202] = 0x22;
    fake.addressWriteDelayMicros = 50;
    CSensorZQ4410 sensor(&fake, CSensorZQ4410::kBusAddress);

    constexpr int kReads = 500;
    std::atomic<int> wrong{0};
    auto reader = [&](int address, int expected) {
        for (int i = 0; i < kReads; ++i) {
            int value = -1;
            if (!sensor.ReadRegister(address, &value) || value != expected) ++wrong;
        }
    };
    platform::Thread first;
    platform::Thread second;
    ASSERT_TRUE(first.Start([&] { reader(0x0101, 0x11); }));
    ASSERT_TRUE(second.Start([&] { reader(0x0202, 0x22); }));
    first.Join();
    second.Join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace nodrix::test
