// The transport against the emulated camera: discovery and numbering, the
// requests as the camera decodes them, frame headers with their recovery,
// time-outs that leave nothing pending, and FPGA accesses from two threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "emulator/EmulatedDriver.h"
#include "platform/DriverPort.h"
#include "platform/Time.h"
#include "transport/CNodrixCy3.h"
#include "transport/DriverRequests.h"
#include "transport/LittleEndian.h"
#include "transport/TransportTestSupport.h"

namespace nodrix::testing {
namespace {

using emulator::EmulatedDriver;
using emulator::EmulatorConfig;

constexpr std::uint16_t kCamera = 0x33B0;
constexpr std::uint16_t kOther = 0x3020;

class OnEmulator : public ::testing::Test {
protected:
    void SetUp() override { transport::SetSharedTableName(PrivateTableName().c_str()); }
    void TearDown() override {
        transport_.reset();
        driver_.reset();
        platform::SetTimeSpeedup(1);
    }
    void Start(const std::vector<std::uint16_t>& products) {
        EmulatorConfig config = EmulatedDriver::DefaultConfig();
        // The emulated EEPROM times its write cycle with the tick count, which
        // advances in steps of about 16 ms under Windows: a read 14 ms after a
        // write may still find it busy there.
        config.eepromWriteMs = 0;
        config.cameras.clear();
        for (std::uint16_t product : products) {
            emulator::CameraSettings camera;
            camera.productId = product;
            config.cameras.push_back(camera);
        }
        driver_ = std::make_unique<EmulatedDriver>(config);
        transport_ = std::make_unique<CNodrixCy3>(*driver_);
    }
    void StartSelected(std::uint16_t product = kCamera) {
        Start({product});
        ASSERT_EQ(1, transport_->Enumerate());
        ASSERT_EQ(1, transport_->SelectDevice(0));
        ASSERT_TRUE(transport_->AllocateRequestBuffer());
        driver_->ClearRequests();
    }
    std::vector<emulator::ControlSetup> ControlRequests() {
        std::vector<emulator::ControlSetup> result;
        for (const emulator::LoggedRequest& entry : driver_->Requests()) {
            emulator::ControlSetup setup;
            if (emulator::DecodeControlRequest(entry, setup)) result.push_back(setup);
        }
        return result;
    }
    std::size_t QueuedTransfers(std::uint32_t size) {
        std::size_t n = 0;
        for (const emulator::LoggedRequest& entry : driver_->Requests()) {
            if (entry.code == transport::kIoctlQueuedTransfer && entry.outSize == size) ++n;
        }
        return n;
    }

