// A connection on its own: construction defaults, the mask planes made by
// initialisation, and the error stack.
#include <gtest/gtest.h>

#include "api/DriverPortChoice.h"
#include "connection/CNodrix.h"

namespace nodrix {
namespace {

TEST(CNodrixConstruction, DefaultsBeforeAnyCameraIsTouched) {
    CNodrix c{api::ActiveDriverPort()};
    EXPECT_FALSE(c.HasCore());
    EXPECT_EQ(c.Width(), 1280);
    EXPECT_EQ(c.Height(), 1024);
    EXPECT_EQ(c.Geometry().horizontalTotal, 1280);
    EXPECT_EQ(c.Geometry().verticalTotal, 1024);
    EXPECT_EQ(c.Geometry().bufferCount, 4);
    EXPECT_EQ(c.GetWaitTime(), 10);
    EXPECT_EQ(c.GetSubSample(), 0);
    EXPECT_EQ(c.GetColorMode(), 8);
    EXPECT_EQ(c.AcquisitionMode(), kIdle);
    EXPECT_EQ(c.DeviceNumber(), 0);
    EXPECT_EQ(c.ImageBlock().gamma, 0);
    EXPECT_EQ(c.CameraBlock().exposureSeconds, 0.0);
    EXPECT_EQ(c.Errors().PopError(), 0);
    for (int slot = 0; slot < kImageSlotCount; ++slot) {
        EXPECT_EQ(c.Image(static_cast<ImageSlot>(slot)), nullptr);
    }
}

TEST(CNodrixInitialize, MaskPlanesStartNeutral) {
    CNodrix c{api::ActiveDriverPort()};
    c.Initialize(0);
    for (int slot = 0; slot < kImageSlotCount; ++slot) {
        ASSERT_NE(c.Image(static_cast<ImageSlot>(slot)), nullptr) << slot;
    }
    const auto& white8 = *c.Image(kWhite8);
    const auto& white16 = *c.Image(kWhite16);
    const auto& dark16 = *c.Image(kDark16);
    ASSERT_EQ(white8.Width(), 1280);
    ASSERT_EQ(white8.Height(), 1024);
    EXPECT_EQ(white8.Bits(), 8);
    EXPECT_EQ(white16.Bits(), 16);
    EXPECT_EQ(c.Image(kMark16)->Bits(), 16);
    EXPECT_EQ(c.Image(kDefectWhite8)->Bits(), 8);
    for (int y : {0, 511, 1023}) {
        for (int x : {0, 640, 1279}) {
            EXPECT_EQ(white8.Row(y)[x], 255);
            EXPECT_EQ(c.Image(kDark8)->Row(y)[x], 0);
            EXPECT_EQ(white16.Row(y)[2 * x], 0xFF);
            EXPECT_EQ(white16.Row(y)[2 * x + 1], 0x0F);
            EXPECT_EQ(dark16.Row(y)[2 * x] | dark16.Row(y)[2 * x + 1], 0);
            EXPECT_EQ(c.Image(kDefectDark16)->Row(y)[2 * x], 0);
        }
    }
    // The frame buffers stay empty until an acquisition sizes them.
    EXPECT_TRUE(c.Image(kRaw8)->Empty());
    EXPECT_TRUE(c.Image(kRgb24)->Empty());
}

TEST(CNodrixErrors, StackHoldsTwentyNewestFirst) {
    CNodrix c{api::ActiveDriverPort()};
    for (int code = 1; code <= 23; ++code) EXPECT_EQ(c.Errors().PushError(code), 1);
    for (int code = 23; code >= 4; --code) EXPECT_EQ(c.Errors().PopError(), code);
    EXPECT_EQ(c.Errors().PopError(), 0);
}

TEST(CNodrixWithoutCamera, CameraOperationsReportNoCamera) {
    CNodrix c{api::ActiveDriverPort()};
    c.Initialize(0);
    if (c.HasCore()) GTEST_SKIP() << "a camera core is built in";
    NodrixCameraInfo info{};
    info.size = sizeof info;
    EXPECT_EQ(c.GetCameraInfo(&info), 0);
    EXPECT_EQ(c.Errors().PopError(), 1);
    EXPECT_EQ(c.SetDeviceNumber(0), 0);
    EXPECT_EQ(c.Errors().PopError(), 1);
    EXPECT_EQ(c.EnumDevice(nullptr), -1);
    EXPECT_EQ(c.Errors().PopError(), 1);
    EXPECT_EQ(c.Acquiring().StopPreview(), 0);
    EXPECT_EQ(c.Errors().PopError(), 1);
    // Close has nothing to stop and records nothing.
    EXPECT_EQ(c.Close(), 1);
    EXPECT_EQ(c.Errors().PopError(), 0);
}

}  // namespace
}  // namespace nodrix
