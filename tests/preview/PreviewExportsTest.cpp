// The preview window made by the exports on the emulated camera: where it
// is, how big, and that it shows the frame the connection converted last.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "NodrixSdk.h"
#include "core/EmulatedCameraFixture.h"
#include "parameters/RampChecks.h"
#include "platform/PreviewSurface.h"
#include "platform/Time.h"
#include "preview/TestWindows.h"

namespace nodrix {
namespace {

namespace surface = platform::preview;

class PreviewExports : public ::testing::Test {
protected:
    PreviewExports() : emulator_(testing::CamerasOf({0x33B0})) {}
    void SetUp() override {
        handle_ = Nodrix_Initialize(0);
        ASSERT_NE(handle_, 0);
    }
    void TearDown() override {
        if (handle_ != 0) Nodrix_Release(handle_);
        if (parent_ != 0) test::DestroyParentWindow(parent_);
    }
    // Lets the preview draw a few frames while the windows of this thread
    // are serviced, then stops it.
    void RunPreviewBriefly() {
        for (int i = 0; i < 30; ++i) {
            test::PumpWindowMessages();
            platform::SleepMs(10);
        }
        ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
        test::PumpWindowMessages();
    }
    // The frame the connection converted last, top row first, as the
    // window shows it: 8-bit grey, 16-bit samples by the top eight of their
    // significant bits. The frame is checked against the camera's ramp:
    // 12-bit samples, or after the flat field (neutral masks) scaled to 16
    // bits two or more pixels inside the frame.
    std::vector<std::uint8_t> LastFrame(bool flatField = false) {
        const int bits = Nodrix_GetColorMode(handle_);
        EXPECT_TRUE(bits == 8 || bits == 16) << bits;
        const int bytes = bits / 8;
        std::vector<std::uint8_t> frame(static_cast<std::size_t>(1280) * 1024 * bytes);
        EXPECT_EQ(Nodrix_GetImage(handle_, frame.data(), static_cast<int>(frame.size()), 1), 1);
        EXPECT_TRUE(test::MatchesTransformedRamp(frame, bits, 1280, 1024, [&](int ramp, int x, int y) {
            const bool inside = x >= 2 && x < 1278 && y >= 2 && y < 1022;
            return bits == 16 && flatField && inside ? ramp * 16 : ramp;
        }));
        const int shift = bits == 8 ? 0 : flatField ? 8 : 4;
        std::vector<std::uint8_t> shown(static_cast<std::size_t>(1280) * 1024);
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const int sample = bytes == 1 ? frame[i] : frame[2 * i] | (frame[2 * i + 1] << 8);
            shown[i] = static_cast<std::uint8_t>(sample >> shift);
        }
        return shown;
    }

