// The conversion pipeline run directly on raw frames, with every colour
// mode (the camera itself is monochrome, so the colour stages are reached
// only this way).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "pipeline/FrameConverter.h"
#include "pipeline/FrameView.h"

namespace nodrix::pipeline {
namespace {

using imaging::CDibImage;

// The connection's buffers as Prepare sizes them for one colour mode, and
// parameter blocks at the defaults a fresh camera loads.
struct Fixture {
    CDibImage raw8, raw16, rgb24, rgb32, rgb48, rgb64, scratch;
    CDibImage dark8, white8, dark16, white16;
    CDibImage defectDark8, defectWhite8, defectDark16, defectWhite16, mark8, mark16;
    ImageParameters image;
    CameraParameters camera;
    platform::RecursiveLock maskLock;
    PipelineContext context;

    Fixture(int colorMode, int width, int height) {
        image.gamma = 100;
        image.bayerGainRed = image.bayerGainGreen = image.bayerGainBlue = 100;
        image.bayerMode = 3;
        std::fill(std::begin(image.greyGain), std::end(image.greyGain), 128);
        std::fill(std::begin(image.greyOffset), std::end(image.greyOffset), 128);
        const bool sixteen = colorMode == 1 || colorMode == 4 || colorMode == 5;
        if (sixteen) {
            raw16.Allocate(width, height, 16);
        } else {
            raw8.Allocate(width, height, 8);
        }
        if (colorMode != 1) rgb24.Allocate(width, height, 24);
        if (colorMode == 3) rgb32.Allocate(width, height, 32);
        if (colorMode == 4) rgb48.Allocate(width, height, 48);
        if (colorMode == 5) rgb64.Allocate(width, height, 64);
        for (CDibImage* m : {&dark8, &white8, &defectDark8, &defectWhite8, &mark8}) {
            m->Allocate(1280, 1024, 8);
        }
        for (CDibImage* m : {&dark16, &white16, &defectDark16, &defectWhite16, &mark16}) {
            m->Allocate(1280, 1024, 16);
        }
        std::memset(white8.Pixels(), 255, white8.SizeBytes());
        auto w16 = ViewOf<std::uint16_t>(white16);
        std::fill_n(w16.samples, w16.Count(), 0x0FFF);

        context.images = {&raw8,   &raw16,  &rgb24, &rgb32,        &rgb48,        &rgb64,
                          &scratch, &dark8, &white8, &dark16,      &white16,      &defectDark8,
                          &defectWhite8, &defectDark16, &defectWhite16, &mark8, &mark16};
        context.imageParams = &image;
        context.cameraParams = &camera;
        context.geometry.width = width;
        context.geometry.height = height;
        context.colorMode = colorMode;
        context.maskLock = &maskLock;
        scratch.CopyFrom(*OutputImageOf(context.images, colorMode));
    }

    CDibImage& Raw() { return *RawImageOf(context.images, context.colorMode); }
    CDibImage& Output() { return *OutputImageOf(context.images, context.colorMode); }
    void Convert() { ConvertFrame(context).ApplyTo(image); }
};

void FillRamp8(CDibImage& image) {
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) image.Row(y)[x] = static_cast<std::uint8_t>(x + y);
    }
}

void FillRamp16(CDibImage& image) {
    auto view = ViewOf<std::uint16_t>(image);
    for (int y = 0; y < view.height; ++y) {
        for (int x = 0; x < view.width; ++x) {
            view.At(y, x) = static_cast<std::uint16_t>((4 * x + y) & 0x0FFF);
        }
    }
}

std::vector<std::uint8_t> Bytes(const CDibImage& image) {
    return {image.Pixels(), image.Pixels() + image.SizeBytes()};
}

TEST(FrameConverter, DefaultParametersLeaveGreyFramesAsTheyCame) {
    Fixture f8(0, 640, 480);
    FillRamp8(f8.Raw());
    const auto before8 = Bytes(f8.Raw());
    f8.Convert();
    EXPECT_EQ(Bytes(f8.Raw()), before8);

    Fixture f16(1, 642, 480);
    FillRamp16(f16.Raw());
    const auto before16 = Bytes(f16.Raw());
    f16.Convert();
    EXPECT_EQ(Bytes(f16.Raw()), before16);
}

