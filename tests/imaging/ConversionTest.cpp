#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "imaging/CDibImage.h"
#include "imaging/ConversionKernels.h"
#include "imaging/SimdDispatch.h"
#include "tests/imaging/ImageFixtures.h"

using namespace nodrix::imaging;
using namespace nodrix::imaging::test;

TEST(GreyGainOffset, NeutralLeavesSamplesAndOffsetsClamp) {
    std::mt19937 rng(3);
    CDibImage img, copy;
    ASSERT_EQ(img.Allocate(33, 9, 8), 1);
    FillRandom(img, rng, 255);
    ASSERT_EQ(copy.CopyFrom(img), 1);
    ASSERT_EQ(copy.Apply(ReduceColorForDisplay, img, nullptr, 0, 0, nullptr),
              0);  // wrong bpp is fine
    for (int r = 0; r < 9; ++r)
        for (int i = 0; i < img.Stride(); ++i) copy.Row(r)[i] = img.Row(r)[i];
    GreyGainOffsetParams p;
    ASSERT_EQ(img.Apply(GreyGainOffset8, img, nullptr, 0, 0, &p), 1);
    EXPECT_TRUE(SamePixels(img, copy));

    for (int i = 0; i < 4; ++i) p.offsets[i] = -255;
    ASSERT_EQ(img.Apply(GreyGainOffset8, img, nullptr, 0, 0, &p), 1);
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 33; ++c) ASSERT_EQ(img.Row(r)[c], 0);
}

TEST(GreyGainOffset, GainsFollowTheBayerPositions) {
    CDibImage img;
    ASSERT_EQ(img.Allocate(4, 4, 8), 1);
    FillBytes(img, 100);
    GreyGainOffsetParams p;
    p.bayerMode = 0;
    // Positions (0,1), (0,0), (1,1), (1,0).
    p.gains[0] = 256;
    p.gains[1] = 64;
    p.gains[2] = 128;
    p.gains[3] = 255;
    p.offsets[2] = 5;
    ASSERT_EQ(img.Apply(GreyGainOffset8, img, nullptr, 0, 0, &p), 1);
    EXPECT_EQ(img.Row(0)[0], 50);   // (0,0)
    EXPECT_EQ(img.Row(0)[1], 200);  // (0,1)
    EXPECT_EQ(img.Row(1)[0], 199);  // (1,0): 255 * 100 / 128
    EXPECT_EQ(img.Row(1)[1], 105);  // (1,1)
    EXPECT_EQ(img.Row(2)[3], 200);
    FillBytes(img, 200);
    p.bayerMode = 3;  // top-left is (1,1)
    ASSERT_EQ(img.Apply(GreyGainOffset8, img, nullptr, 0, 0, &p), 1);
    EXPECT_EQ(img.Row(0)[0], 205);
    EXPECT_EQ(img.Row(0)[1], 255);  // (1,0) clamped
    EXPECT_EQ(img.Row(1)[0], 255);  // (0,1) clamped
    EXPECT_EQ(img.Row(1)[1], 100);  // (0,0)
}

TEST(GreyGainOffset, SixteenBitLimitedByDepth) {
    CDibImage img;
    ASSERT_EQ(img.Allocate(6, 4, 16), 1);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 6; ++c) SetSample16(img, r, c, 3000 + 1000 * (c % 3));
    GreyGainOffsetParams p;
    for (int& g : p.gains) g = 200;
    p.depth = 12;
    ASSERT_EQ(img.Apply(GreyGainOffset16, img, nullptr, 0, 0, &p), 1);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 6; ++c) ASSERT_EQ(Sample16(img, r, c), 4095);
    p.depth = 16;
    for (int& g : p.gains) g = 128;
    p.offsets[1] = 7;
    SetSample16(img, 0, 0, 65530);
    ASSERT_EQ(img.Apply(GreyGainOffset16, img, nullptr, 0, 0, &p), 1);
    EXPECT_EQ(Sample16(img, 0, 0), 65535);
    EXPECT_EQ(Sample16(img, 0, 1), 4095);
}

