// The acquisition thread, the frame ring and the copy-out against the
// emulated camera: frame content, modes, stopping, failures and recovery.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "EmulatedCameraFixture.h"
#include "emulator/TestPattern.h"
#include "sensors/CSensorBase.h"

namespace nodrix {
namespace {

using testing::CamerasOf;
using testing::InstalledEmulator;

class CoreAcquisition : public ::testing::Test {
protected:
    void SetUp() override {
        core_ = testing::SetUpCore();
        ASSERT_EQ(core_->OpenCamera(0), 1);
    }
    void TearDown() override {
        core_->Shutdown();
        EXPECT_FALSE(core_->Acquiring());
    }

    // One frame in single-frame mode, copied out as the connection does.
    bool SnapOne(std::vector<std::uint8_t>& frame) {
        if (!core_->StartTransfer(kModeSingle)) return false;
        if (core_->WaitFrame(10000) != kWaitNewFrame) return false;
        frame.assign(core_->FrameSize(), 0);
        return core_->ReadFrame(frame.data(), 1) == 0;
    }

    InstalledEmulator emulator_{CamerasOf({0x33B0})};
    std::unique_ptr<CNodrixUSB3T2SimpleSdk> core_;
};

// What the connection must see: output row r shows image row y + r of the
// window, column c shows image column c, each mirrored by its flip.
std::uint32_t ExpectedSample(std::uint32_t c, std::uint32_t r, std::uint32_t y,
                             std::uint32_t height, bool flipV, bool flipH, std::uint32_t n,
                             bool sixteen) {
    const std::uint32_t x = flipH ? 1279 - c : c;
    const std::uint32_t row = flipV ? y + height - 1 - r : y + r;
    return sixteen ? emulator::RampValue16(x, row, n) : emulator::RampValue8(x, row, n);
}

struct Window {
    int y;
    int height;
};

TEST_F(CoreAcquisition, FramesEqualTheRampInEveryWindowDepthAndFlip) {
    const Window windows[] = {{0, 1024}, {37, 101}, {1016, 8}};
    for (int sixteen = 0; sixteen <= 1; ++sixteen) {
        ASSERT_EQ(core_->SetTransferBits(sixteen), 1);
        for (const Window& w : windows) {
            for (int flips = 0; flips < 4; ++flips) {
                const bool flipV = (flips & 1) != 0;
                const bool flipH = (flips & 2) != 0;
                SCOPED_TRACE(::testing::Message() << "16-bit " << sixteen << " y " << w.y
                                                  << " height " << w.height << " flipV "
                                                  << flipV << " flipH " << flipH);
                ASSERT_EQ(core_->SetCaptureWindow(0, w.y, 1280, w.height, 0), 1);
                ASSERT_EQ(core_->SetMirrorV(flipV), 1);
                ASSERT_EQ(core_->SetMirrorH(flipH), 1);
                std::vector<std::uint8_t> frame;
                ASSERT_TRUE(SnapOne(frame));
                const std::uint32_t bytes = sixteen ? 2 : 1;
                ASSERT_EQ(frame.size(), 1280u * w.height * bytes);
                const std::uint32_t n = core_->LastFrameNumber();
                int mismatches = 0;
                for (std::uint32_t r = 0; r < static_cast<std::uint32_t>(w.height); ++r) {
                    for (std::uint32_t c = 0; c < 1280; ++c) {
                        const std::size_t at = (std::size_t{r} * 1280 + c) * bytes;
                        const std::uint32_t got =
                            sixteen ? frame[at] | (frame[at + 1] << 8) : frame[at];
                        const std::uint32_t want = ExpectedSample(
                            c, r, w.y, w.height, flipV, flipH, n, sixteen != 0);
                        if (got != want && ++mismatches <= 3) {
                            ADD_FAILURE() << "row " << r << " column " << c << ": " << got
                                          << " instead of " << want;
                        }
                    }
                }
                ASSERT_EQ(mismatches, 0);
            }
        }
    }
}

TEST_F(CoreAcquisition, OrientationCode4ReversesRowsAndPixels) {
    core_->Sensor()->Description().orientationCode = 4;
    std::vector<std::uint8_t> frame;
    ASSERT_TRUE(SnapOne(frame));
    const std::uint32_t n = core_->LastFrameNumber();
    // Against code 3 every row is mirrored as well.
    for (std::uint32_t r : {0u, 1u, 511u, 1023u}) {
        for (std::uint32_t c : {0u, 1u, 640u, 1279u}) {
            EXPECT_EQ(frame[r * 1280 + c], emulator::RampValue8(1279 - c, r, n))
                << "row " << r << " column " << c;
        }
    }
}

TEST_F(CoreAcquisition, ReadFrameTwiceWithoutANewFrame) {
    std::vector<std::uint8_t> frame;
    ASSERT_TRUE(SnapOne(frame));
    EXPECT_EQ(core_->WaitFrame(200), kWaitNoFrame);
    EXPECT_EQ(core_->ReadFrame(frame.data(), 1), 0);
    EXPECT_EQ(core_->WaitFrame(200), kWaitNoFrame);
}

// Waits for a new frame as the connection's loops do: a wake-up whose frame
// was already taken (the event of a frame read before its signal) is not one.
int WaitForNewFrame(CNodrixU3T2Base& core, int attempts = 100) {
    int result = kWaitNoFrame;
    for (int i = 0; i < attempts && result == kWaitNoFrame; ++i) {
        result = core.WaitFrame(5000);
    }
    return result;
}

TEST_F(CoreAcquisition, ContinuousFramesKeepComingEachOneNew) {
    ASSERT_EQ(core_->StartTransfer(kModeContinuous), 1);
    std::vector<std::uint8_t> frame(core_->FrameSize());
    int previous = -1;
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(WaitForNewFrame(*core_), kWaitNewFrame);
        ASSERT_EQ(core_->ReadFrame(frame.data(), 1), 0);
        // The ramp moves with the frame number: no frame is delivered twice.
        EXPECT_NE(frame[0], previous);
        previous = frame[0];
    }
    EXPECT_TRUE(core_->Acquiring());
    EXPECT_EQ(core_->StopTransfer(), 1);
    EXPECT_FALSE(core_->Acquiring());
    EXPECT_EQ(core_->AcquisitionModeNow(), kModeContinuous);
}

TEST_F(CoreAcquisition, TriggeredModeWithoutTriggerPollsUntilStopped) {
    ASSERT_EQ(core_->SetTriggerMode(1, 1), 1);
    emulator_.Driver().ClearRequests();
    const std::uint64_t sentBefore = emulator_.Driver().FramesSent(0);
    ASSERT_EQ(core_->StartTransfer(kModeTriggered), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(core_->Acquiring());
    EXPECT_EQ(emulator_.Driver().FramesSent(0), sentBefore);
    EXPECT_EQ(testing::CountVendorRequests(emulator_.Driver(), 0xC2), 0);  // no header asked
    EXPECT_EQ(core_->StopTransfer(), 1);
    EXPECT_FALSE(core_->Acquiring());
}

TEST_F(CoreAcquisition, TriggeredModeReadsTheFrameOfATrigger) {
    ASSERT_EQ(core_->SetTriggerMode(1, 1), 1);
    ASSERT_EQ(core_->StartTransfer(kModeTriggered), 1);
    ASSERT_TRUE(emulator_.Driver().Trigger(0));
    EXPECT_EQ(core_->WaitFrame(10000), kWaitNewFrame);
    for (int i = 0; i < 1000 && core_->Acquiring(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_FALSE(core_->Acquiring());  // one frame per start
    EXPECT_EQ(core_->TriggeredFrameCount(), 1);
    EXPECT_EQ(core_->LastFrameNumber(), emulator_.Driver().FpgaRegister(0, 8));
}

TEST_F(CoreAcquisition, StopTransferWakesAWaiter) {
    ASSERT_EQ(core_->SetTriggerMode(1, 1), 1);
    ASSERT_EQ(core_->StartTransfer(kModeTriggered), 1);  // no trigger will come
    int result = -1;
    std::thread waiter([&] { result = core_->WaitFrame(600000); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(core_->StopTransfer(), 1);
    waiter.join();
    EXPECT_EQ(result, kWaitNoFrame);
    EXPECT_FALSE(core_->Acquiring());
}

TEST_F(CoreAcquisition, FiveFailedReadsEndTheThreadWithTheStreamFailed) {
    emulator::FaultConfig faults;
    faults.failPayloadReads = 5;
    emulator_.Driver().SetFaults(0, faults);
    ASSERT_EQ(core_->StartTransfer(kModeContinuous), 1);
    EXPECT_EQ(core_->WaitFrame(60000), kWaitStreamFailed);
    for (int i = 0; i < 2000 && core_->Acquiring(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_FALSE(core_->Acquiring());
    EXPECT_TRUE(core_->StreamFailed());
    // Reported at once, whatever the time-out.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(core_->WaitFrame(600000), kWaitStreamFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    // A new start clears the failure.
    ASSERT_EQ(core_->StartTransfer(kModeContinuous), 1);
    EXPECT_FALSE(core_->StreamFailed());
    EXPECT_EQ(WaitForNewFrame(*core_), kWaitNewFrame);
}

TEST_F(CoreAcquisition, FewerFailuresRecoverAndFramesKeepComing) {
    emulator::FaultConfig faults;
    faults.failPayloadReads = 4;
    emulator_.Driver().SetFaults(0, faults);
    ASSERT_EQ(core_->StartTransfer(kModeContinuous), 1);
    std::vector<std::uint8_t> frame(core_->FrameSize());
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(WaitForNewFrame(*core_), kWaitNewFrame);
        core_->ReadFrame(frame.data(), 1);
    }
    EXPECT_FALSE(core_->StreamFailed());
    EXPECT_TRUE(core_->Acquiring());
}

TEST_F(CoreAcquisition, HeaderFailuresRecoverToo) {
    emulator::FaultConfig faults;
    faults.failHeaderReads = 40;  // more than one header exchange's 30 tries
    emulator_.Driver().SetFaults(0, faults);
    testing::TimeSpeedup faster(20);
    ASSERT_EQ(core_->StartTransfer(kModeContinuous), 1);
    EXPECT_EQ(WaitForNewFrame(*core_), kWaitNewFrame);
    EXPECT_FALSE(core_->StreamFailed());
}

TEST_F(CoreAcquisition, UnpluggedMidStreamTheStreamFailsAndShutdownEndsIt) {
    ASSERT_EQ(core_->StartTransfer(kModeContinuous), 1);
    ASSERT_EQ(WaitForNewFrame(*core_), kWaitNewFrame);
    testing::TimeSpeedup faster(50);
    ASSERT_TRUE(emulator_.Driver().Unplug(0));
    std::vector<std::uint8_t> frame(core_->FrameSize());
    int result = kWaitNewFrame;
    for (int i = 0; i < 100 && result != kWaitStreamFailed; ++i) {
        result = core_->WaitFrame(5000);
        if (result == kWaitNewFrame) core_->ReadFrame(frame.data(), 1);
    }
    EXPECT_EQ(result, kWaitStreamFailed);
    core_->Shutdown();
    EXPECT_FALSE(core_->Acquiring());
}

TEST_F(CoreAcquisition, UnpluggedMidStreamStopTransferReturns) {
    ASSERT_EQ(core_->StartTransfer(kModeContinuous), 1);
    ASSERT_EQ(WaitForNewFrame(*core_), kWaitNewFrame);
    testing::TimeSpeedup faster(50);
    ASSERT_TRUE(emulator_.Driver().Unplug(0));
    EXPECT_EQ(core_->StopTransfer(), 1);
    EXPECT_FALSE(core_->Acquiring());
    EXPECT_EQ(core_->StartTransfer(kModeContinuous), 1);  // starts, then fails by itself
    EXPECT_EQ(WaitForNewFrame(*core_), kWaitStreamFailed);
}

TEST_F(CoreAcquisition, UnpluggedMidFrameShutdownEndsTheThread) {
    emulator::FaultConfig faults;
    faults.delayPayloadReads = 1;  // the first payload hangs ...
    faults.delayMs = 600000;
    emulator_.Driver().SetFaults(0, faults);
    testing::TimeSpeedup faster(20);
    ASSERT_EQ(core_->StartTransfer(kModeContinuous), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(emulator_.Driver().Unplug(0));  // ... and the camera goes away under it
    core_->Shutdown();
    EXPECT_FALSE(core_->Acquiring());
    EXPECT_EQ(emulator_.Driver().PendingTransferCount(), 0u);
}

TEST_F(CoreAcquisition, ShortPayloadIsDroppedNotDelivered) {
    emulator::FaultConfig faults;
    faults.truncatePayloadReads = 1;
    emulator_.Driver().SetFaults(0, faults);
    std::vector<std::uint8_t> frame;
    ASSERT_TRUE(SnapOne(frame));
    const std::uint32_t n = core_->LastFrameNumber();
    int mismatches = 0;
    for (std::uint32_t r = 0; r < 1024; ++r) {
        for (std::uint32_t c = 0; c < 1280; c += 7) {
            mismatches += frame[r * 1280 + c] != emulator::RampValue8(c, r, n);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(CoreAcquisition, ShutdownWhileWaitingForATrigger) {
    ASSERT_EQ(core_->SetTriggerMode(1, 1), 1);
    ASSERT_EQ(core_->StartTransfer(kModeTriggered), 1);
    core_->Shutdown();
    EXPECT_FALSE(core_->Acquiring());
    EXPECT_EQ(core_->WaitFrame(0), kWaitNoFrame);
}

TEST_F(CoreAcquisition, CaptureOneFillsTheFirstBuffer) {
    ASSERT_EQ(core_->PrepareBuffers(), 1);
    EXPECT_EQ(core_->CaptureOne(), 0);
    EXPECT_FALSE(core_->StreamFailed());
    std::vector<std::uint8_t> frame(core_->FrameSize());
    EXPECT_EQ(core_->ReadFrameDirect(frame.data(), 1), 0);
    EXPECT_EQ(core_->ReadFrameDirect(nullptr, 1), -2);
    // Rows reversed by code 3: the first output row is the window's top row.
    const std::uint8_t first = frame[0];
    EXPECT_EQ(frame[1], static_cast<std::uint8_t>(first + 1));
    EXPECT_EQ(frame[1280], static_cast<std::uint8_t>(first + 1));
}

TEST_F(CoreAcquisition, CopyFrameRefusesSmallBuffers) {
    std::vector<std::uint8_t> frame;
    ASSERT_TRUE(SnapOne(frame));
    EXPECT_EQ(core_->CopyFrame(frame.data(), core_->FrameSize() - 1, 0, 1), 0);
    EXPECT_EQ(core_->CopyFrame(nullptr, core_->FrameSize(), 0, 1), 0);
    EXPECT_EQ(core_->CopyFrame(frame.data(), core_->FrameSize(), 0, 1), 1);
}

}  // namespace
}  // namespace nodrix

namespace nodrix {
namespace {

// Two cameras in one process: each core has its own thread and events, so
// stopping one leaves the other streaming.
TEST(CoreAcquisitionTwoCameras, EachCoreStreamsOnItsOwn) {
    testing::InstalledEmulator emulator(testing::CamerasOf({0x33B0, 0x33B0}));
    auto first = testing::SetUpCore();
    auto second = testing::SetUpCore();
    ASSERT_EQ(first->OpenCamera(0), 1);
    ASSERT_EQ(second->OpenCamera(1), 1);
    ASSERT_EQ(first->StartTransfer(kModeContinuous), 1);
    ASSERT_EQ(second->StartTransfer(kModeContinuous), 1);
    EXPECT_EQ(WaitForNewFrame(*first), kWaitNewFrame);
    EXPECT_EQ(WaitForNewFrame(*second), kWaitNewFrame);

    EXPECT_EQ(first->StopTransfer(), 1);
    EXPECT_FALSE(first->Acquiring());
    EXPECT_TRUE(second->Acquiring());
    std::vector<std::uint8_t> frame(second->FrameSize());
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(WaitForNewFrame(*second), kWaitNewFrame);
        second->ReadFrame(frame.data(), 1);
    }
    EXPECT_GT(emulator.Driver().FramesSent(1), 3u);
    second->Shutdown();
    first->Shutdown();
}

}  // namespace
}  // namespace nodrix
