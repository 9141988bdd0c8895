// Queued bulk transfers: time-outs and aborts, faults, closing handles,
// unplug and replug, and requests from other threads while a read waits.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "HandBuiltRequests.h"
#include "emulator/DriverProtocol.h"
#include "platform/Time.h"

namespace nodrix::emulator::test {
namespace {

EmulatorConfig FastConfig() {
    EmulatorConfig c = EmulatedDriver::DefaultConfig();
    c.pace = Pace::Max;
    return c;
}

TEST(BulkTransfer, TimedOutReadIsAbortedAndLeavesNothingPending) {
    EmulatedDriver d(FastConfig());
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    std::array<std::uint8_t, 64> header{};
    // No header was asked for: the read waits until its time-out.
    BulkResult r = BulkRead(d, h, header.data(), 64, 100);
    EXPECT_FALSE(r.completed);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.bytes, 0u);
    EXPECT_NE(r.driverStatus, 0u);
    EXPECT_NE(r.usbStatus, 0u);
    EXPECT_EQ(d.PendingTransferCount(), 0u);
    d.Close(h);
}

TEST(BulkTransfer, ReadCompletedAtOnceReportsSuccess) {
    EmulatedDriver d(FastConfig());
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    ASSERT_TRUE(SendHeaderRequest(d, h));
    Bytes record = TransferRecord(0x81);
    std::array<std::uint8_t, 64> header{};
    auto io = d.CreatePendingIo();
    EXPECT_EQ(d.SubmitIoControl(h, kQueued, record.data(), 38, header.data(), 64, *io),
              platform::kErrorSuccess);
    std::uint32_t bytes = 0;
    EXPECT_TRUE(d.GetIoResult(h, *io, &bytes));
    EXPECT_EQ(bytes, 64u);
    EXPECT_EQ(GetLe32(&header[16]), 1280u * 1024u);
    // Drop the rest of that frame; a read larger than the next header still
    // ends with the header.
    ASSERT_TRUE(WriteFpga(d, 0, 108, 1));
    ASSERT_TRUE(WriteFpga(d, 0, 108, 0));
    ASSERT_TRUE(SendHeaderRequest(d, h));
    std::vector<std::uint8_t> big(0x80000);
    BulkResult r = BulkRead(d, h, big.data(), 0x80000, 1000);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.bytes, 64u);
}

TEST(BulkTransfer, InjectedHeaderAndPayloadFaults) {
    EmulatedDriver d(FastConfig());
    FaultConfig f;
    f.failHeaderReads = 1;
    f.truncatePayloadReads = 1;
    f.delayHeaderReads = 1;
    f.delayMs = 60000;
    d.SetFaults(0, f);
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    std::array<std::uint8_t, 64> header{};
    std::vector<std::uint8_t> payload(0x80000);

    // Delayed past the caller's time-out; the abort leaves nothing pending.
    ASSERT_TRUE(SendHeaderRequest(d, h));
    EXPECT_FALSE(BulkRead(d, h, header.data(), 64, 50).completed);
    EXPECT_EQ(d.PendingTransferCount(), 0u);
    ASSERT_TRUE(WriteFpga(d, 0, 108, 1));  // the held header is dropped
    ASSERT_TRUE(WriteFpga(d, 0, 108, 0));

    // Failed: completes at once with a nonzero status.
    ASSERT_TRUE(SendHeaderRequest(d, h));
    BulkResult r = BulkRead(d, h, header.data(), 64, 1000);
    EXPECT_TRUE(r.completed);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.usbStatus, 0u);

    // Truncated payload piece: half of it arrives.
    ASSERT_TRUE(SendHeaderRequest(d, h));
    ASSERT_TRUE(BulkRead(d, h, header.data(), 64, 1000).ok);
    r = BulkRead(d, h, payload.data(), 0x80000, 1000);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.bytes, 0x40000u);

    // The faults are used up.
    ASSERT_TRUE(SendHeaderRequest(d, h));
    ASSERT_TRUE(BulkRead(d, h, header.data(), 64, 1000).ok);
    r = BulkRead(d, h, payload.data(), 0x80000, 1000);
    EXPECT_EQ(r.bytes, 0x80000u);
}

TEST(BulkTransfer, ClosingAHandleCancelsItsReads) {
    EmulatedDriver d(FastConfig());
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    Bytes record = TransferRecord(0x81);
    std::array<std::uint8_t, 64> header{};
    auto io = d.CreatePendingIo();
    ASSERT_EQ(d.SubmitIoControl(h, kQueued, record.data(), 38, header.data(), 64, *io),
              platform::kErrorIoPending);
    d.Close(h);
    EXPECT_EQ(d.WaitIo(*io, 0), platform::IoWaitResult::Completed);
    std::uint32_t bytes = 0;
    EXPECT_FALSE(d.GetIoResult(h, *io, &bytes));
    EXPECT_NE(GetLe32(&record[14]), 0u);
    EXPECT_EQ(d.PendingTransferCount(), 0u);
}

