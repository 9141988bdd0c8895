// The analog dialog on the emulated camera: the page this camera gets, live
// changes reaching the camera, Default, Cancel sending the old values back,
// and the exposure shown in seconds with its unit.
#include <gtest/gtest.h>

#include <memory>

#include "api/DriverPortChoice.h"
#include "connection/CNodrix.h"
#include "core/CNodrixU3T2Base.h"
#include "core/EmulatedCameraFixture.h"
#include "dialogs/ScriptedDialogHost.h"
#include "settings/ExposureUnits.h"
#include "settings/SdkSettingsSandbox.h"

namespace nodrix {
namespace {

using settings::CAnalogDlg;
using settings::CAnalogPage;
using settings::kDialogCancel;
using settings::kDialogOk;

TEST(ExposureUnits, UnitsAndTexts) {
    using namespace settings;
    EXPECT_EQ(UnitFor(2.0), kSeconds);
    EXPECT_EQ(UnitFor(1.0), kMilliseconds);
    EXPECT_EQ(UnitFor(0.001), kMilliseconds);
    EXPECT_EQ(UnitFor(0.00001), kMicroseconds);
    EXPECT_EQ(UnitFor(0.0000005), kNanoseconds);
    EXPECT_EQ(RangeLabel(0.00001, 2.0), "range: 10μs - 2sec");
    EXPECT_EQ(FormatInUnit(InUnit(0.0125, kMilliseconds)), "12.500");
    EXPECT_EQ(FormatInUnit(InUnit(0.5, kMilliseconds)), "500");
    EXPECT_EQ(FormatInUnit(InUnit(0.0000125, kMilliseconds)), "0.013");
    EXPECT_EQ(FormatInUnit(InUnit(0.0000005, kMilliseconds)), "0.000500");
    EXPECT_EQ(FormatInUnit(InUnit(0.001, kMicroseconds)), "1000");
    EXPECT_DOUBLE_EQ(SecondsFrom(12.5, kMilliseconds), 0.0125);
    EXPECT_DOUBLE_EQ(SecondsFrom(3, kNanoseconds), 3e-9);
    EXPECT_EQ(MillisecondsLabel(125), "=12.50ms");
}

class AnalogDialog : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetSdkSettings();
        connection_ = std::make_unique<CNodrix>(api::ActiveDriverPort());
        connection_->Initialize(0);
        ASSERT_TRUE(connection_->HasCore());
        core_ = connection_->Core();
    }
    void TearDown() override {
        connection_.reset();
        test::ResetSdkSettings();
    }
    testing::InstalledEmulator emulator_{testing::CamerasOf({0x33B0})};
    test::ScriptedDialogHost host_;
    std::unique_ptr<CNodrix> connection_;
    CNodrixU3T2Base* core_ = nullptr;
};

TEST_F(AnalogDialog, ThisCameraGetsTheMonochromePageWithItsOptions) {
    host_.analog = [&](CAnalogDlg& d, settings::LiveDialogs&) {
        CAnalogPage& p = d.Page();
        EXPECT_FALSE(d.ColorPage());
        EXPECT_FALSE(p.GroupShown(CAnalogPage::kRedGain));
        EXPECT_EQ(p.BlackLevelShown(), core_->HasBlackLevel() != 0);
        EXPECT_EQ(p.ShortExposureShown(), core_->HasShortExposure() != 0);
        EXPECT_EQ(p.PeltierShown(), core_->HasPeltier() != 0);
        EXPECT_EQ(p.SecondsShown(), core_->HasExposureSeconds() != 0);
        EXPECT_EQ(p.GroupShown(CAnalogPage::kExposure), core_->HasExposureSeconds() == 0);
        const settings::TrackbarGroup& gain = p.GroupOf(CAnalogPage::kGlobalGain);
        EXPECT_EQ(gain.edit, 1015);
        EXPECT_EQ(gain.minimum, core_->GetGainMin());
        EXPECT_EQ(gain.maximum, core_->GetGainMax());
        EXPECT_EQ(gain.pageSize, std::max(1, (gain.maximum - gain.minimum) / 8));
        EXPECT_EQ(p.GroupOfControl(1027), CAnalogPage::kExposure);
        return kDialogCancel;
    };
    EXPECT_EQ(connection_->Dialogs().SetAnalogDlg(0), 1);
    EXPECT_EQ(host_.runs, 1);
}