TEST(Statistics, MeanOfRect) {
    CDibImage img, wide;
    ASSERT_EQ(img.Allocate(10, 10, 8), 1);
    ASSERT_EQ(wide.Allocate(10, 10, 16), 1);
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 10; ++c) {
            img.Row(r)[c] = static_cast<std::uint8_t>(r * 10 + c);
            SetSample16(wide, r, c, 0x0ABC);
        }
    KernelRect rect{2, 3, 5, 5};  // rows 3-4, columns 2-4: mean of 32..34, 42..44
    EXPECT_EQ(img.Apply(MeanOfRect8, img, &rect, 0, 0, nullptr), 38);
    // 16-bit samples by their significant bits: the top eight, saturated.
    EXPECT_EQ(wide.Apply(MeanOfRect16, wide, &rect, 0, 0, nullptr), 0x0A);
    for (const auto& [bits, mean] :
         {std::pair{16, 0x0A}, std::pair{12, 0xAB}, std::pair{10, 255}}) {
        int significant = bits;
        EXPECT_EQ(wide.Apply(MeanOfRect16, wide, &rect, 0, 0, &significant), mean) << bits;
    }
    KernelRect empty{4, 4, 4, 8};
    EXPECT_EQ(MeanOfRect8(nullptr, img.Pixels(), empty, 0, 0, 1, 1, 12, 12, nullptr), 0);
    EXPECT_EQ(MeanOfRect16(nullptr, wide.Pixels(), empty, 0, 0, 2, 2, 20, 20, nullptr), 0);
}

TEST(Statistics, GreyBalanceAndWhiteBalance) {
    CDibImage img;
    ASSERT_EQ(img.Allocate(8, 8, 8), 1);
    // Mode 0: (0,0) = 100, (0,1) = 50, (1,0) = 200, (1,1) = 80.
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            static const int v[2][2] = {{100, 50}, {200, 80}};
            img.Row(r)[c] = static_cast<std::uint8_t>(v[r & 1][c & 1]);
        }
    GreyGainOffsetParams g;
    for (int& x : g.gains) x = 7;
    ASSERT_EQ(img.Apply(GreyBalanceStats8, img, nullptr, 0, 0, &g), 1);
    EXPECT_EQ(g.gains[0], 256);  // (0,1)
    EXPECT_EQ(g.gains[1], 128);  // (0,0)
    EXPECT_EQ(g.gains[2], 160);  // (1,1)
    EXPECT_EQ(g.gains[3], 64);   // (1,0)

    DemosaicParams w{0, 0, 0, 0};
    ASSERT_EQ(img.Apply(WhiteBalanceStats8, img, nullptr, 0, 0, &w), 1);
    // green mean 90: blue = 100 * 90 / 50, red = 100 * 90 / 200.
    EXPECT_EQ(w.greenGain, 100);
    EXPECT_NEAR(w.blueGain, 180, 1);
    EXPECT_NEAR(w.redGain, 45, 1);

    // A single pixel has no sample of most positions: gains stay.
    KernelRect one{0, 0, 1, 1};
    DemosaicParams keep{0, 11, 22, 33};
    ASSERT_EQ(img.Apply(WhiteBalanceStats8, img, &one, 0, 0, &keep), 1);
    EXPECT_EQ(keep.redGain, 11);
    EXPECT_EQ(keep.blueGain, 33);
    GreyGainOffsetParams keepGrey;
    for (int& x : keepGrey.gains) x = 9;
    ASSERT_EQ(img.Apply(GreyBalanceStats8, img, &one, 0, 0, &keepGrey), 1);
    EXPECT_EQ(keepGrey.gains[0], 9);
    EXPECT_EQ(keepGrey.gains[3], 9);

    CDibImage wide;
    ASSERT_EQ(wide.Allocate(8, 8, 16), 1);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) SetSample16(wide, r, c, 256 * img.Row(r)[c]);
    DemosaicParams w16{0, 0, 0, 0};
    ASSERT_EQ(wide.Apply(WhiteBalanceStats16, wide, nullptr, 0, 0, &w16), 1);
    EXPECT_EQ(w16.blueGain, w.blueGain);
    EXPECT_EQ(w16.redGain, w.redGain);
}

