// The conversion tells an open analog dialog of the automatic exposure's
// corrections, and stops once the dialog has detached.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "api/DriverPortChoice.h"
#include "connection/CNodrix.h"
#include "connection/FrameFindings.h"
#include "core/CNodrixU3T2Base.h"
#include "core/EmulatedCameraFixture.h"
#include "pipeline/FrameConverter.h"
#include "settings/LiveDialogs.h"
#include "settings/SdkSettingsSandbox.h"

namespace nodrix {
namespace {

struct Recorder : settings::DialogListener {
    std::vector<int> gains;
    std::vector<int> exposures;
    void GainCorrected(int gain) override { gains.push_back(gain); }
    void ExposureCorrected(int tenths) override { exposures.push_back(tenths); }
};

TEST(LiveDialogs, AutomaticExposureCorrectionsReachTheAttachedDialog) {
    test::ResetSdkSettings();
    testing::InstalledEmulator emulator(testing::CamerasOf({0x33B0}));
    CNodrix connection{api::ActiveDriverPort()};
    connection.Initialize(0);
    CNodrixU3T2Base* core = connection.Core();
    ASSERT_NE(core, nullptr);
    ASSERT_TRUE(core->SetExposure(400));
    ASSERT_TRUE(core->SetGain(core->GetGainMax()));

    // A saturated frame: every window asks for less light.
    imaging::CDibImage raw;
    ASSERT_TRUE(raw.Allocate(640, 480, 8));
    std::memset(raw.Pixels(), 255, raw.SizeBytes());
    ImageParameters image;
    CameraParameters camera;
    pipeline::PipelineContext context;
    context.images.raw8 = &raw;
    context.imageParams = &image;
    context.cameraParams = &camera;
    context.geometry.width = 640;
    context.geometry.height = 480;
    context.exposureCorrectable = true;
    settings::LiveDialogs live;
    Recorder recorder;
    live.AttachAnalog(&recorder);
    const auto convert = [&] {
        ApplyFrameFindings(pipeline::ConvertFrame(context), image, connection.Controls(), live);
    };

    camera.autoIris = 1;
    convert();
    ASSERT_EQ(recorder.exposures.size(), 1u);
    EXPECT_EQ(recorder.exposures[0], connection.CameraBlock().exposure);
    EXPECT_LT(connection.CameraBlock().exposure, 400);

    camera.autoIris = 2;
    convert();
    ASSERT_EQ(recorder.gains.size(), 1u);
    EXPECT_EQ(recorder.gains[0], connection.CameraBlock().globalGain);

    live.DetachAnalog();
    convert();
    EXPECT_EQ(recorder.gains.size(), 1u);
    test::ResetSdkSettings();
}

}  // namespace
}  // namespace nodrix