TEST_F(AnalogDialog, CancelSendsTheOldValuesBackAndOkKeepsTheNewOnes) {
    const int gainMin = core_->GetGainMin();
    const int gainMax = core_->GetGainMax();
    const int gainBefore = core_->GetGain();
    const int mirrorBefore = core_->GetMirrorV();
    const int target = gainBefore == gainMax ? gainMin : gainMax;
    for (int end : {kDialogCancel, kDialogOk}) {
        host_.analog = [&](CAnalogDlg& d, settings::LiveDialogs&) {
            CAnalogPage& p = d.Page();
            // Past the range the value is held at the limit.
            p.EditGroup(CAnalogPage::kGlobalGain, std::to_string(target == gainMax ? gainMax + 1000 : gainMin - 1000));
            EXPECT_EQ(core_->GetGain(), target);
            p.SetMirrorV(mirrorBefore == 0);
            EXPECT_EQ(core_->GetMirrorV(), mirrorBefore == 0 ? 1 : 0);
            p.SetIrisGain(true);
            return end;
        };
        EXPECT_EQ(connection_->Dialogs().SetAnalogDlg(0), 1);
        if (end == kDialogCancel) {
            EXPECT_EQ(core_->GetGain(), gainBefore);
            EXPECT_EQ(core_->GetMirrorV(), mirrorBefore);
            EXPECT_EQ(connection_->CameraBlock().globalGain, gainBefore);
            EXPECT_EQ(connection_->CameraBlock().autoIris, 0);
        } else {
            EXPECT_EQ(core_->GetGain(), target);
            EXPECT_EQ(connection_->CameraBlock().globalGain, target);
            EXPECT_EQ(connection_->CameraBlock().autoIris, 2);
        }
    }
}

TEST_F(AnalogDialog, ExposureInSecondsFollowsTheUnit) {
    if (!core_->HasExposureSeconds()) GTEST_SKIP() << "camera without exposure in seconds";
    host_.analog = [&](CAnalogDlg& d, settings::LiveDialogs&) {
        CAnalogPage& p = d.Page();
        const auto& units = p.Units();
        const auto ms = std::find(units.begin(), units.end(), settings::kMilliseconds);
        if (ms == units.end()) {
            ADD_FAILURE() << "no ms unit offered";
            return kDialogCancel;
        }
        p.SelectUnit(static_cast<int>(ms - units.begin()));
        p.EditSeconds("12.5");
        EXPECT_NEAR(core_->GetExposureSeconds(), 0.0125, 0.0005);
        EXPECT_NEAR(connection_->CameraBlock().exposureSeconds, 0.0125, 1e-12);
        EXPECT_EQ(connection_->CameraBlock().exposure, core_->GetExposureTenths());
        p.SelectUnit(static_cast<int>(ms - units.begin()));
        EXPECT_EQ(p.SecondsText().substr(0, 3), "12.");
        return kDialogOk;
    };
    EXPECT_EQ(connection_->Dialogs().SetAnalogDlg(0), 1);
    EXPECT_NEAR(connection_->CameraBlock().exposureSeconds, 0.0125, 1e-12);
}

TEST_F(AnalogDialog, DefaultSendsTheCameraDefaults) {
    host_.analog = [&](CAnalogDlg& d, settings::LiveDialogs&) {
        CAnalogPage& p = d.Page();
        p.EditGroup(CAnalogPage::kGlobalGain, std::to_string(core_->GetGainMax()));
        if (p.GainModeShown()) p.SelectGainMode(1);
        d.Defaults();
        EXPECT_EQ(core_->GetGain(), core_->GetGainDefault());
        EXPECT_EQ(connection_->CameraBlock().globalGain, core_->GetGainDefault());
        if (core_->HasGainMode()) {
            EXPECT_EQ(core_->GetGainMode(), 0);
        }
        if (core_->HasShortExposure()) {
            EXPECT_EQ(core_->GetShortExposure(), 0);
        }
        return kDialogOk;
    };
    EXPECT_EQ(connection_->Dialogs().SetAnalogDlg(0), 1);
}

}  // namespace
}  // namespace nodrix
