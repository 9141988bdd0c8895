// The camera dialog on the emulated camera: what it offers, what OK, Apply
// and Cancel leave in the settings store and the connection, and the
// acquisition stopped around it and restarted afterwards.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "api/DriverPortChoice.h"
#include "connection/CNodrix.h"
#include "core/EmulatedCameraFixture.h"
#include "dialogs/ScriptedDialogHost.h"
#include "dialogs/StoredPresets.h"
#include "platform/SettingsStore.h"
#include "settings/SdkSettingsSandbox.h"
#include "settings/SettingsKeys.h"

namespace nodrix {
namespace {

using settings::CCameraDlg;
using settings::kDialogCancel;
using settings::kDialogOk;

std::int32_t Stored(const std::string& path, const char* name) {
    platform::SettingsKey key;
    if (!key.Open(path, platform::KeyAccess::Read)) return -12345;
    std::uint32_t v = 0;
    if (!key.ReadDword(name, &v)) return -12345;
    return static_cast<std::int32_t>(v);
}

void Store(const std::string& path, const char* name, std::int32_t value) {
    platform::SettingsKey key;
    ASSERT_TRUE(key.Create(path));
    ASSERT_TRUE(key.WriteDword(name, static_cast<std::uint32_t>(value)));
}

void StorePreset(int camera, int index, int width, int height) {
    const std::string path = settings::CameraPresetKey(camera, index);
    const char* names[] = {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};
    const std::int32_t values[] = {1280, 1024, width, height, 0, 0, 4};
    for (int i = 0; i < 7; ++i) Store(path, names[i], values[i]);
}

class CameraDialog : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetSdkSettings();
        connection_ = std::make_unique<CNodrix>(api::ActiveDriverPort());
        connection_->Initialize(0);
        ASSERT_TRUE(connection_->HasCore());
        while (connection_->Errors().PopError() != 0) {
        }
    }
    void TearDown() override {
        connection_.reset();
        test::ResetSdkSettings();
    }
    const std::string camera0_ = settings::CameraKey(0);
    testing::InstalledEmulator emulator_{testing::CamerasOf({0x33B0})};
    test::ScriptedDialogHost host_;
    std::unique_ptr<CNodrix> connection_;
};

TEST_F(CameraDialog, MonochromeCameraOffersGreyFormatsAndTheFixedClock) {
    Store(camera0_, "Color", 0);
    Store(camera0_, "Clock", 0);
    host_.camera = [](CCameraDlg& d) {
        EXPECT_EQ(d.FormatEntries(), (std::vector<std::string>{"Monochrome 8bit", "Monochrome 12bit *"}));
        // 16-bit output wins over the stored 8-bit mode.
        EXPECT_EQ(d.FormatSelection(), 1);
        EXPECT_EQ(d.ClockEntries()[0], "Nomal(24MHz)");
        EXPECT_EQ(d.ClockEntries()[2], "High(37MHz)");
        EXPECT_EQ(d.ClockSelection(), 2);
        EXPECT_EQ(d.SubSampleEntries(), std::vector<std::string>{"1/1"});
        EXPECT_EQ(d.SizeEntries(), (std::vector<std::string>{"1280 x 1024", "Custom"}));
        EXPECT_FALSE(d.ApplyEnabled());
        EXPECT_TRUE(d.Ok());
        return kDialogOk;
    };
    EXPECT_EQ(connection_->Dialogs().SetCameraDlg(0), 1);
    EXPECT_EQ(Stored(camera0_, "Clock"), 2);
    EXPECT_EQ(Stored(camera0_, "Color"), 1);
    EXPECT_EQ(connection_->GetColorMode(), 16);
}

TEST_F(CameraDialog, CustomWindowBecomesANewPresetAndTheConnectionTakesIt) {
    host_.camera = [](CCameraDlg& d) {
        d.SelectSize(1);  // "Custom"
        EXPECT_TRUE(d.CustomSelected());
        d.EditField(CCameraDlg::kWidth, "640");
        d.EditField(CCameraDlg::kHeight, "480");
        d.EditField(CCameraDlg::kHorizontalStart, "16");
        d.EditField(CCameraDlg::kVerticalStart, "8");
        d.EditWaitTime("25");
        EXPECT_TRUE(d.ApplyEnabled());
        EXPECT_TRUE(d.Ok());
        EXPECT_EQ(d.SizeEntries(), (std::vector<std::string>{"1280 x 1024", "640 x 480", "Custom"}));
        EXPECT_EQ(d.SizeSelection(), 1);
        return kDialogOk;
    };
    EXPECT_EQ(connection_->Dialogs().SetCameraDlg(0), 1);
    const std::string size1 = settings::CameraPresetKey(0, 1);
    EXPECT_EQ(Stored(size1, "EH"), 640);
    EXPECT_EQ(Stored(size1, "EV"), 480);
    EXPECT_EQ(Stored(size1, "EHS"), 16);
    EXPECT_EQ(Stored(size1, "EVS"), 8);
    EXPECT_EQ(Stored(size1, "Buf"), 4);
    EXPECT_EQ(Stored(camera0_, "Size"), 1);
    EXPECT_EQ(Stored(camera0_, "WaitTime"), 25);
    EXPECT_EQ(connection_->Width(), 640);
    EXPECT_EQ(connection_->Height(), 480);
    EXPECT_EQ(connection_->Geometry().horizontalStart, 16);
    EXPECT_EQ(connection_->GetWaitTime(), 25);
}