TEST(FrameConverter, ToneStepsRunInOrderOnTheOutput) {
    Fixture f(0, 64, 48);
    std::memset(f.Raw().Pixels(), 128, f.Raw().SizeBytes());
    f.image.gamma = 50;      // 128 -> 64
    f.image.brightness = 51;  // x3 -> 192
    f.Convert();
    EXPECT_EQ(f.Raw().Row(10)[10], 192);

    Fixture c(0, 64, 48);
    FillRamp8(c.Raw());
    c.image.contrast = 64;
    c.Convert();
    EXPECT_EQ(c.Raw().Row(0)[63], 0);     // 63 < 64
    EXPECT_EQ(c.Raw().Row(40)[24], 0);    // 64 -> 0
    EXPECT_EQ(c.Raw().Row(40)[40], 32);   // 80 -> 2 * 16
    EXPECT_EQ(c.Raw().Row(47)[63], 110 * 2 - 128);
}

TEST(FrameConverter, SharpnessLeavesUniformFramesAndUsesTheScratchCopy) {
    Fixture f(0, 32, 32);
    std::memset(f.Raw().Pixels(), 90, f.Raw().SizeBytes());
    f.image.sharpness = 30;
    f.Convert();
    EXPECT_EQ(f.Raw().Row(16)[16], 90);

    // A bright spot is sharpened against its 4 x 4 box mean.
    Fixture s(0, 32, 32);
    std::memset(s.Raw().Pixels(), 100, s.Raw().SizeBytes());
    s.Raw().Row(16)[16] = 116;
    s.image.sharpness = 10;
    s.Convert();
    // blur = (15 * 100 + 116) >> 4 = 101; 116 + (116 - 101) = 131.
    EXPECT_EQ(s.Raw().Row(16)[16], 131);
}

TEST(FrameConverter, GreyModeOneAppliesGainsAndOffsetsPerBayerPosition) {
    Fixture f(0, 16, 16);
    std::memset(f.Raw().Pixels(), 60, f.Raw().SizeBytes());
    f.image.greyMode = 1;
    f.image.bayerMode = 0;
    f.image.greyGain[0] = 256;  // position (0,1)
    std::fill(std::begin(f.image.greyOffset), std::end(f.image.greyOffset), 0);
    f.Convert();
    EXPECT_EQ(f.Raw().Row(0)[1], 120);
    EXPECT_EQ(f.Raw().Row(0)[0], 60);
    EXPECT_EQ(f.Raw().Row(1)[0], 60);

    // Gains of 128 with the default offsets of 128 are taken as neutral.
    Fixture n(1, 16, 16);
    FillRamp16(n.Raw());
    const auto before = Bytes(n.Raw());
    n.image.greyMode = 1;
    n.Convert();
    EXPECT_EQ(Bytes(n.Raw()), before);
}

TEST(FrameConverter, AutomaticGreyGainMeasuresOnceThenApplies) {
    Fixture f(0, 16, 16);
    f.image.greyMode = 1;
    f.image.bayerMode = 0;
    f.image.autoGreyGain = 1;
    std::fill(std::begin(f.image.greyOffset), std::end(f.image.greyOffset), 0);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) f.Raw().Row(y)[x] = ((y & 1) == 0 && (x & 1) == 1) ? 50 : 100;
    }
    f.Convert();
    EXPECT_EQ(f.image.autoGreyGain, 0);
    EXPECT_EQ(f.image.greyGain[0], 256);  // (0,1) at half the level of (0,0)
    EXPECT_EQ(f.Raw().Row(0)[1], 100);
}

TEST(FrameConverter, GreyModeTwoDemosaicsAndReturnsToGrey) {
    Fixture f(0, 32, 32);
    std::memset(f.Raw().Pixels(), 77, f.Raw().SizeBytes());
    f.image.greyMode = 2;
    f.Convert();
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) ASSERT_EQ(f.Raw().Row(y)[x], 77) << x << "," << y;
    }
}

TEST(FrameConverter, ColourModesDemosaicUniformGreyToGrey) {
    for (int mode : {2, 3, 4, 5}) {
        Fixture f(mode, 34, 22);
        if (mode >= 4) {
            auto view = ViewOf<std::uint16_t>(f.Raw());
            std::fill_n(view.samples, view.Count(), 1000);
        } else {
            std::memset(f.Raw().Pixels(), 90, f.Raw().SizeBytes());
        }
        f.Convert();
        CDibImage& out = f.Output();
        const int channels = out.BytesPerPixel() / (mode >= 4 ? 2 : 1);
        for (int y = 0; y < out.Height(); ++y) {
            for (int x = 0; x < out.Width(); ++x) {
                for (int ch = 0; ch < 3; ++ch) {
                    const int index = x * channels + ch;
                    const int value =
                        mode >= 4 ? reinterpret_cast<const std::uint16_t*>(out.Row(y))[index]
                                  : out.Row(y)[index];
                    ASSERT_EQ(value, mode >= 4 ? 1000 : 90)
                        << "mode " << mode << " at " << x << "," << y << " channel " << ch;
                }
            }
        }
    }
}