TEST(ColorToGrey, WhiteAndRed) {
    CDibImage rgb, grey;
    ASSERT_EQ(rgb.Allocate(3, 2, 32), 1);
    ASSERT_EQ(grey.Allocate(3, 2, 8), 1);
    auto set = [&](int r, int c, int b, int g, int red) {
        std::uint8_t* p = rgb.Row(r) + 4 * c;
        p[0] = static_cast<std::uint8_t>(b);
        p[1] = static_cast<std::uint8_t>(g);
        p[2] = static_cast<std::uint8_t>(red);
    };
    set(0, 0, 255, 255, 255);
    set(0, 1, 0, 0, 255);
    set(0, 2, 255, 0, 0);
    set(1, 0, 0, 255, 0);
    ASSERT_EQ(grey.Apply(ColorToGrey, rgb, nullptr, 0, 0, nullptr), 1);
    EXPECT_EQ(grey.Row(0)[0], 255);
    EXPECT_EQ(grey.Row(0)[1], 76);
    EXPECT_EQ(grey.Row(0)[2], 28);
    EXPECT_EQ(grey.Row(1)[0], 150);
}

// Every green and red against the darkest and brightest blues, so every
// weighted sum near a multiple of 100 and the largest one (white) go through
// the vectorised rows; 257 pixels a row leave a tail on each.
TEST(ColorToGrey, EveryGreenAndRedFollowTheFormula) {
    const int blues[] = {0, 1, 254, 255};
    constexpr int kWidth = 257;
    constexpr int kPixels = 4 * 65536;
    constexpr int kHeight = (kPixels + kWidth - 1) / kWidth;
    auto colour = [&](int i, int k) {
        const int v = i % kPixels;
        return k == 0 ? blues[v >> 16] : k == 1 ? v & 0xFF : (v >> 8) & 0xFF;
    };
    for (int bits : {24, 32}) {
        CDibImage rgb, grey;
        ASSERT_EQ(rgb.Allocate(kWidth, kHeight, bits), 1);
        ASSERT_EQ(grey.Allocate(kWidth, kHeight, 8), 1);
        const int bpp = bits / 8;
        for (int r = 0; r < kHeight; ++r)
            for (int c = 0; c < kWidth; ++c)
                for (int k = 0; k < 3; ++k)
                    rgb.Row(r)[bpp * c + k] = static_cast<std::uint8_t>(colour(r * kWidth + c, k));
        ASSERT_EQ(grey.Apply(ColorToGrey, rgb, nullptr, 0, 0, nullptr), 1);
        for (int r = 0; r < kHeight; ++r)
            for (int c = 0; c < kWidth; ++c) {
                const int i = r * kWidth + c;
                ASSERT_EQ(grey.Row(r)[c],
                          (11 * colour(i, 0) + 59 * colour(i, 1) + 30 * colour(i, 2)) / 100)
                    << bits << " bits, pixel " << i;
            }
    }
}

