// Stopping the acquisition thread while no frame comes: a header exchange
// the camera does not answer, a payload it holds back, a trigger that does
// not come. The stop interrupts the wait instead of sitting it out, drops a
// frame half read, and leaves nothing behind that spoils the next start.
// Requests are counted, never timed.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

#include "EmulatedCameraFixture.h"
#include "emulator/TestPattern.h"

namespace nodrix {
namespace {

using testing::CamerasOf;
using testing::InstalledEmulator;

// Polls until done() holds; false after a minute (a hang, not a slow machine).
template <typename Done>
bool Eventually(Done done) {
    for (int i = 0; i < 30000; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

int WaitForNewFrame(CNodrixU3T2Base& core) {
    int result = kWaitNoFrame;
    for (int i = 0; i < 100 && result == kWaitNoFrame; ++i) {
        result = core.WaitFrame(5000);
    }
    return result;
}

class CoreStop : public ::testing::Test {
protected:
    void SetUp() override {
        core_ = testing::SetUpCore();
        ASSERT_EQ(core_->OpenCamera(0), 1);
    }
    void TearDown() override { core_->Shutdown(); }

    emulator::EmulatedDriver& Driver() { return emulator_.Driver(); }
    int HeaderRequests() { return testing::CountVendorRequests(Driver(), 0xC2); }

    // A single frame, checked pixel by pixel against the ramp of its number:
    // a frame stitched from two reads would not match.
    void ExpectWholeFrame() {
        ASSERT_EQ(core_->StartTransfer(kModeSingle), 1);
        ASSERT_EQ(WaitForNewFrame(*core_), kWaitNewFrame);
        std::vector<std::uint8_t> frame(core_->FrameSize());
        ASSERT_EQ(core_->ReadFrame(frame.data(), 1), 0);
        const std::uint32_t n = core_->LastFrameNumber();
        int mismatches = 0;
        for (std::uint32_t r = 0; r < 1024; ++r) {
            for (std::uint32_t c = 0; c < 1280; c += 5) {
                mismatches += frame[r * 1280 + c] != emulator::RampValue8(c, r, n);
            }
        }
        EXPECT_EQ(mismatches, 0);
    }

    InstalledEmulator emulator_{CamerasOf({0x33B0})};
    std::unique_ptr<CNodrixUSB3T2SimpleSdk> core_;
};

TEST_F(CoreStop, StopEndsAnUnansweredHeaderExchangeAfterACoupleOfTries) {
    // Armed for a trigger that never comes while the core reads freely: every
    // header try runs into its time-out, thirty of them per exchange.
    ASSERT_EQ(core_->SetTriggerMode(1, 1), 1);
    Driver().ClearRequests();
    ASSERT_EQ(core_->StartTransfer(kModeContinuous), 1);
    ASSERT_TRUE(Eventually([&] { return HeaderRequests() >= 2; }));  // one try has failed
    const int requestsBefore = HeaderRequests();
    EXPECT_EQ(core_->StopTransfer(), 1);
    EXPECT_LE(HeaderRequests(), requestsBefore + 1);
    EXPECT_FALSE(core_->Acquiring());
    EXPECT_FALSE(core_->StreamFailed());  // a stop is no failure of the camera
    EXPECT_EQ(Driver().PendingTransferCount(), 0u);

    // Free running again, the next start reads frames as before.
    ASSERT_EQ(core_->SetTriggerMode(0, 1), 1);
    ExpectWholeFrame();
}

TEST_F(CoreStop, StopDropsAFrameHalfReadAndTheNextStartReadsWholeFrames) {
    emulator::FaultConfig faults;
    faults.delayPayloadReads = 1;
    faults.delayMs = 600000;
    Driver().SetFaults(0, faults);
    // Without the interruption the stop would wait out these ten minutes.
    ASSERT_EQ(core_->SetFrameTimeout(600000), 1);
    const std::uint32_t first = Driver().NextFrameNumber(0);
    ASSERT_EQ(core_->StartTransfer(kModeContinuous), 1);
    // The header came, the payload read is pending.
    ASSERT_TRUE(Eventually([&] {
        return core_->LastFrameNumber() == first && Driver().PendingTransferCount() == 1;
    }));
    EXPECT_EQ(core_->StopTransfer(), 1);
    EXPECT_FALSE(core_->Acquiring());
    EXPECT_FALSE(core_->StreamFailed());
    EXPECT_EQ(Driver().PendingTransferCount(), 0u);
    EXPECT_EQ(core_->WaitFrame(0), kWaitNoFrame);  // nothing was delivered

    ExpectWholeFrame();
    EXPECT_EQ(core_->LastFrameNumber(), first + 1);
}

TEST_F(CoreStop, StopWhileTheTriggeredModePollsSendsNoFurtherRequest) {
    ASSERT_EQ(core_->SetTriggerMode(1, 1), 1);
    ASSERT_EQ(core_->StartTransfer(kModeTriggered), 1);
    ASSERT_TRUE(Eventually([&] { return testing::CountFpgaReads(Driver(), 8) >= 3; }));
    EXPECT_EQ(core_->StopTransfer(), 1);
    EXPECT_FALSE(core_->Acquiring());
    EXPECT_EQ(HeaderRequests(), 0);

    // A trigger after the restart gives its frame, whole.
    ASSERT_EQ(core_->StartTransfer(kModeTriggered), 1);
    ASSERT_TRUE(Driver().Trigger(0));
    EXPECT_EQ(WaitForNewFrame(*core_), kWaitNewFrame);
    ASSERT_TRUE(Eventually([&] { return !core_->Acquiring(); }));  // one frame per start
    EXPECT_EQ(core_->TriggeredFrameCount(), 1);
}

// Starts and stops at random moments of every wait, with a connection-like
// waiter beside them, until a frame must still come whole at the end. Also
// run under ThreadSanitizer.
TEST_F(CoreStop, StopStartCyclesAtRandomMoments) {
    ASSERT_EQ(core_->PrepareBuffers(), 1);  // the waiter reads the ring from here on
    std::atomic<bool> done{false};
    std::thread waiter([&] {
        while (!done.load()) core_->WaitFrame(20);
    });
    std::mt19937 random(20261208);
    for (int cycle = 0; cycle < 60 && !HasFailure(); ++cycle) {
        emulator::FaultConfig faults;
        const int wait = static_cast<int>(random() % 4);
        if (wait == 1) {
            faults.delayHeaderReads = 1;
            faults.delayMs = 600000;
        } else if (wait == 2) {
            faults.delayPayloadReads = 1;
            faults.delayMs = 600000;
        }
        Driver().SetFaults(0, faults);
        const int mode = wait == 3 ? kModeSingle : kModeContinuous;
        ASSERT_EQ(core_->StartTransfer(mode), 1) << cycle;
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 30));
        ASSERT_EQ(core_->StopTransfer(), 1) << cycle;
        EXPECT_FALSE(core_->Acquiring()) << cycle;
        EXPECT_FALSE(core_->StreamFailed()) << cycle;
        EXPECT_EQ(Driver().PendingTransferCount(), 0u) << cycle;
    }
    done.store(true);
    waiter.join();
    Driver().SetFaults(0, emulator::FaultConfig{});
    ExpectWholeFrame();
}

}  // namespace
}  // namespace nodrix
