// The show-window flag of Nodrix_Record: the preview window appears only
// when asked for and placed, and the recording goes on while it draws.
#include <gtest/gtest.h>

#include "NodrixSdk.h"
#include "api/ExportPrologue.h"
#include "core/EmulatedCameraFixture.h"
#include "files/TempFolder.h"
#include "platform/PreviewSurface.h"
#include "platform/Time.h"
#include "preview/TestWindows.h"
#include "recording/AviFileParse.h"

namespace nodrix {
namespace {

class RecordWindow : public ::testing::Test {
protected:
    RecordWindow() : emulator_(testing::CamerasOf({0x33B0})) {}
    void SetUp() override {
        handle_ = Nodrix_Initialize(0);
        ASSERT_NE(handle_, 0);
        parent_ = test::MakeParentWindow(800, 600);
        ASSERT_EQ(Nodrix_SetPreviewWindow(handle_, (NodrixHwnd)parent_, 0, 0, 320, 256), 1);
    }
    void TearDown() override {
        if (handle_ != 0) Nodrix_Release(handle_);
        if (parent_ != 0) test::DestroyParentWindow(parent_);
    }
    // Services the windows until the recording has ended by itself.
    bool RecordUntilDone() {
        const std::uint32_t start = platform::TickCount();
        while (api::FindConnection(handle_)->Acquiring().Recording()) {
            if (platform::TickCount() - start > 60000) return false;
            test::PumpWindowMessages();
            platform::SleepMs(10);
        }
        return true;
    }

    testing::InstalledEmulator emulator_;
    testing::TempFolder folder_;
    int handle_ = 0;
    platform::WindowHandle parent_ = 0;
};

TEST_F(RecordWindow, WindowOnlyWithTheShowFlag) {
    const std::string hidden = folder_.File("hidden.avi");
    ASSERT_EQ(Nodrix_Record(handle_, hidden.c_str(), 0, 0), 1);
    EXPECT_EQ(platform::preview::FindPreviewWindow(parent_), 0u);
    ASSERT_TRUE(RecordUntilDone());
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);

    const std::string shown = folder_.File("shown.avi");
    ASSERT_EQ(Nodrix_Record(handle_, shown.c_str(), 0, 1), 1);
    EXPECT_NE(platform::preview::FindPreviewWindow(parent_), 0u);
    ASSERT_TRUE(RecordUntilDone());
    ASSERT_EQ(Nodrix_Close(handle_), 1);
    EXPECT_EQ(platform::preview::FindPreviewWindow(parent_), 0u);

    EXPECT_EQ(test::CheckConsistent(test::ReadAvi(hidden)), "");
    EXPECT_EQ(test::CheckConsistent(test::ReadAvi(shown)), "");
}

}  // namespace
}  // namespace nodrix