// Samples 0x0ABC, 0x1234 and 0xFEDC reduced with 16, 12 and 10 significant
// bits: the top eight of them, never wrapped.
TEST(Reductions, DisplayAndRecording) {
    struct Case {
        int bits;
        std::uint8_t expected[3];
    };
    const Case cases[] = {
        {16, {0x0A, 0x12, 0xFE}}, {12, {0xAB, 0xFF, 0xFF}}, {10, {0xFF, 0xFF, 0xFF}}};
    const int samples[3] = {0x0ABC, 0x1234, 0xFEDC};
    CDibImage g16, g8, c64, c24;
    ASSERT_EQ(g16.Allocate(3, 2, 16), 1);
    ASSERT_EQ(g8.Allocate(3, 2, 8), 1);
    for (int c = 0; c < 3; ++c) SetSample16(g16, 0, c, samples[c]);
    for (const Case& k : cases) {
        int bits = k.bits;
        ASSERT_EQ(g8.Apply(ReduceGrey16ForDisplay, g16, nullptr, 0, 0, &bits), 1);
        for (int c = 0; c < 3; ++c) EXPECT_EQ(g8.Row(0)[c], k.expected[c]) << bits;
        ASSERT_EQ(g8.Apply(ReduceGrey16ForRecording, g16, nullptr, 0, 0, &bits), 1);
        for (int c = 0; c < 3; ++c) EXPECT_EQ(g8.Row(1)[c], k.expected[c]) << bits;  // reversed
        for (int pixelBits : {48, 64}) {
            ASSERT_EQ(c64.Allocate(2, 2, pixelBits), 1);
            ASSERT_EQ(c24.Allocate(2, 2, 24), 1);
            for (int i = 0; i < 3; ++i) SetSample16(c64, 0, 1, samples[i], i);
            ASSERT_EQ(c24.Apply(ReduceColor16ForDisplay, c64, nullptr, 0, 0, &bits), 1);
            for (int i = 0; i < 3; ++i) EXPECT_EQ(c24.Row(0)[3 + i], k.expected[i]) << bits;
            ASSERT_EQ(c24.Apply(ReduceColor16ForRecording, c64, nullptr, 0, 0, &bits), 1);
            for (int i = 0; i < 3; ++i) EXPECT_EQ(c24.Row(1)[3 + i], k.expected[i]) << bits;
        }
    }
    // No parameter: full 16-bit samples.
    ASSERT_EQ(g8.Apply(ReduceGrey16ForDisplay, g16, nullptr, 0, 0, nullptr), 1);
    EXPECT_EQ(g8.Row(0)[1], 0x12);
    CDibImage c32;
    ASSERT_EQ(c32.Allocate(2, 2, 32), 1);
    std::uint8_t* p = c32.Row(0) + 4;
    p[0] = 1;
    p[1] = 2;
    p[2] = 3;
    p[3] = 4;
    ASSERT_EQ(c24.Apply(ReduceColorForDisplay, c32, nullptr, 0, 0, nullptr), 1);
    EXPECT_EQ(c24.Row(0)[3], 1);
    EXPECT_EQ(c24.Row(0)[5], 3);
    ASSERT_EQ(c24.Apply(ReduceColorForRecording, c32, nullptr, 0, 0, nullptr), 1);
    EXPECT_EQ(c24.Row(1)[3], 1);
    EXPECT_EQ(c24.Row(1)[4], 2);
    EXPECT_EQ(c24.Row(1)[5], 3);
}

TEST(ExpandRows, MovesPackedRowsToTheStride) {
    for (int bits : {8, 16}) {
        CDibImage img;
        const int w = 5, h = 7, bpp = bits / 8;
        ASSERT_EQ(img.Allocate(w, h, bits), 1);
        ASSERT_NE(img.Stride(), w * bpp);
        // Packed rows: byte i of the frame has value i.
        for (int i = 0; i < w * h * bpp; ++i) img.Pixels()[i] = static_cast<std::uint8_t>(i);
        ASSERT_EQ(img.Apply(bits == 8 ? ExpandRows8 : ExpandRows16, img, nullptr, 0, 0, nullptr),
                  1);
        for (int r = 0; r < h; ++r)
            for (int i = 0; i < w * bpp; ++i) ASSERT_EQ(img.Row(r)[i], r * w * bpp + i);
    }
}