TEST(FrameConverter, AutomaticWhiteBalanceStoresLimitedGains) {
    Fixture f(2, 16, 16);
    f.image.autoWhiteBalance = 1;
    f.image.bayerMode = 0;
    // Phase (0,0) and (1,1) green 100, (0,1) blue 20, (1,0) red 50.
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const int phase = (y & 1) * 2 + (x & 1);
            f.Raw().Row(y)[x] = phase == 1 ? 20 : phase == 2 ? 50 : 100;
        }
    }
    f.Convert();
    EXPECT_EQ(f.image.bayerGainGreen, 100);
    EXPECT_EQ(f.image.bayerGainRed, 200);
    EXPECT_EQ(f.image.bayerGainBlue, 400);  // 500 limited
    EXPECT_EQ(f.image.autoWhiteBalance, 1);  // runs on every frame while set
}

TEST(FrameConverter, HueAndSaturationOnlyTouchColourOutput) {
    Fixture f(2, 16, 16);
    std::memset(f.Raw().Pixels(), 70, f.Raw().SizeBytes());
    f.image.hue = 90;
    f.Convert();
    // Grey stays grey under a hue rotation.
    EXPECT_EQ(f.Output().Row(8)[8 * 3], 70);
    EXPECT_EQ(f.Output().Row(8)[8 * 3 + 2], 70);
}

TEST(FrameConverter, MaskAndDotFiltersRunUnderTheMaskLock) {
    Fixture f(0, 1280, 1024);
    FillRamp8(f.Raw());
    f.context.maskFilter = true;
    f.Convert();
    EXPECT_EQ(f.Raw().Row(0)[0], 0);
    EXPECT_EQ(f.Raw().Row(1)[200], 201);  // border
    EXPECT_EQ(f.Raw().Row(2)[200], std::min(255, 202 * 256 / 255));

    Fixture d(1, 64, 64);
    auto view = ViewOf<std::uint16_t>(d.Raw());
    std::fill_n(view.samples, view.Count(), 1000);
    view.At(30, 30) = 4000;
    d.context.dotFilter = true;
    d.Convert();
    EXPECT_EQ(view.At(30, 30), 1000);
}

// The output records the significant bits of its samples: 12 as the camera
// sends them, 16 after the flat field; the grey correction is limited to
// that range, so a flat-fielded frame is not cut at 4095.
TEST(FrameConverter, SixteenBitOutputRecordsItsSignificantBits) {
    struct Case {
        int colorMode;
        bool maskFilter;
        int bits;
        int corrected;  // sample (0,1) of a uniform 3000 after gain 130 there
    };
    for (const Case& c : {Case{1, false, 12, 3000 * 130 / 128}, Case{1, true, 16, 48000 * 130 / 128},
                          Case{4, false, 12, -1}, Case{4, true, 16, -1}}) {
        Fixture f(c.colorMode, 64, 64);  // a window off the full size: no border
        auto view = ViewOf<std::uint16_t>(f.Raw());
        std::fill_n(view.samples, view.Count(), 3000);
        f.context.maskFilter = c.maskFilter;
        f.image.greyMode = 1;
        f.image.bayerMode = 0;
        std::fill(std::begin(f.image.greyOffset), std::end(f.image.greyOffset), 0);
        f.image.greyGain[0] = 130;  // position (0,1)
        f.Convert();
        EXPECT_EQ(f.Output().SignificantBits(), c.bits) << c.colorMode << " " << c.maskFilter;
        if (c.corrected >= 0) {
            EXPECT_EQ(view.At(0, 1), c.corrected) << c.maskFilter;
        }
    }
}

TEST(FrameConverter, SoftwareMirrorWithoutACore) {
    Fixture f(0, 8, 6);
    FillRamp8(f.Raw());
    f.camera.mirrorH = 1;
    f.camera.mirrorV = 1;
    f.Convert();
    EXPECT_EQ(f.Raw().Row(0)[0], 7 + 5);
    EXPECT_EQ(f.Raw().Row(5)[7], 0);
}

TEST(FrameConverter, MissingBuffersOnlySkipTheirSteps) {
    Fixture f(2, 16, 16);
    f.rgb24.Release();
    std::memset(f.Raw().Pixels(), 10, f.Raw().SizeBytes());
    f.image.sharpness = 5;
    f.Convert();  // no output image: nothing to do, nothing fails
    Fixture g(0, 16, 16);
    g.scratch.Release();
    std::memset(g.Raw().Pixels(), 10, g.Raw().SizeBytes());
    g.image.sharpness = 5;
    g.Convert();
    EXPECT_EQ(g.Raw().Row(8)[8], 10);
    Fixture h(0, 16, 16);
    h.context.imageParams = nullptr;
    h.Convert();
}

}  // namespace
}  // namespace nodrix::pipeline
