// Image and camera parameters through the exports on the emulated camera:
// ranges, storage, the camera's answers and the error codes.
#include <cstdint>
#include <vector>

#include "acquisition/AcquisitionFixture.h"
#include "api/MessageProbe.h"
#include "core/EmulatedCameraFixture.h"

namespace nodrix::test {
namespace {

class ParameterExports : public AcquisitionTest {
protected:
    int LastError() { return Nodrix_GetLastError(handle_); }
};

TEST_F(ParameterExports, OutOfRangeValuesAreRefusedAndKeepTheOldValue) {
    ASSERT_EQ(Nodrix_SetBrightness(handle_, 40), 1);
    EXPECT_EQ(Nodrix_SetBrightness(handle_, 256), 0);
    EXPECT_EQ(LastError(), NODRIX_ERROR_INVALID_ARGUMENT);
    int ok = -1;
    EXPECT_EQ(Nodrix_GetBrightness(handle_, &ok), 40);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(Nodrix_SetBrightness(handle_, 255), 1);
    EXPECT_EQ(Nodrix_SetBrightness(handle_, -255), 1);
    EXPECT_EQ(Nodrix_GetBrightness(handle_, nullptr), -255);
    EXPECT_EQ(Nodrix_SetSharpness(handle_, 31), 0);
    EXPECT_EQ(Nodrix_SetGamma(handle_, 201), 0);
    EXPECT_EQ(Nodrix_SetBayerMode(handle_, 4), 0);
    EXPECT_EQ(Nodrix_SetGrayOffsetB(handle_, -256), 0);
    EXPECT_EQ(Nodrix_SetBrightness(handle_, 0), 1);
}

TEST_F(ParameterExports, PackedBayerGainsRoundTrip) {
    const int packed = 50 | (100 << 8) | (200 << 16);
    ASSERT_EQ(Nodrix_SetBayerGainRGB(handle_, packed), 1);
    EXPECT_EQ(Nodrix_GetBayerGainRed(handle_, nullptr), 50);
    EXPECT_EQ(Nodrix_GetBayerGainGreen(handle_, nullptr), 100);
    EXPECT_EQ(Nodrix_GetBayerGainBlue(handle_, nullptr), 200);
    EXPECT_EQ(Nodrix_GetBayerGainRGB(handle_, nullptr), packed);
    EXPECT_EQ(Nodrix_GetBayerGainAuto(handle_, nullptr),
              Nodrix_GetFilterValue(handle_, NODRIX_FILTER_BAYER_GAIN_AUTO, nullptr));
}

TEST_F(ParameterExports, GlobalGainReachesTheCamera) {
    NodrixCameraInfo info{};
    info.size = NODRIX_CAMERA_INFO_FULL_SIZE;
    ASSERT_EQ(Nodrix_GetCameraInfo(handle_, &info), 1);
    const int gain = (info.gainMin + info.gainMax) / 2;
    ASSERT_EQ(Nodrix_SetGlobalGain(handle_, gain), 1);
    EXPECT_EQ(Nodrix_GetGlobalGain(handle_, nullptr), gain);
    EXPECT_EQ(Nodrix_SetGlobalGain(handle_, info.gainMax + 1), 0);
    EXPECT_EQ(LastError(), NODRIX_ERROR_INVALID_ARGUMENT);
    // The colour gains are read from the camera (a monochrome sensor has none).
    int ok = -1;
    Nodrix_GetColorGainRed(handle_, &ok);
    EXPECT_NE(ok, -1);
}

TEST_F(ParameterExports, ExposureInSecondsReadsBackInTenthsAndMicroseconds) {
    ASSERT_EQ(Nodrix_SetExposureTimeEx(handle_, 0.5), 1);
    int ok = 0;
    EXPECT_NEAR(Nodrix_GetExposureTimeEx(handle_, &ok), 0.5, 0.001);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(Nodrix_GetRealExposureTime(handle_, nullptr), 500000);
    EXPECT_EQ(Nodrix_GetExposureTime(handle_, nullptr), 5000);  // the camera's tenths

    ASSERT_EQ(Nodrix_SetRealExposureTime(handle_, 12345), 1);
    EXPECT_EQ(Nodrix_GetRealExposureTime(handle_, nullptr), 12300);
    EXPECT_EQ(Nodrix_GetExposureTime(handle_, nullptr), 123);
}

TEST_F(ParameterExports, ColourModesOfAMonochromeCamera) {
    EXPECT_EQ(Nodrix_SetColorMode(handle_, 12), 0);
    EXPECT_EQ(LastError(), NODRIX_ERROR_INVALID_ARGUMENT);
    for (int bits : {24, 32, 48, 64}) {
        EXPECT_EQ(Nodrix_SetColorMode(handle_, bits), 0) << bits;
        EXPECT_EQ(LastError(), NODRIX_ERROR_INVALID_ARGUMENT) << bits;
    }
    EXPECT_EQ(Nodrix_SetColorMode(handle_, 16), 1);
    EXPECT_EQ(Nodrix_GetColorMode(handle_), 16);
    EXPECT_EQ(Nodrix_SetColorMode(handle_, 8), 1);
    EXPECT_EQ(Nodrix_GetColorMode(handle_), 8);
}

TEST_F(ParameterExports, CaptureWindowMustFitTheSensor) {
    EXPECT_EQ(Nodrix_SetCaptureWindowEx(handle_, 1280, 0, 1280, 1024, 0, 1024), 1);
    EXPECT_EQ(Nodrix_SetCaptureWindowEx(handle_, 1280, 1, 1280, 1024, 0, 1024), 0);
    EXPECT_EQ(LastError(), NODRIX_ERROR_CAPTURE_WINDOW);
    // The refused values stay stored; a good window restores the camera.
    int width = 0, x = -1;
    Nodrix_GetCaptureWindowEx(handle_, nullptr, &x, &width, nullptr, nullptr, nullptr);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(Nodrix_SetCaptureWindowEx(handle_, 1280, 0, 1280, 1024, 0, 1024), 1);
}

TEST_F(ParameterExports, UnknownCodesAndReadOnlyCodes) {
    for (int code : {0, 29, 32, 36, 37, 99, 107}) {
        int ok = 1;
        EXPECT_EQ(Nodrix_SetFilterValue(handle_, code, 1), 0) << code;
        EXPECT_EQ(LastError(), NODRIX_ERROR_INVALID_ARGUMENT) << code;
        Nodrix_GetFilterValue(handle_, code, &ok);
        EXPECT_EQ(ok, 0) << code;
        EXPECT_EQ(LastError(), NODRIX_ERROR_INVALID_ARGUMENT) << code;
    }
    int ok = 1;
    EXPECT_EQ(Nodrix_GetTemperature(handle_, &ok), -1);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(LastError(), NODRIX_ERROR_NOT_SUPPORTED);
    ok = 1;
    Nodrix_GetFilterValue(handle_, NODRIX_FILTER_AUTO_GRAY_GAIN, &ok);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(LastError(), NODRIX_ERROR_INVALID_ARGUMENT);
}

TEST(ParameterExportsWithoutCamera, NeedACameraCore) {
    testing::InstalledEmulator emulator(testing::CamerasOf({}));
    const int handle = Nodrix_Initialize(0);
    ASSERT_NE(handle, 0);
    while (Nodrix_GetLastError(handle) != 0) {
    }
    int ok = 1;
    // Two cameras would leave the core without a device; with none the
    // parameters are still the connection's, but the camera ones fail.
    Nodrix_GetExposureTime(handle, &ok);
    EXPECT_EQ(Nodrix_SetExposureTime(handle, 100), 0);
    EXPECT_NE(Nodrix_GetLastError(handle), 0);
    Nodrix_Release(handle);
}

// Automatic exposure on the emulator's scene: a saturated frame quarters
// the exposure, and the loop then settles.
class AutoExposureExports : public ::testing::Test {
protected:
    static emulator::EmulatorConfig SceneCamera() {
        auto config = testing::CamerasOf({0x33B0});
        config.pattern = emulator::Pattern::Scene;
        return config;
    }
    AutoExposureExports() : emulator_(SceneCamera()) {}
    void SetUp() override {
        handle_ = Nodrix_Initialize(0);
        ASSERT_NE(handle_, 0);
        ASSERT_EQ(Nodrix_SetPreviewWindow(handle_, 0, 0, 0, 0, 0), 1);
        ASSERT_EQ(Nodrix_SetColorMode(handle_, 8), 1);
        for (int code : {1, 2, 5, 19}) Nodrix_SetFilterValue(handle_, code, 0);
        Nodrix_SetGamma(handle_, 100);
        Nodrix_SetMaskFilter(handle_, 0);
        Nodrix_SetDotFilter(handle_, 0);
    }
    void TearDown() override { Nodrix_Release(handle_); }
    int Snap() {
        std::vector<std::uint8_t> frame(1280 * 1024);
        return Nodrix_SnapShot(handle_, frame.data(), static_cast<int>(frame.size()), 1);
    }
    testing::InstalledEmulator emulator_;
    int handle_ = 0;
};

TEST_F(AutoExposureExports, SaturatedFrameQuartersTheExposure) {
    // The longest exposure at the highest gain saturates every window.
    NodrixCameraInfo info{};
    info.size = NODRIX_CAMERA_INFO_FULL_SIZE;
    ASSERT_EQ(Nodrix_GetCameraInfo(handle_, &info), 1);
    ASSERT_EQ(Nodrix_SetGlobalGain(handle_, info.gainMax), 1);
    ASSERT_EQ(Nodrix_SetExposureTime(handle_, info.exposureMax), 1);
    ASSERT_EQ(Nodrix_SetAutoIris(handle_, 1), 1);
    ASSERT_EQ(Snap(), 1);
    EXPECT_EQ(Nodrix_GetExposureTime(handle_, nullptr), info.exposureMax / 4);
}

TEST_F(AutoExposureExports, ExposureConvergesOnTheScene) {
    ASSERT_EQ(Nodrix_SetExposureTime(handle_, 4000), 1);
    ASSERT_EQ(Nodrix_SetAutoIris(handle_, 1), 1);
    std::vector<int> exposures;
    for (int i = 0; i < 12; ++i) {
        ASSERT_EQ(Snap(), 1);
        exposures.push_back(Nodrix_GetExposureTime(handle_, nullptr));
    }
    // Settled: the last frames leave the exposure as it is.
    EXPECT_EQ(exposures[10], exposures[11]);
    EXPECT_LT(exposures.back(), 4000);
    EXPECT_GT(exposures.back(), 0);
}

}  // namespace
}  // namespace nodrix::test
