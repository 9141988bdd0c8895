// The preview window: where it is made and how big, and what a drawn frame
// looks like when read back from the window.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "connection/PreviewWindow.h"
#include "platform/PreviewSurface.h"
#include "preview/TestWindows.h"

namespace nodrix {
namespace {

namespace surface = platform::preview;

struct Window {
    char className[preview_window::kClassNameChars] = {};
    platform::WindowHandle handle = 0;
    void* dc = nullptr;

    ~Window() { preview_window::Destroy(handle, dc, className); }
    bool Open(platform::WindowHandle parent, const int placement[4], int width, int height) {
        handle = preview_window::Create(className, this, parent, placement, width, height);
        if (handle != 0) dc = surface::AcquireDeviceContext(handle);
        test::PumpWindowMessages();
        return handle != 0 && dc != nullptr;
    }
};

TEST(PreviewWindow, ChildWindowSitsAtThePlacementOfItsParent) {
    const platform::WindowHandle parent = test::MakeParentWindow(800, 600);
    ASSERT_NE(parent, 0u);
    {
        Window window;
        const int placement[4] = {10, 20, 640, 480};
        ASSERT_TRUE(window.Open(parent, placement, 1280, 1024));
        EXPECT_TRUE(std::regex_match(std::string(window.className),
                                     std::regex("VideoRenderer_[0-9a-f]{8}_[0-9a-f]{8}")));
        surface::WindowPlacement where;
        ASSERT_TRUE(surface::GetPlacement(window.handle, &where));
        EXPECT_EQ(where.x, 10);
        EXPECT_EQ(where.y, 20);
        EXPECT_EQ(where.width, 640);
        EXPECT_EQ(where.height, 480);
        EXPECT_EQ(where.clientWidth, 640);
        EXPECT_EQ(where.clientHeight, 480);
        EXPECT_TRUE(surface::IsVisible(window.handle));
    }
    test::DestroyParentWindow(parent);
}

TEST(PreviewWindow, TopLevelWindowHasTheCaptureSizeAndIsCentred) {
    int screenWidth = 0;
    int screenHeight = 0;
    ASSERT_TRUE(surface::ScreenSize(&screenWidth, &screenHeight));
    // Placement values other than all-zero only ask for a window.
    const int placement[4] = {0, 0, 1, 0};
    for (const auto& [width, height] : {std::pair{640, 480}, std::pair{1280, 1024}}) {
        Window window;
        ASSERT_TRUE(window.Open(0, placement, width, height));
        surface::WindowPlacement where;
        ASSERT_TRUE(surface::GetPlacement(window.handle, &where));
        EXPECT_EQ(where.clientWidth, width);
        EXPECT_EQ(where.clientHeight, height);
        int x = (screenWidth - where.width) / 2;
        int y = (screenHeight - where.height) / 2;
        EXPECT_EQ(where.x, x < 0 ? 0 : x);
        EXPECT_EQ(where.y, y < 0 ? 0 : y);
        EXPECT_GE(where.x, 0);
        EXPECT_GE(where.y, 0);
    }
}

TEST(PreviewWindow, NoParentAndNoPlacementMeansNoWindow) {
    Window window;
    const int placement[4] = {0, 0, 0, 0};
    EXPECT_FALSE(window.Open(0, placement, 640, 480));
    EXPECT_EQ(window.handle, 0u);
    EXPECT_STREQ(window.className, "");
}

TEST(PreviewWindow, ClassesOfTwoWindowsDiffer) {
    const int placement[4] = {0, 0, 1, 1};
    Window a;
    Window b;
    ASSERT_TRUE(a.Open(0, placement, 64, 48));
    ASSERT_TRUE(b.Open(0, placement, 64, 48));
    EXPECT_STRNE(a.className, b.className);
}

// --- Drawing ------------------------------------------------------------------

std::uint32_t Grey(int v) {
    const auto g = static_cast<std::uint32_t>(v & 0xFF);
    return (g << 16) | (g << 8) | g;
}

// An image whose memory row 0 is the picture's top row (the connection's
// convention): 8-bit (x * 3 + y * 7) or 24-bit with distinct channels.
void FillPicture(imaging::CDibImage& image) {
    for (int y = 0; y < image.Height(); ++y) {
        std::uint8_t* row = image.Row(y);
        for (int x = 0; x < image.Width(); ++x) {
            if (image.Bits() == 8) {
                row[x] = static_cast<std::uint8_t>(x * 3 + y * 7);
            } else if (image.Bits() == 24) {
                row[3 * x] = static_cast<std::uint8_t>(x);          // blue
                row[3 * x + 1] = static_cast<std::uint8_t>(y);      // green
                row[3 * x + 2] = static_cast<std::uint8_t>(x ^ y);  // red
            } else {  // 16-bit grey
                const int v = (x * 3 + y * 7) << 8 | 0x5A;
                row[2 * x] = static_cast<std::uint8_t>(v);
                row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
            }
        }
    }
}

std::uint32_t PicturePixel(const imaging::CDibImage& image, int row, int x) {
    const std::uint8_t* p = image.Row(row);
    if (image.Bits() == 8) return Grey(p[x]);
    if (image.Bits() == 16) return Grey(p[2 * x + 1]);
    return (std::uint32_t{p[3 * x + 2]} << 16) | (std::uint32_t{p[3 * x + 1]} << 8) | p[3 * x];
}

// Nearest-neighbour source row and column of window pixel (x, y) when the
// picture is scaled to width x height.
int SourceRow(int y, int height, int sourceHeight) {
    const float step = static_cast<float>(sourceHeight) / static_cast<float>(height);
    const int i = height - 1 - y;  // display memory row shown at y
    const int u = static_cast<int>(step * static_cast<float>(i));
    return sourceHeight - 1 - u;
}
int SourceColumn(int x, int width, int sourceWidth) {
    const float step = static_cast<float>(sourceWidth) / static_cast<float>(width);
    return static_cast<int>(step * static_cast<float>(x));
}

class PreviewDrawing : public ::testing::TestWithParam<int> {
protected:
    // Draws a picture of the colour mode's format into a child window of
    // width x height and reads the window back.
    void DrawInto(int width, int height) {
        parent_ = test::MakeParentWindow(width + 40, height + 40);
        const int placement[4] = {0, 0, width, height};
        ASSERT_TRUE(window_.Open(parent_, placement, 0, 0));
        const int mode = GetParam();
        ASSERT_TRUE(output_.Allocate(kWidth, kHeight, mode == 0 ? 8 : mode == 1 ? 16 : 24));
        FillPicture(output_);
        preview_window::DrawImages images;
        images.output = &output_;
        images.grey8 = &grey8_;
        images.rgb24 = &rgb24_;
        images.display = &display_;
        preview_window::Draw(window_.handle, window_.dc, mode, images);
        test::PumpWindowMessages();
        int w = 0;
        int h = 0;
        ASSERT_TRUE(surface::ReadClientPixels(window_.handle, &pixels_, &w, &h));
        ASSERT_EQ(w, width);
        ASSERT_EQ(h, height);
    }
    void TearDown() override {
        preview_window::Destroy(window_.handle, window_.dc, window_.className);
        window_.handle = 0;
        window_.dc = nullptr;
        test::DestroyParentWindow(parent_);
    }

