// The owner of the camera parameters on the emulated camera: a refused value
// is reported and changes nothing; every exposure write leaves the block with
// the seconds the camera reads back.
#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "NodrixSdk.h"
#include "api/DriverPortChoice.h"
#include "connection/CNodrix.h"
#include "core/EmulatedCameraFixture.h"
#include "settings/SdkSettingsSandbox.h"

namespace nodrix {
namespace {

constexpr int kRereadsExposure = -2;  // no result to compare: a dialog or automatic write

struct Case {
    const char* name;
    std::function<ControlResult(CameraControls&, CNodrixU3T2Base&)> write;
    int result;  // kRereadsExposure: the write has none
    int error;
};

ControlResult None() {
    return {kRereadsExposure, ControlResult::kNoError};
}

const Case kCases[] = {
    {"gain above range",
     [](CameraControls& c, CNodrixU3T2Base& k) {
         return c.SetFilterValue(NODRIX_FILTER_GLOBAL_GAIN, k.GetGainMax() + 1);
     },
     0, NODRIX_ERROR_INVALID_ARGUMENT},
    {"colour gain below range",
     [](CameraControls& c, CNodrixU3T2Base& k) {
         return c.SetFilterValue(NODRIX_FILTER_COLOR_GAIN_RED, k.GetColorGainMin() - 1);
     },
     0, NODRIX_ERROR_INVALID_ARGUMENT},
    {"tenths above range",
     [](CameraControls& c, CNodrixU3T2Base& k) {
         return c.SetFilterValue(NODRIX_FILTER_EXPOSURE_TIME, k.GetExposureTenthsMax() + 1);
     },
     0, NODRIX_ERROR_INVALID_ARGUMENT},
    {"microseconds below range",
     [](CameraControls& c, CNodrixU3T2Base& k) {
         return c.SetRealExposureTime((k.GetExposureTenthsMin() - 1) * 100);
     },
     0, NODRIX_ERROR_INVALID_ARGUMENT},
    {"seconds not a number",
     [](CameraControls& c, CNodrixU3T2Base&) {
         return c.SetExposureTimeEx(std::numeric_limits<double>::quiet_NaN());
     },
     0, NODRIX_ERROR_INVALID_ARGUMENT},
    {"seconds infinite",
     [](CameraControls& c, CNodrixU3T2Base&) {
         return c.SetExposureTimeEx(std::numeric_limits<double>::infinity());
     },
     0, NODRIX_ERROR_INVALID_ARGUMENT},
    {"seconds above range",
     [](CameraControls& c, CNodrixU3T2Base& k) {
         return c.SetExposureTimeEx(k.GetExposureSecondsMax() * 2);
     },
     0, NODRIX_ERROR_INVALID_ARGUMENT},
    {"image code", [](CameraControls& c, CNodrixU3T2Base&) { return c.SetFilterValue(1, 0); }, 0,
     NODRIX_ERROR_INVALID_ARGUMENT},
    {"tenths by code",
     [](CameraControls& c, CNodrixU3T2Base& k) {
         return c.SetFilterValue(NODRIX_FILTER_EXPOSURE_TIME, k.GetExposureTenthsMin() + 7);
     },
     1, ControlResult::kNoError},
    {"microseconds",
     [](CameraControls& c, CNodrixU3T2Base& k) {
         return c.SetRealExposureTime((k.GetExposureTenthsMin() + 13) * 100);
     },
     1, ControlResult::kNoError},
    {"dialog tenths",
     [](CameraControls& c, CNodrixU3T2Base& k) {
         c.SetExposureTenths(k.GetExposureTenthsMin() + 21);
         return None();
     },
     kRereadsExposure, ControlResult::kNoError},
    {"automatic exposure",
     [](CameraControls& c, CNodrixU3T2Base&) {
         c.CorrectExposure(0.5);
         return None();
     },
     kRereadsExposure, ControlResult::kNoError},
};

TEST(CameraControls, RefusesOnceAndReadsTheExposureBackAfterEveryWrite) {
    test::ResetSdkSettings();
    testing::InstalledEmulator emulator(testing::CamerasOf({0x33B0}));
    CNodrix connection{api::ActiveDriverPort()};
    connection.Initialize(0);
    CNodrixU3T2Base* core = connection.Core();
    ASSERT_NE(core, nullptr);
    ASSERT_TRUE(core->HasExposureSeconds());
    CameraControls& controls = connection.Controls();
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const CameraParameters before = controls.Parameters();
        const ControlResult done = c.write(controls, *core);
        EXPECT_EQ(done.result, c.result);
        EXPECT_EQ(done.error, c.error);
        const CameraParameters after = controls.Parameters();
        if (c.result == 0) {
            EXPECT_EQ(after, before);
        } else {
            int ok = 0;
            EXPECT_EQ(after.exposureSeconds, core->GetExposureSeconds(&ok));
            EXPECT_EQ(ok, 1);
        }
    }
    test::ResetSdkSettings();
}

}  // namespace
}  // namespace nodrix