TEST(BulkTransfer, UnplugFailsAPendingReadAndReplugRestoresThePath) {
    EmulatedDriver d(FastConfig());
    const std::string path = d.DevicePath(0);
    const auto h = d.Open(path.c_str(), true);
    ASSERT_NE(h, platform::kInvalidDriverHandle);
    Bytes record = TransferRecord(0x81);
    std::array<std::uint8_t, 64> header{};
    auto io = d.CreatePendingIo();
    ASSERT_EQ(d.SubmitIoControl(h, kQueued, record.data(), 38, header.data(), 64, *io),
              platform::kErrorIoPending);

    std::atomic<int> waitResult{-1};
    std::thread waiter([&] { waitResult = static_cast<int>(d.WaitIo(*io, platform::kWaitInfinite)); });
    platform::SleepMs(50);
    ASSERT_TRUE(d.Unplug(0));
    waiter.join();
    EXPECT_EQ(waitResult.load(), static_cast<int>(platform::IoWaitResult::Completed));
    std::uint32_t bytes = 0;
    EXPECT_FALSE(d.GetIoResult(h, *io, &bytes));
    EXPECT_NE(GetLe32(&record[18]), 0u);

    // Gone: the scan misses it, the path does not open, the old handle fails.
    auto set = d.GetClassDevices(kCameraInterfaceClass);
    EXPECT_FALSE(d.EnumDeviceInterface(set, kCameraInterfaceClass, 0));
    d.DestroyDeviceInfoList(set);
    EXPECT_EQ(d.Open(path.c_str(), false), platform::kInvalidDriverHandle);
    EXPECT_FALSE(SendHeaderRequest(d, h));
    auto io2 = d.CreatePendingIo();
    EXPECT_EQ(d.SubmitIoControl(h, kQueued, record.data(), 38, header.data(), 64, *io2),
              platform::kErrorDeviceNotConnected);

    ASSERT_TRUE(d.Replug(0));
    set = d.GetClassDevices(kCameraInterfaceClass);
    EXPECT_TRUE(d.EnumDeviceInterface(set, kCameraInterfaceClass, 0));
    d.DestroyDeviceInfoList(set);
    EXPECT_EQ(d.DevicePath(0), path);
    const auto h2 = d.Open(path.c_str(), true);
    EXPECT_NE(h2, platform::kInvalidDriverHandle);
    EXPECT_TRUE(SendHeaderRequest(d, h2));
    EXPECT_FALSE(SendHeaderRequest(d, h));  // handles of before stay dead
    d.Close(h2);
    d.Close(h);
}

TEST(BulkTransfer, ControlRequestsFromAnotherThreadWhileAReadWaits) {
    EmulatedDriver d(FastConfig());
    ASSERT_TRUE(WriteFpga(d, 0, 88, 1));
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    ASSERT_TRUE(SendHeaderRequest(d, h));
    std::array<std::uint8_t, 64> header{};
    BulkResult result;
    std::thread reader([&] { result = BulkRead(d, h, header.data(), 64, 10000); });
    // Register traffic beside the pending read, then the trigger it waits for.
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(WriteFpga(d, 0, 7, static_cast<std::uint8_t>(i)));
        ASSERT_EQ(ReadFpga(d, 0, 7), i);
    }
    ASSERT_TRUE(d.Trigger(0));
    reader.join();
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.bytes, 64u);
    EXPECT_EQ(GetLe32(&header[36]), 1u);
}

Bytes MemoryCommand(const char* magic, std::uint64_t address, std::uint32_t length) {
    Bytes b(32, 0);
    std::memcpy(b.data(), magic, 4);
    PutLe32(&b[4], 2);
    PutLe32(&b[8], static_cast<std::uint32_t>(address));
    PutLe32(&b[12], static_cast<std::uint32_t>(address >> 32));
    PutLe32(&b[16], length);
    return b;
}

TEST(BulkTransfer, CameraMemoryWrittenAndReadBackByCommands) {
    EmulatedDriver d(FastConfig());
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    const std::uint64_t address = 0x1'0000'F000ull;  // crosses a page, above 4 GiB
    Bytes data(8192);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7 + 1);

    Bytes cmd = MemoryCommand("AU3W", address, 8192);
    ASSERT_TRUE(BulkTransfer(d, h, 0x01, cmd.data(), 32, 1000).ok);
    ASSERT_EQ(BulkTransfer(d, h, 0x01, data.data(), 8192, 1000).bytes, 8192u);

    cmd = MemoryCommand("AU3R", address + 4096, 4096);
    ASSERT_TRUE(BulkTransfer(d, h, 0x01, cmd.data(), 32, 1000).ok);
    Bytes back(4096);
    BulkResult r = BulkRead(d, h, back.data(), 4096, 1000);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.bytes, 4096u);
    EXPECT_TRUE(std::equal(back.begin(), back.end(), data.begin() + 4096));
    std::uint8_t direct[4] = {};
    d.ReadCameraMemory(0, address, direct, 4);
    EXPECT_EQ(direct[0], data[0]);
    EXPECT_EQ(direct[3], data[3]);
}

TEST(BulkTransfer, UnplugAfterATime) {
    EmulatorConfig c = FastConfig();
    c.unplugAfterMs = 30;
    EmulatedDriver d(c);
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    std::array<std::uint8_t, 64> header{};
    BulkResult r = BulkRead(d, h, header.data(), 64, 5000);
    EXPECT_TRUE(r.completed);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(d.IsPresent(0));
}

TEST(BulkTransfer, ReplugAfterATime) {
    EmulatorConfig c = FastConfig();
    c.unplugAfterMs = 30;
    c.replugAfterMs = 30;
    EmulatedDriver d(c);
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    std::array<std::uint8_t, 64> header{};
    EXPECT_FALSE(BulkRead(d, h, header.data(), 64, 5000).ok);
    // The path opens again once the camera is back; the old handle stays dead.
    auto again = platform::kInvalidDriverHandle;
    for (int i = 0; i < 500 && again == platform::kInvalidDriverHandle; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        again = d.Open(d.DevicePath(0).c_str(), true);
    }
    ASSERT_NE(again, platform::kInvalidDriverHandle);
    EXPECT_TRUE(d.IsPresent(0));
    EXPECT_FALSE(BulkRead(d, h, header.data(), 64, 100).ok);
}

}  // namespace
}  // namespace nodrix::emulator::test