    static constexpr int kWidth = 120;
    static constexpr int kHeight = 90;
    platform::WindowHandle parent_ = 0;
    Window window_;
    imaging::CDibImage output_;
    imaging::CDibImage grey8_;
    imaging::CDibImage rgb24_;
    imaging::CDibImage display_;
    std::vector<std::uint32_t> pixels_;
};

TEST_P(PreviewDrawing, WindowOfTheImageSizeShowsThePictureUpright) {
    ASSERT_NO_FATAL_FAILURE(DrawInto(kWidth, kHeight));
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::uint32_t want = PicturePixel(output_, y, x);
            const std::uint32_t got = pixels_[static_cast<std::size_t>(y) * kWidth + x];
            if (got != want && ++wrong <= 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << "): " << std::hex << got
                              << " instead of " << want;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    // Only the 16-bit grey picture needs the window-sized image.
    EXPECT_EQ(display_.Empty(), GetParam() != 1);
}

TEST_P(PreviewDrawing, WindowOfAnotherSizeShowsThePictureScaled) {
    const int width = 200;
    const int height = 70;
    ASSERT_NO_FATAL_FAILURE(DrawInto(width, height));
    int wrong = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t want = PicturePixel(output_, SourceRow(y, height, kHeight),
                                                    SourceColumn(x, width, kWidth));
            const std::uint32_t got = pixels_[static_cast<std::size_t>(y) * width + x];
            if (got != want && ++wrong <= 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << "): " << std::hex << got
                              << " instead of " << want;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(display_.Width(), width);
    EXPECT_EQ(display_.Height(), height);
}

INSTANTIATE_TEST_SUITE_P(ColourModes, PreviewDrawing, ::testing::Values(0, 1, 2),
                         [](const auto& info) {
                             return std::string(info.param == 0   ? "Grey8"
                                                : info.param == 1 ? "Grey16"
                                                                  : "Rgb24");
                         });

TEST(PreviewWindowDrawing, HiddenOrMissingWindowSkipsTheFrame) {
    imaging::CDibImage output;
    imaging::CDibImage display;
    ASSERT_TRUE(output.Allocate(16, 16, 8));
    preview_window::DrawImages images;
    images.output = &output;
    images.display = &display;
    preview_window::Draw(0, nullptr, 0, images);
    EXPECT_TRUE(display.Empty());
}

}  // namespace
}  // namespace nodrix
