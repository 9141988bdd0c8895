// The controls the camera core implements itself, against the emulated
// camera.

#include <gtest/gtest.h>

#include "EmulatedCameraFixture.h"
#include "sensors/CSensorBase.h"

namespace nodrix {
namespace {

using testing::CamerasOf;
using testing::InstalledEmulator;

class CoreControls : public ::testing::Test {
protected:
    void SetUp() override {
        core_ = testing::SetUpCore();
        ASSERT_EQ(core_->OpenCamera(0), 1);
    }

    InstalledEmulator emulator_{CamerasOf({0x33B0})};
    std::unique_ptr<CNodrixUSB3T2SimpleSdk> core_;
};

TEST_F(CoreControls, ExposureSetsTheFrameTimeout) {
    EXPECT_EQ(core_->FrameTimeoutMs(), 5000);
    core_->SetExposure(50000);
    EXPECT_EQ(core_->FrameTimeoutMs(), 5000);
    core_->SetExposure(50001);
    EXPECT_EQ(core_->FrameTimeoutMs(), 10000);
    core_->SetExposure(400);
    EXPECT_EQ(core_->FrameTimeoutMs(), 5000);
    EXPECT_EQ(core_->SetExposure(400), 1);
    EXPECT_EQ(core_->GetExposureTenths(), 400);
}

TEST_F(CoreControls, ExposureSecondsSetsTheFrameTimeoutAboveTwoSeconds) {
    core_->SetFrameTimeout(1234);
    core_->SetExposureSeconds(2.0);
    EXPECT_EQ(core_->FrameTimeoutMs(), 1234);
    core_->SetExposureSeconds(2.5);
    EXPECT_EQ(core_->FrameTimeoutMs(), 3500);
    core_->SetExposureSeconds(1e300);  // far beyond the field: clamped, not undefined
    EXPECT_GT(core_->FrameTimeoutMs(), 0);
}

TEST_F(CoreControls, TransferBitsOneTwiceWritesTwicePreparesOnce) {
    emulator_.Driver().ClearRequests();
    ASSERT_EQ(core_->SetTransferBits(1), 1);
    EXPECT_EQ(emulator_.Driver().FpgaRegister(0, 60), 2);
    EXPECT_EQ(core_->FrameSize(), 1280u * 1024u * 2u);
    // A window change the core has not prepared for yet would show in the
    // frame size if the buffers were prepared again.
    core_->Sensor()->Description().windowHeight = 512;
    ASSERT_EQ(core_->SetTransferBits(1), 1);
    EXPECT_EQ(testing::CountFpgaWrites(emulator_.Driver(), 60), 2);
    EXPECT_EQ(core_->FrameSize(), 1280u * 1024u * 2u);
    EXPECT_EQ(core_->BitDepthMode(), 1);
    // Back to 8 bits prepares again.
    ASSERT_EQ(core_->SetTransferBits(0), 1);
    EXPECT_EQ(emulator_.Driver().FpgaRegister(0, 60), 1);
    EXPECT_EQ(core_->FrameSize(), 1280u * 512u);
}

TEST_F(CoreControls, TriggerModeWithoutForceKeepsAStreamRunning) {
    ASSERT_EQ(core_->SetTriggerMode(0, 1), 1);
    ASSERT_EQ(core_->StartTransfer(kModeContinuous), 1);
    ASSERT_EQ(core_->WaitFrame(10000), kWaitNewFrame);
    EXPECT_EQ(core_->SetTriggerMode(0, 0), 1);
    EXPECT_TRUE(core_->Acquiring());  // nothing was stopped
    EXPECT_EQ(core_->SetTriggerMode(0, 1), 1);
    EXPECT_FALSE(core_->Acquiring());  // forced: the transfer stopped first
    EXPECT_EQ(core_->GetTriggerMode(), 0);
    ASSERT_EQ(core_->SetTriggerMode(1, 0), 1);
    EXPECT_EQ(core_->GetTriggerMode(), 1);
    EXPECT_EQ(core_->LastFrameNumber(), emulator_.Driver().FpgaRegister(0, 8));
}

TEST_F(CoreControls, SameWindowChangesNothing) {
    ASSERT_EQ(core_->PrepareBuffers(), 1);
    emulator_.Driver().ClearRequests();
    EXPECT_EQ(core_->SetCaptureWindow(0, 0, 1280, 1024, 0), 1);
    EXPECT_TRUE(emulator_.Driver().Requests().empty());
    EXPECT_FALSE(core_->BuffersNeedSetup());

    EXPECT_EQ(core_->SetCaptureWindow(0, 100, 640, 200, 0), 1);
    EXPECT_TRUE(core_->BuffersNeedSetup());
    int x = -1, y = -1, w = -1, h = -1, mode = -1;
    ASSERT_EQ(core_->GetCaptureWindow(&x, &y, &w, &h, &mode), 1);
    // The sensor reads whole rows: the width it really uses comes back.
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 100);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 200);
    EXPECT_EQ(mode, 0);
}

TEST_F(CoreControls, FpgaRegistersAndTheIoPort) {
    ASSERT_EQ(core_->WriteFpgaRegister(7, 0xA5), 1);
    EXPECT_EQ(emulator_.Driver().FpgaRegister(0, 7), 0xA5);
    int ok = 0;
    EXPECT_EQ(core_->ReadFpgaRegister(7, &ok), 0xA5);
    EXPECT_EQ(ok, 1);
}

TEST_F(CoreControls, ClockRateNeedsTheSensor) {
    // This camera's sensor has no clock selection.
    EXPECT_EQ(core_->SetClockRate(2), 0);
    EXPECT_EQ(core_->SetClockRate(0), 0);
}

}  // namespace
}  // namespace nodrix
