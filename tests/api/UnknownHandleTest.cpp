// Every export with a handle that names no connection: it answers with its
// failure value, leaves every out-parameter alone and records nothing on
// the connections that do exist.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "NodrixSdk.h"
#include "api/MessageProbe.h"

namespace {

constexpr int kSentinel = 0x5A5A5A5A;
constexpr unsigned char kFill = 0xAB;

// Out-parameters and buffers handed to the exports, checked afterwards.
struct OutParams {
    int a = kSentinel, b = kSentinel, c = kSentinel, d = kSentinel, e = kSentinel,
        f = kSentinel;
    unsigned char bytes[10 * 256 * 2];
    NodrixCameraInfo info;
    OutParams() {
        std::memset(bytes, kFill, sizeof bytes);
        std::memset(&info, kFill, sizeof info);
        info.size = sizeof info;
    }
    char* text() { return reinterpret_cast<char*>(bytes); }
    NodrixWChar* wide() { return reinterpret_cast<NodrixWChar*>(bytes); }
    bool Untouched() const {
        for (int v : {a, b, c, d, e, f}) {
            if (v != kSentinel) return false;
        }
        for (unsigned char x : bytes) {
            if (x != kFill) return false;
        }
        const auto* raw = reinterpret_cast<const unsigned char*>(&info);
        for (std::size_t i = sizeof info.size; i < sizeof info; ++i) {
            if (raw[i] != kFill) return false;
        }
        return true;
    }
};

struct Row {
    const char* name;
    std::function<double(int, OutParams&)> call;
    double failure;
};

const NodrixWChar kWideName[] = {'x', '.', 'b', 'm', 'p', 0};

#define ROW(name, failure, expr) \
    Row { #name, [](int h, OutParams& o) -> double { (void)o; return (expr); }, failure }

std::vector<Row> AllExports() {
    return {
        ROW(Nodrix_Release, 0, Nodrix_Release(h)),
        ROW(Nodrix_Close, 0, Nodrix_Close(h)),
        ROW(Nodrix_GetLastError, 0, Nodrix_GetLastError(h)),
        ROW(Nodrix_GetStatus, 0, Nodrix_GetStatus(h, 0)),
        ROW(Nodrix_EnumDevice, 0, Nodrix_EnumDevice(h, o.text())),
        ROW(Nodrix_EnumDeviceW, 0, Nodrix_EnumDeviceW(h, o.wide())),
        ROW(Nodrix_SetDeviceNumber, 0, Nodrix_SetDeviceNumber(h, 0)),
        ROW(Nodrix_GetDeviceName, 0, Nodrix_GetDeviceName(h, 0, o.text(), 256)),
        ROW(Nodrix_GetDeviceNameW, 0, Nodrix_GetDeviceNameW(h, 0, o.wide(), 256)),
        ROW(Nodrix_GetCameraInfo, 0, Nodrix_GetCameraInfo(h, &o.info)),
        ROW(Nodrix_ReadSerialNumberA, 0, Nodrix_ReadSerialNumberA(h, o.text(), 64)),
        ROW(Nodrix_ReadSerialNumberW, 0, Nodrix_ReadSerialNumberW(h, o.wide(), 64)),
        ROW(Nodrix_ReadSromID, 0, Nodrix_ReadSromID(h, 0, &o.a)),
        ROW(Nodrix_WriteSromID, 0, Nodrix_WriteSromID(h, 0, 1)),
        ROW(Nodrix_Preview, 0, Nodrix_Preview(h)),
        ROW(Nodrix_CallBackPreview, 0, Nodrix_CallBackPreview(h, 0, o.bytes, 16, 1)),
        ROW(Nodrix_Capture, 0, Nodrix_Capture(h)),
        ROW(Nodrix_SnapShot, 0, Nodrix_SnapShot(h, o.bytes, sizeof o.bytes, 1)),
        ROW(Nodrix_GetImage, 0, Nodrix_GetImage(h, o.bytes, sizeof o.bytes, 1)),
        ROW(Nodrix_Trigger, 0, Nodrix_Trigger(h, 0, o.bytes, 16, 1)),
        ROW(Nodrix_StartPreview, 0, Nodrix_StartPreview(h)),
        ROW(Nodrix_StopPreview, 0, Nodrix_StopPreview(h)),
        ROW(Nodrix_Record, 0, Nodrix_Record(h, "x.avi", 100, 0)),
        ROW(Nodrix_RecordW, 0, Nodrix_RecordW(h, kWideName, 100, 0)),
        ROW(Nodrix_SetWaitTime, 0, Nodrix_SetWaitTime(h, 5)),
        ROW(Nodrix_GetWaitTime, -1, Nodrix_GetWaitTime(h)),
        ROW(Nodrix_SetPreviewWindow, 0, Nodrix_SetPreviewWindow(h, 0, 0, 0, 10, 10)),
        ROW(Nodrix_SetCaptureWindow, 0, Nodrix_SetCaptureWindow(h, 640, 480)),
        ROW(Nodrix_SetCaptureWindowEx, 0, Nodrix_SetCaptureWindowEx(h, 1280, 0, 1280, 1024, 0, 1024)),
        ROW(Nodrix_GetCaptureWindowEx, 0,
            Nodrix_GetCaptureWindowEx(h, &o.a, &o.b, &o.c, &o.d, &o.e, &o.f)),
        ROW(Nodrix_Width, 0, Nodrix_Width(h)),
        ROW(Nodrix_Height, 0, Nodrix_Height(h)),
        ROW(Nodrix_SetColorMode, 0, Nodrix_SetColorMode(h, 8)),
        ROW(Nodrix_GetColorMode, -1, Nodrix_GetColorMode(h)),
        ROW(Nodrix_SetSubSample, 0, Nodrix_SetSubSample(h, 0)),
        ROW(Nodrix_GetSubSample, -1, Nodrix_GetSubSample(h)),
        ROW(Nodrix_SetMirrorH, 0, Nodrix_SetMirrorH(h, 1)),
        ROW(Nodrix_SetMirrorV, 0, Nodrix_SetMirrorV(h, 1)),
        ROW(Nodrix_GetMirrorH, 0, Nodrix_GetMirrorH(h)),
        ROW(Nodrix_GetMirrorV, 0, Nodrix_GetMirrorV(h)),
        ROW(Nodrix_SetExposureTimeEx, 0, Nodrix_SetExposureTimeEx(h, 0.01)),
        ROW(Nodrix_GetExposureTimeEx, 0.0, Nodrix_GetExposureTimeEx(h, &o.a)),
        ROW(Nodrix_SetRealExposureTime, 0, Nodrix_SetRealExposureTime(h, 1000)),
        ROW(Nodrix_GetRealExposureTime, 0, Nodrix_GetRealExposureTime(h, &o.a)),
        ROW(Nodrix_SetAutoIris, 0, Nodrix_SetAutoIris(h, 1)),
        ROW(Nodrix_GetAutoIris, 0, Nodrix_GetAutoIris(h, &o.a)),
        ROW(Nodrix_SetChannelGain, 0, Nodrix_SetChannelGain(h, 1, 5)),
        ROW(Nodrix_SetChannelOffset, 0, Nodrix_SetChannelOffset(h, 1, 5)),
        ROW(Nodrix_GetChannelGain, 0, Nodrix_GetChannelGain(h, 1, &o.a)),
        ROW(Nodrix_GetChannelOffset, 0, Nodrix_GetChannelOffset(h, 1, &o.a)),
        ROW(Nodrix_SetFilterValue, 0, Nodrix_SetFilterValue(h, 1, 5)),
        ROW(Nodrix_GetFilterValue, 0, Nodrix_GetFilterValue(h, 1, &o.a)),
#define NAMED(Name)                                                    \
    ROW(Nodrix_Set##Name, 0, Nodrix_Set##Name(h, 1)),                 \
        ROW(Nodrix_Get##Name, 0, Nodrix_Get##Name(h, &o.a))
        NAMED(Brightness), NAMED(Contrast), NAMED(Hue), NAMED(Saturation), NAMED(Sharpness),
        NAMED(BayerGainRGB), NAMED(BayerGainRed), NAMED(BayerGainGreen), NAMED(BayerGainBlue),
        NAMED(BayerGainAuto), NAMED(Gamma), NAMED(BayerMode), NAMED(GlobalGain),
        NAMED(ColorGainRed), NAMED(ColorGainGreen1), NAMED(ColorGainGreen2), NAMED(ColorGainBlue),
        NAMED(ExposureTime), NAMED(GrayMode), NAMED(GrayGainR), NAMED(GrayGainG1),
        NAMED(GrayGainG2), NAMED(GrayGainB), NAMED(GrayOffsetR), NAMED(GrayOffsetG1),
        NAMED(GrayOffsetG2), NAMED(GrayOffsetB), NAMED(Peltier), NAMED(DotFilter),
        NAMED(MaskFilter),
#undef NAMED
        ROW(Nodrix_ReadRegister, 0, Nodrix_ReadRegister(h, 1, &o.a)),
        ROW(Nodrix_ReadRegisterEx, 0, Nodrix_ReadRegisterEx(h, 1, &o.a)),
        ROW(Nodrix_WriteRegister, 0, Nodrix_WriteRegister(h, 1, 1)),
        ROW(Nodrix_WriteRegisterEx, 0, Nodrix_WriteRegisterEx(h, 1, 1)),
        ROW(Nodrix_Fpga_ReadRegister, 0, Nodrix_Fpga_ReadRegister(h, 1, &o.a)),
        ROW(Nodrix_Fpga_WriteRegister, 0, Nodrix_Fpga_WriteRegister(h, 1, 1)),
        ROW(Nodrix_SetIOPort, 0, Nodrix_SetIOPort(h, 1)),
        ROW(Nodrix_GetIOPort, 0, Nodrix_GetIOPort(h, o.bytes, 0, 0)),
        ROW(Nodrix_SetSamplingRate, 0, Nodrix_SetSamplingRate(h, 1)),
        ROW(Nodrix_GetSamplingRate, 0, Nodrix_GetSamplingRate(h, &o.a)),
        ROW(Nodrix_GetVideoFormat, 0, Nodrix_GetVideoFormat(h, &o.a)),
        ROW(Nodrix_GetTemperatureEx, 0.0, Nodrix_GetTemperatureEx(h, &o.a)),
        ROW(Nodrix_GetTemperature, 0, Nodrix_GetTemperature(h, &o.a)),
        ROW(Nodrix_SetCameraDlg, 0, Nodrix_SetCameraDlg(h, 0)),
        ROW(Nodrix_SetImageDlg, 0, Nodrix_SetImageDlg(h, 0)),
        ROW(Nodrix_SetAnalogDlg, 0, Nodrix_SetAnalogDlg(h, 0)),
        ROW(Nodrix_SaveImage, 0, Nodrix_SaveImage(h, "x.bmp", 0)),
        ROW(Nodrix_SaveImageW, 0, Nodrix_SaveImageW(h, kWideName, 0)),
        ROW(Nodrix_LoadConfigFileA, 0, Nodrix_LoadConfigFileA(h, "x.cfg")),
        ROW(Nodrix_LoadConfigFileW, 0, Nodrix_LoadConfigFileW(h, kWideName)),
        ROW(Nodrix_LoadMaskFile, 0, Nodrix_LoadMaskFile(h, "x.msk")),
        ROW(Nodrix_LoadMaskFileW, 0, Nodrix_LoadMaskFileW(h, kWideName)),
        ROW(Nodrix_SaveMaskFile, 0, Nodrix_SaveMaskFile(h, "x.msk")),
        ROW(Nodrix_SaveMaskFileW, 0, Nodrix_SaveMaskFileW(h, kWideName)),
        ROW(Nodrix_UpdateMaskData, 0, Nodrix_UpdateMaskData(h, 0)),
        ROW(Nodrix_Fps, 0, Nodrix_Fps(h)),
        ROW(Nodrix_GetHalfClock, 0, Nodrix_GetHalfClock(h, &o.a)),
        ROW(Nodrix_SetHalfClock, 0, Nodrix_SetHalfClock(h, 1)),
        ROW(Nodrix_GetInternalCorrection, 0, Nodrix_GetInternalCorrection(h, &o.a)),
        ROW(Nodrix_SetInternalCorrection, 0, Nodrix_SetInternalCorrection(h, 1)),
        ROW(Nodrix_SetCrossbar, 0, Nodrix_SetCrossbar(h, 1, 2)),
        ROW(Nodrix_SendText, 0, Nodrix_SendText(h, "abc", 3)),
        ROW(Nodrix_ReceiveText, 0, Nodrix_ReceiveText(h, o.text(), 16)),
        ROW(Nodrix_SetConfigFilter, 0, Nodrix_SetConfigFilter(h, 1, 1)),
        ROW(Nodrix_GetConfigFilter, 0, Nodrix_GetConfigFilter(h, 1, &o.a)),
    };
}
#undef ROW

class UnknownHandle : public ::testing::Test {
protected:
    void SetUp() override {
        probe_ = nodrix::test::MakeMessageProbe();
        witness_ = Nodrix_Initialize(probe_->Window());
        ASSERT_NE(witness_, 0);
        while (Nodrix_GetLastError(witness_) != 0) {
        }
        probe_->Clear();
    }
    void TearDown() override { Nodrix_Release(witness_); }

    // Runs every row with the handle and checks value, out-parameters and
    // that the live witness connection heard of nothing.
    void CheckAll(int handle) {
        for (const Row& row : AllExports()) {
            OutParams out;
            const double result = row.call(handle, out);
            EXPECT_EQ(result, row.failure) << row.name << " with handle " << handle;
            EXPECT_TRUE(out.Untouched()) << row.name << " wrote an out-parameter";
        }
        EXPECT_EQ(Nodrix_GetLastError(witness_), 0);
        EXPECT_FALSE(probe_->Next(0).has_value());
    }

    std::unique_ptr<nodrix::test::MessageProbe> probe_;
    int witness_ = 0;
};

TEST_F(UnknownHandle, TableCoversEveryExportButTheTwoWithoutHandle) {
    // 149 exports; Nodrix_Initialize and Nodrix_GetDllVersion take no handle.
    EXPECT_EQ(AllExports().size(), 147u);
}

TEST_F(UnknownHandle, HandleZeroFailsEverywhere) { CheckAll(0); }

TEST_F(UnknownHandle, ReleasedHandleFailsEverywhere) {
    const int released = Nodrix_Initialize(0);
    ASSERT_NE(released, 0);
    ASSERT_EQ(Nodrix_Release(released), 1);
    CheckAll(released);
}

TEST_F(UnknownHandle, NeverIssuedHandleFailsEverywhere) { CheckAll(witness_ ^ 0x40000000); }

TEST(Version, NeedsNoHandle) { EXPECT_EQ(Nodrix_GetDllVersion(), 36242721); }

extern "C" int NodrixHeaderCompiledAsC(void);
TEST(Header, UsableFromC) { EXPECT_EQ(NodrixHeaderCompiledAsC(), 1); }

}  // namespace
