#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "pipeline/FlatFieldFilter.h"
#include "pipeline/FrameView.h"

namespace nodrix::pipeline {
namespace {

using imaging::CDibImage;

void Fill16(CDibImage& image, std::uint16_t value) {
    auto view = ViewOf<std::uint16_t>(image);
    for (int y = 0; y < view.height; ++y) std::fill_n(view.Row(y), view.width, value);
}

struct MaskPlanes {
    CDibImage dark8, white8, dark16, white16;
    MaskPlanes() {
        dark8.Allocate(1280, 1024, 8);
        white8.Allocate(1280, 1024, 8);
        dark16.Allocate(1280, 1024, 16);
        white16.Allocate(1280, 1024, 16);
        std::memset(dark8.Pixels(), 0, dark8.SizeBytes());
        std::memset(white8.Pixels(), 255, white8.SizeBytes());
        Fill16(dark16, 0);
        Fill16(white16, 0x0FFF);
    }
};

TEST(FlatFieldFilter, BorderIsTwoPixelsOnlyForFullWidthOrHeight) {
    EXPECT_EQ(FlatFieldBorder(1280, 1024), 2);
    EXPECT_EQ(FlatFieldBorder(1280, 100), 2);
    EXPECT_EQ(FlatFieldBorder(640, 1024), 2);
    EXPECT_EQ(FlatFieldBorder(640, 480), 0);
}

TEST(FlatFieldFilter, InitialPlanesStretchEightBitInsideTheBorderOnly) {
    MaskPlanes planes;
    CDibImage frame;
    ASSERT_TRUE(frame.Allocate(1280, 1024, 8));
    for (int y = 0; y < 1024; ++y) {
        for (int x = 0; x < 1280; ++x) frame.Row(y)[x] = static_cast<std::uint8_t>(x + y);
    }
    ApplyFlatField8(frame, planes.dark8, planes.white8, 0, 0, FlatFieldBorder(1280, 1024));
    for (int y = 0; y < 1024; ++y) {
        for (int x = 0; x < 1280; ++x) {
            const int p = (x + y) & 0xFF;
            const bool border = y < 2 || y >= 1022 || x < 2 || x >= 1278;
            const int expected = border ? p : std::min(255, p * 256 / 255);
            ASSERT_EQ(frame.Row(y)[x], expected) << "at " << x << "," << y;
        }
    }
}

TEST(FlatFieldFilter, SixteenBitStretchesToTwelveBitsThenScalesBySixteen) {
    MaskPlanes planes;
    CDibImage frame;
    ASSERT_TRUE(frame.Allocate(640, 480, 16));
    auto view = ViewOf<std::uint16_t>(frame);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) view.At(y, x) = static_cast<std::uint16_t>((4 * x + y) & 0xFFF);
    }
    ApplyFlatField16(frame, planes.dark16, planes.white16, 100, 200, FlatFieldBorder(640, 480));
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const std::int64_t p = (4 * x + y) & 0xFFF;
            const std::int64_t expected = std::min<std::int64_t>(4095, p * 4096 / 4095) * 16;
            ASSERT_EQ(view.At(y, x), expected) << "at " << x << "," << y;
        }
    }
}

TEST(FlatFieldFilter, ReferencesComeFromTheWindowsPlaceOnTheSensor) {
    MaskPlanes planes;
    // A dark level of 100 only at sensor pixel (x 300, y 50).
    planes.dark8.Row(50)[300] = 100;
    CDibImage frame;
    ASSERT_TRUE(frame.Allocate(64, 32, 8));
    std::memset(frame.Pixels(), 150, frame.SizeBytes());
    ApplyFlatField8(frame, planes.dark8, planes.white8, 280, 40, FlatFieldBorder(64, 32));
    EXPECT_EQ(frame.Row(10)[20], (150 - 100) * 256 / (255 - 100));
    EXPECT_EQ(frame.Row(10)[21], std::min(255, 150 * 256 / 255));
}

TEST(FlatFieldFilter, EqualOrInvertedReferencesLeaveThePixel) {
    MaskPlanes planes;
    std::memset(planes.white8.Pixels(), 0, planes.white8.SizeBytes());
    Fill16(planes.white16, 0);
    CDibImage frame8, frame16;
    ASSERT_TRUE(frame8.Allocate(16, 16, 8));
    ASSERT_TRUE(frame16.Allocate(16, 16, 16));
    std::memset(frame8.Pixels(), 77, frame8.SizeBytes());
    Fill16(frame16, 777);
    ApplyFlatField8(frame8, planes.dark8, planes.white8, 0, 0, 0);
    ApplyFlatField16(frame16, planes.dark16, planes.white16, 0, 0, 0);
    EXPECT_EQ(frame8.Row(5)[5], 77);
    EXPECT_EQ(ViewOf<std::uint16_t>(frame16).At(5, 5), 777);
}