    testing::InstalledEmulator emulator_;
    int handle_ = 0;
    platform::WindowHandle parent_ = 0;
};

std::uint32_t Grey(std::uint8_t v) { return (std::uint32_t{v} << 16) | (std::uint32_t{v} << 8) | v; }

TEST_F(PreviewExports, ChildWindowShowsTheFrameScaledToItsSize) {
    parent_ = test::MakeParentWindow(800, 600);
    ASSERT_EQ(Nodrix_SetPreviewWindow(handle_, (NodrixHwnd)parent_, 10, 20, 640, 480),
              1);
    ASSERT_EQ(Nodrix_Preview(handle_), 1);
    const platform::WindowHandle window = surface::FindPreviewWindow(parent_);
    ASSERT_NE(window, 0u);
    surface::WindowPlacement where;
    ASSERT_TRUE(surface::GetPlacement(window, &where));
    EXPECT_EQ(where.x, 10);
    EXPECT_EQ(where.y, 20);
    EXPECT_EQ(where.clientWidth, 640);
    EXPECT_EQ(where.clientHeight, 480);

    ASSERT_NO_FATAL_FAILURE(RunPreviewBriefly());
    const std::vector<std::uint8_t> frame = LastFrame();
    std::vector<std::uint32_t> pixels;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(surface::ReadClientPixels(window, &pixels, &width, &height));
    ASSERT_EQ(width, 640);
    ASSERT_EQ(height, 480);
    // Nearest neighbours, the rows taken from the bottom up as the display
    // image is filled.
    const float rowStep = 1024.0f / static_cast<float>(height);
    const float columnStep = 1280.0f / static_cast<float>(width);
    int wrong = 0;
    for (int y = 0; y < height; ++y) {
        const int row = 1023 - static_cast<int>(rowStep * static_cast<float>(height - 1 - y));
        for (int x = 0; x < width; ++x) {
            const int column = static_cast<int>(columnStep * static_cast<float>(x));
            const std::uint32_t want = Grey(frame[static_cast<std::size_t>(row) * 1280 + column]);
            if (pixels[static_cast<std::size_t>(y) * width + x] != want) ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);

    EXPECT_EQ(Nodrix_Close(handle_), 1);
    EXPECT_EQ(surface::FindPreviewWindow(parent_), 0u);
    EXPECT_EQ(Nodrix_Close(handle_), 1);
}

// With and without the flat field.
class PreviewExportsDefaultWindow : public PreviewExports,
                                    public ::testing::WithParamInterface<bool> {};

TEST_P(PreviewExportsDefaultWindow, IsTopLevelWithTheCaptureSizeShowingTheFrame) {
    const bool flatField = GetParam();
    ASSERT_EQ(Nodrix_SetFilterValue(handle_, NODRIX_FILTER_MASK_FILTER, flatField ? 1 : 0), 1);
    ASSERT_EQ(Nodrix_Preview(handle_), 1);
    const platform::WindowHandle window = surface::FindPreviewWindow(0);
    ASSERT_NE(window, 0u);
    surface::WindowPlacement where;
    ASSERT_TRUE(surface::GetPlacement(window, &where));
    EXPECT_EQ(where.clientWidth, 1280);
    EXPECT_EQ(where.clientHeight, 1024);
    int screenWidth = 0;
    int screenHeight = 0;
    ASSERT_TRUE(surface::ScreenSize(&screenWidth, &screenHeight));
    const int x = (screenWidth - where.width) / 2;
    const int y = (screenHeight - where.height) / 2;
    EXPECT_EQ(where.x, x < 0 ? 0 : x);
    EXPECT_EQ(where.y, y < 0 ? 0 : y);

    ASSERT_NO_FATAL_FAILURE(RunPreviewBriefly());
    const std::vector<std::uint8_t> frame = LastFrame(flatField);
    std::vector<std::uint32_t> pixels;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(surface::ReadClientPixels(window, &pixels, &width, &height));
    ASSERT_EQ(width, 1280);
    ASSERT_EQ(height, 1024);
    int wrong = 0;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        if (pixels[i] != Grey(frame[i])) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(Nodrix_Close(handle_), 1);
    EXPECT_EQ(surface::FindPreviewWindow(0), 0u);
}

INSTANTIATE_TEST_SUITE_P(FlatField, PreviewExportsDefaultWindow, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "On" : "Off"; });

TEST_F(PreviewExports, NoParentAndZeroPlacementRunsWithoutWindow) {
    ASSERT_EQ(Nodrix_SetPreviewWindow(handle_, 0, 0, 0, 0, 0), 1);
    ASSERT_EQ(Nodrix_Preview(handle_), 1);
    EXPECT_EQ(surface::FindPreviewWindow(0), 0u);
    ASSERT_NO_FATAL_FAILURE(RunPreviewBriefly());
    LastFrame();
    EXPECT_EQ(Nodrix_Close(handle_), 1);
    EXPECT_EQ(Nodrix_Close(handle_), 1);
}

}  // namespace
}  // namespace nodrix
