// The image dialog on the emulated camera: which groups each colour mode
// offers, live edits into the image block, the automatic white balance and
// grey gain buttons, Default, and Cancel putting the block back.
#include <gtest/gtest.h>

#include <memory>

#include "api/DriverPortChoice.h"
#include "connection/CNodrix.h"
#include "core/EmulatedCameraFixture.h"
#include "dialogs/ScriptedDialogHost.h"
#include "settings/SdkSettingsSandbox.h"

namespace nodrix {
namespace {

using settings::CGrayFilterPage;
using settings::CImageDlg;
using settings::CImageFilterPage;
using settings::kDialogCancel;
using settings::kDialogOk;
using settings::LiveImageBlock;

TEST(ImageDialogModel, GreyOutputShowsTheGreyPageAndDisablesTheColourGroups) {
    ImageParameters block;
    CImageDlg grey(LiveImageBlock(&block), 1);
    EXPECT_TRUE(grey.HasGrayPage());
    CImageFilterPage& f = grey.FilterPage();
    for (int g : {CImageFilterPage::kHue, CImageFilterPage::kSaturation, CImageFilterPage::kRedGain,
                  CImageFilterPage::kGreenGain, CImageFilterPage::kBlueGain}) {
        EXPECT_FALSE(f.Group(g).enabled) << g;
    }
    for (int g : {CImageFilterPage::kBrightness, CImageFilterPage::kContrast,
                  CImageFilterPage::kSharpness, CImageFilterPage::kGamma}) {
        EXPECT_TRUE(f.Group(g).enabled) << g;
    }
    EXPECT_FALSE(f.WhiteBalanceEnabled());

    CImageDlg colour(LiveImageBlock(&block), 3);
    EXPECT_FALSE(colour.HasGrayPage());
    for (int g = 0; g < CImageFilterPage::kGroupCount; ++g) {
        EXPECT_TRUE(colour.FilterPage().Group(g).enabled) << g;
    }
    EXPECT_TRUE(colour.FilterPage().WhiteBalanceEnabled());
}

TEST(ImageDialogModel, EditsGoIntoTheBlockInsideTheGroupRange) {
    ImageParameters block;
    CImageDlg dialog(LiveImageBlock(&block), 2);
    CImageFilterPage& f = dialog.FilterPage();
    EXPECT_EQ(f.GroupOfControl(2052), CImageFilterPage::kRedGain);
    EXPECT_EQ(f.GroupOfControl(2081), CImageFilterPage::kGamma);
    EXPECT_EQ(f.SetText(CImageFilterPage::kRedGain, "500"), 400);
    EXPECT_EQ(block.bayerGainRed, 400);
    EXPECT_EQ(f.SetText(CImageFilterPage::kHue, "-361"), -360);
    EXPECT_EQ(f.SetText(CImageFilterPage::kBrightness, "-17"), -17);
    EXPECT_EQ(block.brightness, -17);
    EXPECT_EQ(f.SetText(CImageFilterPage::kContrast, "abc"), 0);
    EXPECT_EQ(f.SetText(CImageFilterPage::kContrast, "99999999999"), 0);

    CGrayFilterPage& g = dialog.GrayPage();
    EXPECT_EQ(g.GroupOfControl(2113), 4);  // red offset's edit
    EXPECT_EQ(g.SetText(4, "-300"), -255);
    EXPECT_EQ(block.greyOffset[0], -255);
    EXPECT_EQ(g.SetText(3, "401"), 400);
    EXPECT_EQ(block.greyGain[3], 400);
}

TEST(ImageDialogModel, AutomaticButtonsSetTheirFlags) {
    ImageParameters block;
    CImageDlg dialog(LiveImageBlock(&block), 2);
    dialog.FilterPage().WhiteBalanceOnce();
    EXPECT_EQ(block.autoWhiteBalance, 1);
    EXPECT_EQ(block.whiteBalanceWord1, 1);
    EXPECT_EQ(block.whiteBalanceWord2, 1);
    dialog.FilterPage().WhiteBalanceAllFrames(true);
    EXPECT_EQ(block.autoWhiteBalance, 1);
    EXPECT_EQ(block.whiteBalanceWord1, 0);
    dialog.FilterPage().WhiteBalanceAllFrames(false);
    EXPECT_EQ(block.autoWhiteBalance, 0);

    CGrayFilterPage& g = dialog.GrayPage();
    g.GreyGainAllFrames();
    EXPECT_EQ(block.autoGreyGain, -1);
    g.GreyGainAllFrames();
    EXPECT_EQ(block.autoGreyGain, 0);
    g.GreyGainOnce();
    EXPECT_EQ(block.autoGreyGain, 1);
    g.SetGreyMode(2);
    g.SetGreyMode(7);
    EXPECT_EQ(block.greyMode, 2);
}

class ImageDialog : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetSdkSettings();
        connection_ = std::make_unique<CNodrix>(api::ActiveDriverPort());
        connection_->Initialize(0);
        ASSERT_TRUE(connection_->HasCore());
        ASSERT_EQ(connection_->SetPreviewWindow(0, 0, 0, 0, 0), 1);
    }
    void TearDown() override {
        connection_.reset();
        test::ResetSdkSettings();
    }
    testing::InstalledEmulator emulator_{testing::CamerasOf({0x33B0})};
    test::ScriptedDialogHost host_;
    std::unique_ptr<CNodrix> connection_;
};

