// The address write and the value read of an FPGA register access stay
// together when two threads use one transport.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "transport/CNodrixCy3.h"
#include "transport/TransportTestSupport.h"

namespace nodrix::testing {
namespace {

using FpgaLock = FakePortTest;

TEST_F(FpgaLock, RegisterReadsOfTwoThreadsNeverInterleave) {
    port_.AddDevice(DevicePathFor(0x04B4, 0x33B0, 1));
    CNodrixCy3 transport{port_};
    ASSERT_EQ(1, transport.Enumerate());
    ASSERT_EQ(1, transport.SelectDevice(0));
    port_.SetFpgaRegister(1, 0x11);
    port_.SetFpgaRegister(2, 0x22);
    port_.SetBusDelayMicroseconds(50);

    std::atomic<int> wrong{0};
    auto reader = [&](std::uint8_t address, std::uint8_t expected) {
        for (int i = 0; i < 300; ++i) {
            std::uint8_t value = 0;
            if (!transport.ReadFpgaRegister(address, &value) || value != expected) ++wrong;
            // Writes move the bus pointer too.
            if (!transport.WriteFpgaRegister(static_cast<std::uint8_t>(address + 10), value))
                ++wrong;
        }
    };
    std::thread a(reader, 1, 0x11);
    std::thread b(reader, 2, 0x22);
    a.join();
    b.join();
    EXPECT_EQ(0, wrong.load());
    EXPECT_EQ(0x11, port_.FpgaRegister(11));
    EXPECT_EQ(0x22, port_.FpgaRegister(12));
}

}  // namespace
}  // namespace nodrix::testing