TEST(FlatFieldFilter, WindowReachingPastTheMaskStopsAtItsEdge) {
    MaskPlanes planes;
    CDibImage frame;
    ASSERT_TRUE(frame.Allocate(100, 100, 8));
    std::memset(frame.Pixels(), 100, frame.SizeBytes());
    // A start that no valid window has: the pixels past the mask stay as they were.
    ApplyFlatField8(frame, planes.dark8, planes.white8, 1230, 1000, 0);
    EXPECT_EQ(frame.Row(0)[0], 100 * 256 / 255);
    EXPECT_EQ(frame.Row(23)[49], 100 * 256 / 255);
    EXPECT_EQ(frame.Row(24)[49], 100);
    EXPECT_EQ(frame.Row(0)[50], 100);
}

// Every 8-bit combination of pixel, dark and white level against the
// formula: frame row d, column l meets dark level d and white level l.
TEST(FlatFieldFilter, EightBitMatchesTheFormulaForEveryLevel) {
    CDibImage frame, dark, white;
    for (CDibImage* image : {&frame, &dark, &white}) ASSERT_TRUE(image->Allocate(256, 256, 8));
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            dark.Row(y)[x] = static_cast<std::uint8_t>(y);
            white.Row(y)[x] = static_cast<std::uint8_t>(x);
        }
    }
    for (int p = 0; p < 256; ++p) {
        std::memset(frame.Pixels(), p, frame.SizeBytes());
        ApplyFlatField8(frame, dark, white, 0, 0, 0);
        for (int d = 0; d < 256; ++d) {
            for (int l = 0; l < 256; ++l) {
                const int expected = d == l ? p : std::clamp(((p - d) * 256) / (l - d), 0, 255);
                ASSERT_EQ(frame.Row(d)[l], expected) << "p " << p << " d " << d << " l " << l;
            }
        }
    }
}

// 16-bit levels over the whole sample range, most of them close to the
// places where the formula changes course (p near d or l, d near l).
TEST(FlatFieldFilter, SixteenBitMatchesTheFormulaAcrossTheRange) {
    CDibImage frame, dark, white;
    for (CDibImage* image : {&frame, &dark, &white}) ASSERT_TRUE(image->Allocate(256, 256, 16));
    auto p = ViewOf<std::uint16_t>(frame);
    auto d = ViewOf<std::uint16_t>(dark);
    auto l = ViewOf<std::uint16_t>(white);
    std::mt19937 rng(16);
    const auto near = [&rng](int base) {
        return static_cast<std::uint16_t>(std::clamp(base + static_cast<int>(rng() % 9) - 4, 0, 0xFFFF));
    };
    for (int round = 0; round < 8; ++round) {
        for (int y = 0; y < 256; ++y) {
            for (int x = 0; x < 256; ++x) {
                const auto a = static_cast<std::uint16_t>(rng() >> (rng() % 16));
                const auto b = static_cast<std::uint16_t>(rng() >> (rng() % 16));
                d.At(y, x) = a;
                switch (rng() % 4) {
                    case 0: l.At(y, x) = b; p.At(y, x) = static_cast<std::uint16_t>(rng()); break;
                    case 1: l.At(y, x) = near(a); p.At(y, x) = near(a); break;
                    case 2: l.At(y, x) = b; p.At(y, x) = near(b); break;
                    default: l.At(y, x) = b; p.At(y, x) = near(a); break;
                }
            }
        }
        std::vector<std::uint16_t> before(p.samples, p.samples + p.Count());
        ApplyFlatField16(frame, dark, white, 0, 0, 0);
        for (int y = 0; y < 256; ++y) {
            for (int x = 0; x < 256; ++x) {
                const std::int64_t pv = before[static_cast<std::size_t>(y) * p.pitch + x];
                const std::int64_t dv = d.At(y, x);
                const std::int64_t lv = l.At(y, x);
                const std::int64_t expected =
                    dv >= lv ? pv : std::clamp<std::int64_t>((pv - dv) * 4096 / (lv - dv), 0, 4095) * 16;
                ASSERT_EQ(p.At(y, x), expected) << "p " << pv << " d " << dv << " l " << lv;
            }
        }
    }
}

}  // namespace
}  // namespace nodrix::pipeline