TEST(ScaleNearest, TurnsRowsOverAndPicksNearest) {
    CDibImage src, dst;
    ASSERT_EQ(src.Allocate(4, 4, 8), 1);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) src.Row(r)[c] = static_cast<std::uint8_t>(10 * r + c);
    ASSERT_EQ(dst.Allocate(8, 2, 8), 1);
    ASSERT_EQ(dst.ApplyScaled(ScaleNearest8, src, nullptr, nullptr), 1);
    // Destination row 0 takes source row u = 0, memory row 3; row 1 u = 2 ->
    // memory row 1. Columns: v = j / 2.
    for (int j = 0; j < 8; ++j) {
        EXPECT_EQ(dst.Row(0)[j], 30 + j / 2);
        EXPECT_EQ(dst.Row(1)[j], 10 + j / 2);
    }
    CDibImage src24, dst24;
    ASSERT_EQ(src24.Allocate(3, 3, 24), 1);
    src24.Row(2)[3] = 7;
    src24.Row(2)[4] = 8;
    src24.Row(2)[5] = 9;
    ASSERT_EQ(dst24.Allocate(3, 3, 24), 1);
    ASSERT_EQ(dst24.ApplyScaled(ScaleNearest24, src24, nullptr, nullptr), 1);
    EXPECT_EQ(dst24.Row(0)[3], 7);
    EXPECT_EQ(dst24.Row(0)[5], 9);
    EXPECT_EQ(dst24.Row(2)[3], 0);
}

// Every reduction on random images of sizes that run both the vectorised
// loops and their scalar tails, against the formulas pixel by pixel, with
// 16, 12 and 8 significant bits of the 16-bit samples.
TEST(Reductions, RandomImagesFollowTheFormulas) {
    std::mt19937 rng(77);
    std::uniform_int_distribution<int> size(1, 150);
    const int depths[] = {16, 12, 8};
    for (int iteration = 0; iteration < 25; ++iteration) {
        const int w = size(rng), h = size(rng) / 10 + 1;
        int bits = depths[iteration % 3];
        const int shift = bits - 8;
        CDibImage g16, c24, c32, c48, c64, out8, out24, out24b;
        ASSERT_EQ(g16.Allocate(w, h, 16), 1);
        ASSERT_EQ(c24.Allocate(w, h, 24), 1);
        ASSERT_EQ(c32.Allocate(w, h, 32), 1);
        ASSERT_EQ(c48.Allocate(w, h, 48), 1);
        ASSERT_EQ(c64.Allocate(w, h, 64), 1);
        ASSERT_EQ(out8.Allocate(w, h, 8), 1);
        ASSERT_EQ(out24.Allocate(w, h, 24), 1);
        for (CDibImage* img : {&c24, &c32, &c48, &c64}) FillRandom(*img, rng, 255);
        FillRandom(g16, rng, 65535);
        auto top = [shift](const CDibImage& img, int r, int c, int k) {
            return std::min(Sample16(img, r, c, k) >> shift, 255);
        };

        ASSERT_EQ(out8.Apply(ReduceGrey16ForDisplay, g16, nullptr, 0, 0, &bits), 1);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) ASSERT_EQ(out8.Row(r)[c], top(g16, r, c, 0));
        ASSERT_EQ(out8.Apply(ReduceGrey16ForRecording, g16, nullptr, 0, 0, &bits), 1);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) ASSERT_EQ(out8.Row(h - 1 - r)[c], top(g16, r, c, 0));
        for (const CDibImage* src : {&c24, &c32}) {
            const int bpp = src->BytesPerPixel();
            ASSERT_EQ(out8.Apply(ColorToGrey, *src, nullptr, 0, 0, nullptr), 1);
            ASSERT_EQ(out24.Apply(ReduceColorForDisplay, *src, nullptr, 0, 0, nullptr), 1);
            for (int r = 0; r < h; ++r)
                for (int c = 0; c < w; ++c) {
                    const std::uint8_t* p = src->Row(r) + bpp * c;
                    ASSERT_EQ(out8.Row(r)[c], (59 * p[1] + 30 * p[2] + 11 * p[0]) / 100);
                    for (int k = 0; k < 3; ++k) ASSERT_EQ(out24.Row(r)[3 * c + k], p[k]);
                }
            ASSERT_EQ(out24.Apply(ReduceColorForRecording, *src, nullptr, 0, 0, nullptr), 1);
            for (int r = 0; r < h; ++r)
                for (int c = 0; c < w; ++c)
                    for (int k = 0; k < 3; ++k)
                        ASSERT_EQ(out24.Row(h - 1 - r)[3 * c + k], src->Row(r)[bpp * c + k]);
        }
        for (const CDibImage* src : {&c48, &c64}) {
            ASSERT_EQ(out24.Apply(ReduceColor16ForDisplay, *src, nullptr, 0, 0, &bits), 1);
            for (int r = 0; r < h; ++r)
                for (int c = 0; c < w; ++c)
                    for (int k = 0; k < 3; ++k)
                        ASSERT_EQ(out24.Row(r)[3 * c + k], top(*src, r, c, k));
            ASSERT_EQ(out24.Apply(ReduceColor16ForRecording, *src, nullptr, 0, 0, &bits), 1);
            for (int r = 0; r < h; ++r)
                for (int c = 0; c < w; ++c)
                    for (int k = 0; k < 3; ++k)
                        ASSERT_EQ(out24.Row(h - 1 - r)[3 * c + k], top(*src, r, c, k));
        }
    }
}