TEST_F(ImageDialog, DefaultThenCancelLeavesTheBlockAsItWas) {
    ASSERT_EQ(connection_->SetFilterValue(1, 40), 1);   // brightness
    ASSERT_EQ(connection_->SetFilterValue(20, 90), 1);  // grey gain red
    const ImageParameters before = connection_->ImageBlock();
    host_.image = [&](CImageDlg& d, settings::LiveDialogs&) {
        d.Defaults();
        EXPECT_EQ(connection_->ImageBlock().brightness, 0);
        EXPECT_EQ(connection_->ImageBlock().gamma, 100);
        EXPECT_EQ(connection_->ImageBlock().bayerMode, 3);
        EXPECT_EQ(connection_->ImageBlock().greyGain[0], 128);
        EXPECT_EQ(connection_->ImageBlock().greyOffset[3], 128);
        return kDialogCancel;
    };
    EXPECT_EQ(connection_->Dialogs().SetImageDlg(0), 1);
    const ImageParameters& after = connection_->ImageBlock();
    EXPECT_EQ(after.brightness, before.brightness);
    EXPECT_EQ(after.greyGain[0], 90);
    EXPECT_EQ(after.gamma, before.gamma);
}

TEST_F(ImageDialog, OkKeepsTheLiveChanges) {
    host_.image = [&](CImageDlg& d, settings::LiveDialogs&) {
        d.FilterPage().SetText(CImageFilterPage::kSharpness, "12");
        d.GrayPage().SetGreyMode(1);
        return kDialogOk;
    };
    EXPECT_EQ(connection_->Dialogs().SetImageDlg(0), 1);
    EXPECT_EQ(connection_->ImageBlock().sharpness, 12);
    EXPECT_EQ(connection_->ImageBlock().greyMode, 1);
    int ok = 0;
    EXPECT_EQ(connection_->GetFilterValue(5, &ok), 12);
}

// The automatic grey gain measured during a frame reaches an open dialog.
TEST_F(ImageDialog, MeasuredGreyGainsAreReportedToTheOpenDialog) {
    struct Listener : settings::DialogListener {
        int measured = 0;
        void ImageParametersMeasured() override { ++measured; }
    } listener;
    ASSERT_EQ(connection_->SetColorMode(8), 1);
    host_.image = [&](CImageDlg& d, settings::LiveDialogs& live) {
        live.AttachImage(&listener);
        d.GrayPage().SetGreyMode(1);
        d.GrayPage().GreyGainOnce();
        std::vector<std::uint8_t> frame(1280 * 1024);
        EXPECT_EQ(
            connection_->Acquiring().SnapShot(frame.data(), static_cast<int>(frame.size()), 1), 1);
        live.DetachImage();
        // Detached: no longer told.
        d.GrayPage().GreyGainOnce();
        EXPECT_EQ(
            connection_->Acquiring().SnapShot(frame.data(), static_cast<int>(frame.size()), 1), 1);
        return kDialogOk;
    };
    EXPECT_EQ(connection_->Dialogs().SetImageDlg(0), 1);
    EXPECT_EQ(listener.measured, 1);
    EXPECT_EQ(connection_->ImageBlock().autoGreyGain, 0);
}

}  // namespace
}  // namespace nodrix