TEST_F(CameraDialog, CancelAfterApplyKeepsTheStoreButNotTheConnection) {
    const int waitBefore = connection_->GetWaitTime();
    host_.camera = [](CCameraDlg& d) {
        d.EditField(CCameraDlg::kWidth, "800");
        d.EditField(CCameraDlg::kHeight, "600");
        d.EditWaitTime("40");
        EXPECT_TRUE(d.Apply());
        EXPECT_FALSE(d.ApplyEnabled());
        EXPECT_EQ(d.SizeEntries()[0], "800 x 600");
        return kDialogCancel;
    };
    EXPECT_EQ(connection_->Dialogs().SetCameraDlg(0), 1);
    EXPECT_EQ(Stored(settings::CameraPresetKey(0, 0), "EH"), 800);
    EXPECT_EQ(Stored(camera0_, "WaitTime"), 40);
    EXPECT_EQ(connection_->Width(), 1280);
    EXPECT_EQ(connection_->GetWaitTime(), waitBefore);
}

TEST_F(CameraDialog, TextThatIsNotANumberReadsAsZero) {
    host_.camera = [](CCameraDlg& d) {
        d.EditWaitTime("soon");
        d.EditField(CCameraDlg::kHorizontalStart, "-x");
        return d.Ok() ? kDialogOk : kDialogCancel;
    };
    EXPECT_EQ(connection_->Dialogs().SetCameraDlg(0), 1);
    EXPECT_EQ(Stored(camera0_, "WaitTime"), 0);
    EXPECT_EQ(Stored(settings::CameraPresetKey(0, 0), "EHS"), 0);
    EXPECT_EQ(connection_->GetWaitTime(), 0);
}

TEST_F(CameraDialog, PresetsStopAtTheFirstGapAndAFullTableRefusesCustom) {
    StorePreset(0, 1, 640, 480);
    StorePreset(0, 3, 320, 240);
    host_.camera = [](CCameraDlg& d) {
        EXPECT_EQ(d.Values().presetCount, 2);
        return kDialogCancel;
    };
    connection_->Dialogs().SetCameraDlg(0);

    test::StoreFullPresetTable(0);
    host_.camera = [](CCameraDlg& d) {
        EXPECT_EQ(d.Values().presetCount, 100);
        d.SelectSize(100);
        EXPECT_TRUE(d.CustomSelected());
        d.EditField(CCameraDlg::kWidth, "64");
        EXPECT_FALSE(d.Apply());
        EXPECT_FALSE(d.Ok());
        EXPECT_EQ(d.Values().presetCount, 100);
        EXPECT_EQ(d.SizeEntries().size(), 101u);
        return kDialogCancel;
    };
    EXPECT_EQ(connection_->Dialogs().SetCameraDlg(0), 1);
    EXPECT_FALSE(platform::SettingsKeyExists(settings::CameraPresetKey(0, 100)));
    EXPECT_EQ(Stored(camera0_, "Size"), 0);
}

TEST_F(CameraDialog, AcquisitionIsStoppedAroundTheDialogAndRestarted) {
    ASSERT_EQ(connection_->SetPreviewWindow(0, 0, 0, 0, 0), 1);
    for (int mode : {kPreviewing, kCapturing}) {
        ASSERT_EQ(mode == kPreviewing ? connection_->Acquiring().StartPreview()
                                      : connection_->Acquiring().Capture(),
                  1);
        ASSERT_EQ(connection_->AcquisitionMode(), mode);
        int modeDuring = -1;
        host_.camera = [&](CCameraDlg&) {
            modeDuring = connection_->AcquisitionMode();
            return kDialogOk;
        };
        EXPECT_EQ(connection_->Dialogs().SetCameraDlg(0), 1);
        EXPECT_EQ(modeDuring, kIdle);
        EXPECT_EQ(connection_->AcquisitionMode(), mode);
        connection_->Acquiring().StopPreview();
    }
}

TEST(CameraDialogWithoutHost, RefusedWithClearCodes) {
    test::ResetSdkSettings();
    {
        CNodrix noCamera{api::ActiveDriverPort()};
        EXPECT_EQ(noCamera.Dialogs().SetCameraDlg(0), 0);
        EXPECT_EQ(noCamera.Errors().PopError(), NODRIX_ERROR_NO_CORE);
    }
    testing::InstalledEmulator emulator(testing::CamerasOf({0x33B0}));
    CNodrix c{api::ActiveDriverPort()};
    c.Initialize(0);
    while (c.Errors().PopError() != 0) {
    }
    for (auto run : {&ConnectionDialogs::SetCameraDlg, &ConnectionDialogs::SetImageDlg,
                     &ConnectionDialogs::SetAnalogDlg}) {
        EXPECT_EQ((c.Dialogs().*run)(0), 0);
        EXPECT_EQ(c.Errors().PopError(), NODRIX_ERROR_NOT_SUPPORTED);
    }
}

}  // namespace
}  // namespace nodrix