// The grey correction on random images against the formula, with gains and
// offsets inside and outside the range of the vectorised loop.
TEST(GreyGainOffset, RandomImagesFollowTheFormula) {
    std::mt19937 rng(13);
    std::uniform_int_distribution<int> size(1, 120), gain(0, 256), offset(-300, 300), mode(0, 3);
    for (int iteration = 0; iteration < 40; ++iteration) {
        const bool wide = iteration % 2 == 1;
        const int w = size(rng), h = size(rng) / 20 + 1;
        CDibImage img, out;
        ASSERT_EQ(img.Allocate(w, h, wide ? 16 : 8), 1);
        FillRandom(img, rng, wide ? 65535 : 255);
        ASSERT_EQ(out.CopyFrom(img), 1);
        GreyGainOffsetParams p;
        p.bayerMode = mode(rng);
        for (int i = 0; i < 4; ++i) {
            p.gains[i] = iteration % 5 == 0 ? gain(rng) * 3 : gain(rng);
            p.offsets[i] = offset(rng);
        }
        p.depth = iteration % 3 == 0 ? 12 : 16;
        const int maxValue = wide ? (p.depth == 12 ? 4095 : 65535) : 255;
        ASSERT_EQ(out.Apply(wide ? GreyGainOffset16 : GreyGainOffset8, img, nullptr, 0, 0, &p), 1);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                const int i =
                    GreyPositionIndex((r + (p.bayerMode & 1)) & 1, (c + (p.bayerMode >> 1)) & 1);
                const long long s = wide ? Sample16(img, r, c) : img.Row(r)[c];
                const long long v = std::min<long long>(
                    maxValue, std::max<long long>(0, p.offsets[i] + p.gains[i] * s / 128));
                ASSERT_EQ(wide ? Sample16(out, r, c) : out.Row(r)[c], v)
                    << w << " " << r << "," << c;
            }
    }
}