    std::unique_ptr<EmulatedDriver> driver_;
    std::unique_ptr<CNodrixCy3> transport_;
};

TEST_F(OnEmulator, NumbersCamerasAndKeepsEntriesOfUnpluggedOnes) {
    Start({kCamera, kOther, kCamera});
    ASSERT_EQ(3, transport_->Enumerate());
    EXPECT_EQ(0, transport_->FindDevice(kCamera, 0));
    EXPECT_EQ(1, transport_->FindDevice(kOther, 0));
    EXPECT_EQ(2, transport_->FindDevice(kCamera, 1));
    EXPECT_EQ(3, transport_->Enumerate());

    ASSERT_TRUE(driver_->Unplug(0));
    EXPECT_EQ(3, transport_->Enumerate());
    EXPECT_EQ(0, transport_->FindDevice(kCamera, 0));
    EXPECT_EQ(2, transport_->FindDevice(kCamera, 1));
    EXPECT_FALSE(transport_->IsDevicePresent(0));
    EXPECT_TRUE(transport_->IsDevicePresent(2));
    transport::DeviceEntry entry;
    ASSERT_TRUE(transport_->GetEntry(2, &entry));
    EXPECT_EQ(driver_->DevicePath(2), entry.path);
    EXPECT_EQ(emulator::kDefaultVendorId, entry.vendorId);

    // Back again: known by its path, nothing added.
    ASSERT_TRUE(driver_->Replug(0));
    EXPECT_EQ(3, transport_->Enumerate());
    EXPECT_TRUE(transport_->IsDevicePresent(0));
}

TEST_F(OnEmulator, ThirtyThirdCameraIsNotAdded) {
    Start(std::vector<std::uint16_t>(32, kCamera));
    ASSERT_EQ(32, transport_->Enumerate());
    ASSERT_TRUE(driver_->Unplug(5));
    emulator::CameraSettings extra;
    const int added = driver_->AddCamera(extra);
    ASSERT_GE(added, 0);
    EXPECT_EQ(32, transport_->Enumerate());
    EXPECT_EQ(-1, transport_->FindDevice(kCamera, 32));
}

TEST_F(OnEmulator, RegistersEepromAndInformationBlocks) {
    StartSelected();
    EXPECT_EQ(EmulatedDriver::DefaultConfig().fpgaVersion, transport_->ReadFpgaVersion());
    std::uint8_t info[64] = {};
    ASSERT_EQ(1, transport_->ReadFirmwareInfo(info));
    EXPECT_EQ(EmulatedDriver::DefaultConfig().firmwareVersion,
              transport::GetLe16(info + transport::kFirmwareVersionOffset));
    std::uint8_t ready = 0xFF;
    ASSERT_EQ(1, transport_->ReadFpgaReady(&ready));
    EXPECT_EQ(1, ready);

    ASSERT_EQ(1, transport_->WriteFpgaRegister(200, 0xA5));
    EXPECT_EQ(0xA5, driver_->FpgaRegister(0, 200));
    std::uint8_t value = 0;
    ASSERT_EQ(1, transport_->ReadFpgaRegister(200, &value));
    EXPECT_EQ(0xA5, value);

    ASSERT_EQ(1, transport_->WriteEepromByte(0x0123, 0x5C));
    EXPECT_EQ(0x5C, driver_->EepromByte(0, 0x0123));
    ASSERT_EQ(1, transport_->ReadEepromByte(0x0123, &value));
    EXPECT_EQ(0x5C, value);

    ASSERT_EQ(1, transport_->WriteAuxRegister(3, 0x3A));
    EXPECT_EQ(0x3A, driver_->AuxRegister(0, 3));
    ASSERT_EQ(1, transport_->ReadAuxRegister(3, &value));
    EXPECT_EQ(0x3A, value);

    ASSERT_EQ(1, transport_->VendorWriteD0(0x8005, 0x1234));
    std::uint16_t word = 0;
    ASSERT_EQ(1, transport_->VendorReadD1(0x8005, &word));
    EXPECT_EQ(0x1234, word);

    std::uint32_t speed = 0;
    ASSERT_EQ(1, transport_->GetSpeed(&speed));
    EXPECT_EQ(transport::kSpeedSuperSpeed, speed);
    EXPECT_EQ(1, transport_->ResetPort());
    EXPECT_EQ(1, transport_->ResetDataPipe(transport::kEndpointBulkIn));

    // What the camera decoded of the first register write.
    const auto control = ControlRequests();
    ASSERT_FALSE(control.empty());
    bool sawWrite = false;
    for (const emulator::ControlSetup& setup : control) {
        EXPECT_EQ(102, setup.length);
        EXPECT_EQ(3u, setup.timeout);
        EXPECT_EQ(38u, setup.dataOffset);
        EXPECT_EQ(64u, setup.dataLength);
        if (setup.request == 0x30 && setup.index == 0x40 && setup.value == 3 &&
            setup.data[0] == 200) {
            EXPECT_EQ(0x40, setup.requestType);
            EXPECT_EQ(0, setup.data[1]);
            EXPECT_EQ(0xA5, setup.data[2]);
            sawWrite = true;
        }
    }
    EXPECT_TRUE(sawWrite);
}

TEST_F(OnEmulator, OversizedBusTransfersSendNothing) {
    StartSelected();
    std::uint8_t data[65] = {};
    EXPECT_EQ(0, transport_->I2cWrite(0x48, data, 65, 3000));
    EXPECT_EQ(0, transport_->I2cRead(0x48, data, 65, 3000));
    EXPECT_TRUE(driver_->Requests().empty());
}

TEST_F(OnEmulator, TimedOutBulkReadLeavesNothingPending) {
    StartSelected();
    platform::SetTimeSpeedup(20);
    ASSERT_EQ(1, transport_->EnsureDataHandle());
    std::uint8_t buffer[64];
    std::uint32_t n = 77;
    // No header was asked for: the camera has nothing to send.
    EXPECT_EQ(0, transport_->BulkRead(transport_->DataHandle(), buffer, sizeof(buffer),
                                      transport::kEndpointBulkIn, &n, 200));
    EXPECT_EQ(0u, n);
    EXPECT_EQ(0u, driver_->PendingTransferCount());
}

TEST_F(OnEmulator, FrameHeaderAndPayload) {
    StartSelected();
    std::vector<std::uint8_t> buffer(1280 * 1024 * 2);
    transport::FrameDescriptor frame;
    frame.buffer = buffer.data();
    frame.capacity = static_cast<std::uint32_t>(buffer.size());
    const std::uint32_t expectedNumber = driver_->NextFrameNumber(0);
    ASSERT_EQ(1, transport_->ReadStatusBlock(frame));
    EXPECT_EQ(expectedNumber, frame.frameNumber);
    EXPECT_GT(frame.PayloadSize(), 0u);
    ASSERT_EQ(1, transport_->ReadFrameData(frame, 3000));
    EXPECT_EQ(1u, driver_->FramesSent(0));
    // The header request went on the overlapped data handle, with its record.
    int headerRequests = 0;
    for (const emulator::LoggedRequest& entry : driver_->Requests()) {
        emulator::ControlSetup setup;
        if (!emulator::DecodeControlRequest(entry, setup) || setup.request != 0xC2) continue;
        ++headerRequests;
        EXPECT_EQ(0x42, setup.requestType);
        EXPECT_TRUE(entry.overlapped);
        EXPECT_EQ(transport_->DataHandle(), entry.handle);
    }
    EXPECT_EQ(1, headerRequests);
    const std::uint32_t pieces = (frame.PayloadSize() + 0x7FFFF) / 0x80000;
    EXPECT_EQ(pieces - (frame.PayloadSize() % 0x80000 != 0 ? 1 : 0), QueuedTransfers(0x80000));
}

TEST_F(OnEmulator, HeaderExchangeGivesUpAfterThirtyTriesAndRecovers) {
    StartSelected();
    platform::SetTimeSpeedup(50);
    emulator::FaultConfig faults;
    faults.failHeaderReads = 1000;
    driver_->SetFaults(0, faults);
    transport::FrameDescriptor frame;
    EXPECT_EQ(0, transport_->ReadStatusBlock(frame));
    EXPECT_EQ(30u, QueuedTransfers(64));
    EXPECT_EQ(0u, driver_->PendingTransferCount());
    EXPECT_EQ(platform::kInvalidDriverHandle, transport_->DataHandle());

    driver_->ClearRequests();
    faults.failHeaderReads = 2;
    driver_->SetFaults(0, faults);
    ASSERT_EQ(1, transport_->ReadStatusBlock(frame));
    std::vector<std::uint8_t> pulses;
    for (const emulator::ControlSetup& setup : ControlRequests()) {
        if (setup.request == 0x30 && setup.index == 0x40 && setup.data[0] == 108) {
            pulses.push_back(setup.data[2]);
        }
    }
    // Register 108 went to 1 and back to 0 after each of the two failed reads.
    EXPECT_EQ((std::vector<std::uint8_t>{1, 0, 1, 0}), pulses);
    EXPECT_EQ(3u, QueuedTransfers(64));
}

TEST_F(OnEmulator, CameraMemoryMovesWholeBlocks) {
    StartSelected();
    std::vector<std::uint8_t> pattern(8192);
    for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<std::uint8_t>(i * 7);
    driver_->WriteCameraMemory(0, 0x10000, pattern.data(), 8192);

    // One byte asked for: one whole block moves, one byte lands.
    std::uint8_t one[2] = {0, 0xEE};
    ASSERT_EQ(1, transport_->ReadCameraMemory(0x10001, one, 1));
    EXPECT_EQ(pattern[1], one[0]);
    EXPECT_EQ(0xEE, one[1]);
    EXPECT_EQ(1u, QueuedTransfers(32));
    EXPECT_EQ(1u, QueuedTransfers(4096));

    // Written through the transport, read back from the camera.
    std::vector<std::uint8_t> data(5000, 0x6B);
    driver_->ClearRequests();
    ASSERT_EQ(1, transport_->WriteCameraMemory(0x40000, data.data(), 5000));
    EXPECT_EQ(1u, QueuedTransfers(8192));
    std::vector<std::uint8_t> back(8192);
    driver_->ReadCameraMemory(0, 0x40000, back.data(), 8192);
    EXPECT_EQ(0x6B, back[4999]);
    EXPECT_EQ(0, back[5000]);  // the rest of the block is zeros, not what followed the data
}

TEST_F(OnEmulator, FpgaAccessesOfTwoThreadsStayTogether) {
    StartSelected();
    ASSERT_EQ(1, transport_->WriteFpgaRegister(201, 0x11));
    ASSERT_EQ(1, transport_->WriteFpgaRegister(202, 0x22));
    std::atomic<int> wrong{0};
    auto worker = [&](std::uint8_t address, std::uint8_t expected) {
        for (int i = 0; i < 200; ++i) {
            std::uint8_t value = 0;
            if (!transport_->ReadFpgaRegister(address, &value) || value != expected) ++wrong;
            if (!transport_->WriteFpgaRegister(static_cast<std::uint8_t>(address + 20), value)) {
                ++wrong;
            }
        }
    };
    std::thread a(worker, 201, 0x11);
    std::thread b(worker, 202, 0x22);
    a.join();
    b.join();
    EXPECT_EQ(0, wrong.load());
    EXPECT_EQ(0x11, driver_->FpgaRegister(0, 221));
    EXPECT_EQ(0x22, driver_->FpgaRegister(0, 222));
}

// Polls until done() holds; false after a minute (a hang, not a slow machine).
template <typename Done>
bool Eventually(Done done) {
    for (int i = 0; i < 30000; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

TEST_F(OnEmulator, InterruptedReadsSendNothingUntilAllowedAgain) {
    StartSelected();
    std::vector<std::uint8_t> buffer(1280 * 1024 * 2);
    transport::FrameDescriptor frame;
    frame.buffer = buffer.data();
    frame.capacity = static_cast<std::uint32_t>(buffer.size());
    transport_->InterruptReads();
    EXPECT_EQ(0, transport_->ReadStatusBlock(frame));
    transport::PutLe32(frame.header + 16, 4096);  // a payload announced by a header
    EXPECT_EQ(0, transport_->ReadFrameData(frame, 3000));
    ASSERT_EQ(1, transport_->EnsureDataHandle());
    std::uint32_t n = 0;
    EXPECT_EQ(0, transport_->BulkRead(transport_->DataHandle(), buffer.data(), 64,
                                      transport::kEndpointBulkIn, &n, 200));
    EXPECT_TRUE(driver_->Requests().empty());  // no header asked, no read queued
    // Registers and the other endpoints are no frame reads: they still work.
    EXPECT_EQ(1, transport_->WriteFpgaRegister(201, 7));
    EXPECT_EQ(7, driver_->FpgaRegister(0, 201));

    transport_->AllowReads();
    ASSERT_EQ(1, transport_->ReadStatusBlock(frame));
    EXPECT_EQ(1, transport_->ReadFrameData(frame, 3000));
    EXPECT_EQ(1u, driver_->FramesSent(0));
}

// The header exchange and the payload read of another thread, interrupted
// while the camera holds its data back: each ends without running through
// its tries or its time-out, and leaves nothing pending.
void ExpectInterruptEndsHeaderExchange(EmulatedDriver& driver, CNodrixCy3& transport,
                                       std::size_t (*tries)(EmulatedDriver&)) {
    emulator::FaultConfig faults;
    // Every try held back: a try the camera answered would end the exchange
    // with a header before the interrupt, on a slow enough machine.
    faults.delayHeaderReads = 1000;
    faults.delayMs = 600000;
    driver.SetFaults(0, faults);
    transport::FrameDescriptor frame;
    int result = -1;
    std::thread reader([&] { result = transport.ReadStatusBlock(frame); });
    const bool underWay = Eventually([&] { return tries(driver) >= 2; });
    const std::size_t triesBefore = tries(driver);
    transport.InterruptReads();
    reader.join();
    ASSERT_TRUE(underWay);
    EXPECT_EQ(0, result);
    EXPECT_LE(tries(driver), triesBefore + 1);
    EXPECT_EQ(0u, driver.PendingTransferCount());
}

std::size_t HeaderReads(EmulatedDriver& driver) {
    std::size_t n = 0;
    for (const emulator::LoggedRequest& entry : driver.Requests()) {
        if (entry.code == transport::kIoctlQueuedTransfer && entry.outSize == 64) ++n;
    }
    return n;
}

TEST_F(OnEmulator, InterruptEndsAHeaderExchangeBetweenTries) {
    StartSelected();
    ExpectInterruptEndsHeaderExchange(*driver_, *transport_, HeaderReads);
}

TEST_F(OnEmulator, InterruptCutsShortThePauseOfASelfRecoveringCamera) {
    // This camera's exchange pauses 200 ms between tries instead of pulsing
    // register 108.
    StartSelected(0x33A0);
    ExpectInterruptEndsHeaderExchange(*driver_, *transport_, HeaderReads);
}

TEST_F(OnEmulator, InterruptEndsAPayloadReadTheCameraHoldsBack) {
    StartSelected();
    std::vector<std::uint8_t> buffer(1280 * 1024 * 2);
    transport::FrameDescriptor frame;
    frame.buffer = buffer.data();
    frame.capacity = static_cast<std::uint32_t>(buffer.size());
    ASSERT_EQ(1, transport_->ReadStatusBlock(frame));
    emulator::FaultConfig faults;
    faults.delayPayloadReads = 1;
    faults.delayMs = 600000;
    driver_->SetFaults(0, faults);
    int result = -1;
    // Without the interruption this read would wait ten minutes.
    std::thread reader([&] { result = transport_->ReadFrameData(frame, 600000); });
    const bool pending = Eventually([&] { return driver_->PendingTransferCount() == 1; });
    transport_->InterruptReads();
    reader.join();
    ASSERT_TRUE(pending);
    EXPECT_EQ(0, result);
    EXPECT_EQ(0u, driver_->PendingTransferCount());
    EXPECT_EQ(1u, QueuedTransfers(0x80000));  // no piece after the interrupted one
    transport_->AllowReads();
}

}  // namespace
}  // namespace nodrix::testing
