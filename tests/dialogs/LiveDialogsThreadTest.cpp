// An image dialog changing the live block and attaching and detaching
// listeners while the preview worker keeps measuring grey gains into it;
// once the dialog has ended, nothing reaches its listeners any more.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "api/DriverPortChoice.h"
#include "connection/CNodrix.h"
#include "core/EmulatedCameraFixture.h"
#include "dialogs/ScriptedDialogHost.h"
#include "platform/Time.h"
#include "settings/SdkSettingsSandbox.h"

namespace nodrix {
namespace {

struct CountingListener : settings::DialogListener {
    std::atomic<int> measured{0};
    void ImageParametersMeasured() override { ++measured; }
};

TEST(LiveDialogsThreads, ListenersComeAndGoWhileThePreviewRuns) {
    test::ResetSdkSettings();
    testing::InstalledEmulator emulator(testing::CamerasOf({0x33B0}, emulator::Pace::Max));
    CNodrix connection{api::ActiveDriverPort()};
    connection.Initialize(0);
    ASSERT_TRUE(connection.HasCore());
    ASSERT_EQ(connection.SetPreviewWindow(0, 0, 0, 0, 0), 1);
    ASSERT_EQ(connection.SetColorMode(8), 1);

    test::ScriptedDialogHost host;
    CountingListener first;
    CountingListener second;
    host.image = [&](settings::CImageDlg& d, settings::LiveDialogs& live) {
        d.GrayPage().SetGreyMode(1);
        d.GrayPage().GreyGainAllFrames();  // measured on every frame
        EXPECT_EQ(connection.Acquiring().StartPreview(), 1);
        for (int round = 0; round < 20; ++round) {
            // The dialog changes and reads the block the worker converts
            // with and measures into.
            d.GrayPage().SetValue(round % settings::CGrayFilterPage::kGroupCount, 100 + round);
            EXPECT_GE(d.GrayPage().Value(0), 0);
            live.AttachImage(round % 2 == 0 ? &first : &second);
            platform::SleepMs(5);
            live.DetachImage();
        }
        live.AttachImage(&first);
        // Generous: a loaded machine may deliver the first frames late.
        for (int waited = 0; first.measured.load() == 0 && waited < 30000; waited += 10) {
            platform::SleepMs(10);
        }
        live.DetachImage();
        connection.Acquiring().StopPreview();
        return settings::kDialogCancel;
    };
    EXPECT_EQ(connection.Dialogs().SetImageDlg(0), 1);
    EXPECT_GT(first.measured.load(), 0);
    const int afterDetach = first.measured.load() + second.measured.load();
    EXPECT_EQ(connection.ImageBlock().autoGreyGain, 0);  // restored by Cancel
    EXPECT_EQ(first.measured.load() + second.measured.load(), afterDetach);
    test::ResetSdkSettings();
}

}  // namespace
}  // namespace nodrix