// Means and balance statistics on random images against sums written out
// here, odd sizes and every Bayer mode.
TEST(Statistics, RandomImagesFollowTheSums) {
    std::mt19937 rng(31);
    std::uniform_int_distribution<int> size(2, 140), mode(0, 3);
    for (int iteration = 0; iteration < 30; ++iteration) {
        const bool wide = iteration % 2 == 1;
        const int w = size(rng), h = size(rng) / 10 + 2;
        CDibImage img;
        ASSERT_EQ(img.Allocate(w, h, wide ? 16 : 8), 1);
        FillRandom(img, rng, wide ? 65535 : 255);
        std::uint64_t total = 0, sum[2][2] = {}, count[2][2] = {};
        const int m = mode(rng);
        int bits = iteration % 4 == 1 ? 12 : 16;
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                const int v = wide ? Sample16(img, r, c) : img.Row(r)[c];
                total += wide ? std::min(v >> (bits - 8), 255) : v;
                sum[(r + (m & 1)) & 1][(c + (m >> 1)) & 1] += v;
                ++count[(r + (m & 1)) & 1][(c + (m >> 1)) & 1];
            }
        EXPECT_EQ(img.Apply(wide ? MeanOfRect16 : MeanOfRect8, img, nullptr, 0, 0, &bits),
                  static_cast<int>(total / (static_cast<std::uint64_t>(w) * h)));
        DemosaicParams p{m, 0, 0, 0};
        ASSERT_EQ(
            img.Apply(wide ? WhiteBalanceStats16 : WhiteBalanceStats8, img, nullptr, 0, 0, &p), 1);
        const double l = double(sum[0][0] + sum[1][1]) / double(count[0][0] + count[1][1]);
        const double blue = double(sum[0][1]) / double(count[0][1]);
        const double red = double(sum[1][0]) / double(count[1][0]);
        const double mm = l + blue + red;
        EXPECT_EQ(p.blueGain, static_cast<int>(mm / blue / 3 * 100 / (mm / l / 3)));
        EXPECT_EQ(p.redGain, static_cast<int>(mm / red / 3 * 100 / (mm / l / 3)));
        if (!wide) {
            GreyGainOffsetParams g;
            g.bayerMode = m;
            ASSERT_EQ(img.Apply(GreyBalanceStats8, img, nullptr, 0, 0, &g), 1);
            auto mean = [&](int a, int b) { return float(sum[a][b]) / float(count[a][b]); };
            EXPECT_EQ(g.gains[0], static_cast<int>(mean(0, 0) / mean(0, 1) * 128.0f));
            EXPECT_EQ(g.gains[3], static_cast<int>(mean(0, 0) / mean(1, 0) * 128.0f));
        }
    }
}

// Each grey byte three times: the vector loop of every level up to the
// active one on its own (nothing written past the pixels it reports), and
// the whole row with the scalar rest, for every remainder of the vector
// widths, from an unaligned start.
TEST(GreyRowToBgr, EveryLevelAndWidthGivesThreeEqualBytes) {
    constexpr int kMaxWidth = 67;
    std::vector<std::uint8_t> grey(kMaxWidth + 1);
    for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = static_cast<std::uint8_t>(i * 37 + 11);
    const std::uint8_t* src = grey.data() + 1;
    const ProcessorFeatures features = DetectProcessorFeatures();
    for (int level = 0; level <= static_cast<int>(ActiveSimdLevel()); ++level) {
        const rows::PixelsFn run =
            BuildKernelTable(static_cast<SimdLevel>(level), features).rows.greyToBgr;
        for (int width = 0; width <= kMaxWidth; ++width) {
            std::vector<std::uint8_t> out(3 * kMaxWidth + 3, 0xA5);
            const int done = run != nullptr ? run(src, out.data(), width) : 0;
            ASSERT_LE(done, width) << level;
            if (run != nullptr) {
                ASSERT_LT(width - done, 64) << level;  // the loop does its part
            }
            if (level == static_cast<int>(ActiveSimdLevel())) GreyRowToBgr(src, out.data(), width);
            const int filled = level == static_cast<int>(ActiveSimdLevel()) ? width : done;
            for (int i = 0; i < static_cast<int>(out.size()); ++i)
                ASSERT_EQ(out[i], i < 3 * filled ? src[i / 3] : 0xA5)
                    << "level " << level << " width " << width << " byte " << i;
        }
    }
}
