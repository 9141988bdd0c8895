#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "imaging/CDibImage.h"
#include "imaging/ProcessorFeatures.h"
#include "imaging/RowKernels.h"
#include "imaging/ToneKernels.h"
#include "tests/imaging/ImageFixtures.h"

using namespace nodrix::imaging;
using namespace nodrix::imaging::test;

namespace {

// Runs a kernel in place on a one-row image holding the given 8-bit values.
std::vector<int> Through8(PixelKernel k, int value, std::vector<int> in) {
    CDibImage img;
    img.Allocate(static_cast<int>(in.size()), 1, 8);
    for (std::size_t i = 0; i < in.size(); ++i) img.Row(0)[i] = static_cast<std::uint8_t>(in[i]);
    EXPECT_EQ(img.Apply(k, img, nullptr, 0, 0, &value), 1);
    std::vector<int> out(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) out[i] = img.Row(0)[i];
    return out;
}

}  // namespace

TEST(ToneCurves, GammaFiftySquares) {
    EXPECT_EQ(Through8(Gamma8, 50, {0, 128, 255}), (std::vector<int>{0, 64, 255}));
    // Gamma 0: every entry but the last is 0.
    EXPECT_EQ(Through8(Gamma8, 0, {0, 1, 254, 255}), (std::vector<int>{0, 0, 0, 255}));
    const std::uint16_t* t = GammaTable16(50);
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ(t[65535], 65535);
    EXPECT_EQ(t[32768], static_cast<int>(std::pow(32768 / 65535.0, 2.0) * 65535.0));
}

TEST(ToneCurves, ContrastSixtyFourStretches) {
    EXPECT_EQ(Through8(Contrast8, 64, {0, 63, 64, 128, 191, 192, 255}),
              (std::vector<int>{0, 0, 0, 128, 254, 255, 255}));
    // -127 flattens 0..255 into 63..191.
    EXPECT_EQ(Through8(Contrast8, -127, {0, 255}), (std::vector<int>{63, 191}));
    const std::uint16_t* t = ContrastTable16(64);
    EXPECT_EQ(t[64 * 256 - 1], 0);
    EXPECT_EQ(t[65535 - 64 * 256 + 1], 65535);
    EXPECT_EQ(t[32768], 32768);
}

TEST(ToneCurves, BrightnessIsAGain) {
    EXPECT_EQ(Through8(Brightness8, 51, {0, 50, 100, 255}), (std::vector<int>{0, 150, 255, 255}));
    EXPECT_EQ(Through8(Brightness8, -255, {0, 100, 255}), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(Through8(Brightness8, 255, {10, 23, 24}), (std::vector<int>{110, 253, 255}));
    EXPECT_EQ(BrightnessTable16(255)[5000], 55000);
    EXPECT_EQ(BrightnessTable16(255)[6000], 65535);
}

TEST(ToneCurves, TablesFollowTheValue) {
    // Cached tables must change with the value and come back the same.
    const std::uint8_t a = GammaTable8(50)[128];
    EXPECT_EQ(GammaTable8(200)[128], static_cast<int>(std::pow(128 / 255.0, 0.5) * 255.0));
    EXPECT_EQ(GammaTable8(50)[128], a);
    EXPECT_EQ(ContrastTable16(10)[40000], ContrastTable16(10)[40000]);
}

TEST(ToneCurves, ColourAndSixteenBitVariantsTreatSamplesAlike) {
    std::mt19937 rng(11);
    CDibImage c32, c64, g16;
    ASSERT_EQ(c32.Allocate(37, 3, 32), 1);
    ASSERT_EQ(c64.Allocate(37, 3, 64), 1);
    ASSERT_EQ(g16.Allocate(37, 3, 16), 1);
    FillRandom(c32, rng, 255);
    FillRandom(c64, rng, 255);
    FillRandom(g16, rng, 65535);
    CDibImage o32, o64, o16;
    o32.CopyFrom(c32);
    o64.CopyFrom(c64);
    o16.CopyFrom(g16);
    int value = 40;
    ASSERT_EQ(o32.Apply(ContrastColor8, c32, nullptr, 0, 0, &value), 1);
    ASSERT_EQ(o64.Apply(GammaColor16, c64, nullptr, 0, 0, &value), 1);
    ASSERT_EQ(o16.Apply(Brightness16, g16, nullptr, 0, 0, &value), 1);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 37; ++c) {
            for (int k = 0; k < 3; ++k) {
                ASSERT_EQ(o32.Row(r)[4 * c + k], ContrastTable8(40)[c32.Row(r)[4 * c + k]]);
                ASSERT_EQ(Sample16(o64, r, c, k), GammaTable16(40)[Sample16(c64, r, c, k)]);
            }
            ASSERT_EQ(o32.Row(r)[4 * c + 3], 0);  // fourth byte untouched
            ASSERT_EQ(Sample16(o64, r, c, 3), 0);
            ASSERT_EQ(Sample16(o16, r, c), BrightnessTable16(40)[Sample16(g16, r, c)]);
        }
}

TEST(Sharpness, UniformAndTinyImagesStay) {
    for (int bits : {8, 16, 24, 48}) {
        CDibImage img, scratch;
        ASSERT_EQ(img.Allocate(9, 8, bits), 1);
        FillBytes(img, 0x77);
        ASSERT_EQ(scratch.CopyFrom(img), 1);
        FillBytes(scratch, 0x77);
        PixelKernel k = bits == 8    ? Sharpness8
                        : bits == 16 ? Sharpness16
                        : bits == 24 ? SharpnessColor8
                                     : SharpnessColor16;
        int strength = 30;
        ASSERT_EQ(img.Apply(k, scratch, nullptr, 0, 0, &strength), 1);
        EXPECT_TRUE(SamePixels(img, scratch));
    }
    std::mt19937 rng(5);
    CDibImage tiny, copy;
    ASSERT_EQ(tiny.Allocate(4, 4, 8), 1);
    FillRandom(tiny, rng, 255);
    ASSERT_EQ(copy.CopyFrom(tiny), 1);
    for (int r = 0; r < 4; ++r)
        for (int i = 0; i < 4; ++i) copy.Row(r)[i] = tiny.Row(r)[i];
    int strength = 20;
    ASSERT_EQ(tiny.Apply(Sharpness8, copy, nullptr, 0, 0, &strength), 1);
    EXPECT_TRUE(SamePixels(tiny, copy));
    // In place it would read its own results: refused.
    EXPECT_EQ(tiny.Apply(Sharpness8, tiny, nullptr, 0, 0, &strength), 0);
}

TEST(Sharpness, MatchesTheBoxFormula) {
    std::mt19937 rng(8);
    for (int bits : {8, 16, 24, 32, 48, 64}) {
        for (int strength : {17, 30, 1}) {
            const int w = 45, h = 9;
            CDibImage src, dst;
            ASSERT_EQ(src.Allocate(w, h, bits), 1);
            const bool wide = bits == 16 || bits == 48 || bits == 64;
            FillRandom(src, rng, wide ? 65535 : 255);
            ASSERT_EQ(dst.CopyFrom(src), 1);
            FillBytes(dst, 0x11);
            const int samples = bits <= 16 ? 1 : 3;
            PixelKernel k = bits == 8    ? Sharpness8
                            : bits == 16 ? Sharpness16
                            : bits <= 32 ? SharpnessColor8
                                         : SharpnessColor16;
            ASSERT_EQ(dst.Apply(k, src, nullptr, 0, 0, &strength), 1);
            const int maxValue = wide ? 65535 : 255;
            auto at = [&](const CDibImage& img, int r, int c, int s) {
                return wide ? Sample16(img, r, c, s) : img.Row(r)[c * img.BytesPerPixel() + s];
            };
            for (int r = 0; r < h; ++r)
                for (int c = 0; c < w; ++c)
                    for (int s = 0; s < samples; ++s) {
                        int expected;
                        if (r < 2 || c < 2 || r > h - 3 || c > w - 3) {
                            expected = wide ? 0x1111 : 0x11;
                        } else {
                            int sum = 0;
                            for (int y = r - 2; y <= r + 1; ++y)
                                for (int x = c - 2; x <= c + 1; ++x) sum += at(src, y, x, s);
                            const int v = at(src, r, c, s);
                            const int d = v - (sum >> 4);
                            expected = std::min(maxValue, std::max(0, v + strength * d / 10));
                        }
                        ASSERT_EQ(at(dst, r, c, s), expected)
                            << bits << " " << strength << " " << r << "," << c;
                    }
            // The fourth sample of 32 and 64-bit pixels is never written.
            if (bits == 32 || bits == 64) {
                for (int r = 0; r < h; ++r)
                    for (int c = 0; c < w; ++c)
                        ASSERT_EQ(at(dst, r, c, 3), wide ? 0x1111 : 0x11) << bits;
            }
        }
    }
}

TEST(HueSaturation, RotationOfNinetyDegrees) {
    int sector = -1, offset = -1;
    HueRotation(90, sector, offset);
    EXPECT_EQ(sector * 255 + offset, 382);
    EXPECT_EQ(sector, 1);
    EXPECT_EQ(offset, 127);
    HueRotation(-90, sector, offset);
    EXPECT_EQ(sector * 255 + offset, 1148);
    EXPECT_EQ(sector, 4);
    EXPECT_EQ(offset, 128);
    HueRotation(360, sector, offset);
    EXPECT_EQ(sector * 255 + offset, 0);
}

TEST(HueSaturation, GreyStaysGrey) {
    for (int bits : {24, 32, 48, 64}) {
        CDibImage img;
        ASSERT_EQ(img.Allocate(256, 1, bits), 1);
        const int bpp = bits / 8;
        for (int v = 0; v < 256; ++v)
            for (int k = 0; k < 3; ++k) {
                if (bits >= 48)
                    SetSample16(img, 0, v, v << 8 | 0x5A, k);
                else
                    img.Row(0)[bpp * v + k] = static_cast<std::uint8_t>(v);
            }
        HueSaturationParams p{0, 0, 0, bits >= 48 ? 16 : 8};
        ASSERT_EQ(img.Apply(bits >= 48 ? HueSaturationColor16 : HueSaturationColor8, img, nullptr,
                            0, 0, &p),
                  1);
        for (int v = 0; v < 256; ++v)
            for (int k = 0; k < 3; ++k) {
                if (bits >= 48)
                    ASSERT_EQ(Sample16(img, 0, v, k), v << 8);  // low byte cleared
                else
                    ASSERT_EQ(img.Row(0)[bpp * v + k], v);
            }
    }
}

TEST(HueSaturation, RotatesAndDesaturates) {
    CDibImage img;
    ASSERT_EQ(img.Allocate(1, 1, 24), 1);
    auto run = [&](int b, int g, int r, HueSaturationParams p) {
        img.Row(0)[0] = static_cast<std::uint8_t>(b);
        img.Row(0)[1] = static_cast<std::uint8_t>(g);
        img.Row(0)[2] = static_cast<std::uint8_t>(r);
        EXPECT_EQ(img.Apply(HueSaturationColor8, img, nullptr, 0, 0, &p), 1);
        return std::vector<int>{img.Row(0)[0], img.Row(0)[1], img.Row(0)[2]};
    };
    // Pure red turned by 120 degrees becomes (nearly) pure green.
    const std::vector<int> green = run(0, 0, 255, {120, 0, 0, 8});
    EXPECT_LE(green[0], 2);
    EXPECT_GE(green[1], 253);
    EXPECT_LE(green[2], 2);
    // Saturation -255 leaves almost no chroma.
    const std::vector<int> flat = run(40, 90, 200, {0, 0, -255, 8});
    EXPECT_LE(std::max({flat[0], flat[1], flat[2]}) - std::min({flat[0], flat[1], flat[2]}), 2);
    // Hue 0, saturation 0 keeps a colour.
    const std::vector<int> same = run(40, 90, 200, {0, 0, 0, 8});
    EXPECT_NEAR(same[0], 40, 1);
    EXPECT_NEAR(same[1], 90, 1);
    EXPECT_NEAR(same[2], 200, 1);
}

// The vectorised brightness against its table, every value, both widths.
TEST(ToneCurves, BrightnessRunsMatchTheTable) {
    std::mt19937 rng(21);
    CDibImage g8, g16, c24, c48;
    ASSERT_EQ(g8.Allocate(101, 3, 8), 1);
    ASSERT_EQ(g16.Allocate(67, 3, 16), 1);
    ASSERT_EQ(c24.Allocate(45, 3, 24), 1);
    ASSERT_EQ(c48.Allocate(39, 3, 48), 1);
    for (int value = -255; value <= 255; value += 3) {
        for (CDibImage* img : {&g8, &g16, &c24, &c48}) {
            const bool wide = img->Bits() == 16 || img->Bits() == 48;
            FillRandom(*img, rng, wide ? 65535 : 255);
            CDibImage out;
            ASSERT_EQ(out.CopyFrom(*img), 1);
            PixelKernel k = img->Bits() == 8    ? Brightness8
                            : img->Bits() == 16 ? Brightness16
                            : img->Bits() == 24 ? BrightnessColor8
                                                : BrightnessColor16;
            ASSERT_EQ(out.Apply(k, *img, nullptr, 0, 0, &value), 1);
            const int samples = img->Width() * (img->Bits() >= 24 ? 3 : 1);
            for (int r = 0; r < img->Height(); ++r)
                for (int i = 0; i < samples; ++i) {
                    if (wide) {
                        const int in = img->Row(r)[2 * i] | (img->Row(r)[2 * i + 1] << 8);
                        const int got = out.Row(r)[2 * i] | (out.Row(r)[2 * i + 1] << 8);
                        ASSERT_EQ(got, BrightnessTable16(value)[in]) << value;
                    } else {
                        ASSERT_EQ(out.Row(r)[i], BrightnessTable8(value)[img->Row(r)[i]]) << value;
                    }
                }
        }
    }
}

// Every 16-bit sample value through the vectorised runs of brightness,
// contrast and gamma (which may compute a curve rather than look it up),
// as grey samples and as 64-bit pixels changed in place, whose fourth
// sample must survive; odd widths leave a scalar tail on every row.
TEST(ToneCurves, SixteenBitRunsMatchTheirTables) {
    std::mt19937 rng(5);
    CDibImage grey, colour;
    ASSERT_EQ(grey.Allocate(257, 256, 16), 1);
    ASSERT_EQ(colour.Allocate(129, 170, 64), 1);
    struct Curve {
        PixelKernel grey, colour;
        const std::uint16_t* (*table)(int);
        std::vector<int> values;
    };
    std::vector<int> all;
    for (int v = -127; v <= 127; ++v) all.push_back(v);
    const Curve curves[] = {
        {Contrast16, ContrastColor16, ContrastTable16, all},
        {Brightness16, BrightnessColor16, BrightnessTable16, {-255, -100, -1, 1, 37, 128, 255}},
        {Gamma16, GammaColor16, GammaTable16, {0, 1, 37, 70, 99, 101, 150, 200}}};
    for (const Curve& curve : curves) {
        for (int value : curve.values) {
            int i = 0;
            for (int r = 0; r < grey.Height(); ++r)
                for (int c = 0; c < grey.Width(); ++c) SetSample16(grey, r, c, (i++) & 0xFFFF);
            std::vector<int> fourth;
            i = 0;
            for (int r = 0; r < colour.Height(); ++r)
                for (int c = 0; c < colour.Width(); ++c) {
                    for (int k = 0; k < 3; ++k) SetSample16(colour, r, c, (i++) & 0xFFFF, k);
                    fourth.push_back(static_cast<int>(rng() & 0xFFFF));
                    SetSample16(colour, r, c, fourth.back(), 3);
                }
            ASSERT_EQ(grey.Apply(curve.grey, grey, nullptr, 0, 0, &value), 1);
            ASSERT_EQ(colour.Apply(curve.colour, colour, nullptr, 0, 0, &value), 1);
            const std::uint16_t* t = curve.table(value);
            i = 0;
            for (int r = 0; r < grey.Height(); ++r)
                for (int c = 0; c < grey.Width(); ++c)
                    ASSERT_EQ(Sample16(grey, r, c), t[(i++) & 0xFFFF]) << value << " at " << i;
            i = 0;
            for (int r = 0; r < colour.Height(); ++r)
                for (int c = 0; c < colour.Width(); ++c) {
                    for (int k = 0; k < 3; ++k)
                        ASSERT_EQ(Sample16(colour, r, c, k), t[(i++) & 0xFFFF]) << value;
                    ASSERT_EQ(Sample16(colour, r, c, 3),
                              fourth[static_cast<std::size_t>(r * colour.Width() + c)]);
                }
        }
    }
}

// From the AVX2 level on, every contrast line whose products fit the 32-bit
// lanes is computed in single precision (one float slope, or two fused);
// none is left to the slower double-precision product.
TEST(ToneCurves, ContrastLinesStayInSinglePrecision) {
    if (ActiveSimdLevel() < SimdLevel::Avx2) GTEST_SKIP() << "no single-precision runs";
    const rows::RowSet& vector = rows::ActiveRows();
    for (int value = -127; value <= 127; ++value) {
        if (value * 256 >= 32513) continue;
        const ComputedCurve16* line = ContrastLine16(value);
        ASSERT_NE(line, nullptr) << value;
        EXPECT_TRUE(line->run == vector.scale16 || line->run == vector.split16) << value;
    }
}

// The vectorised rows against the per-pixel kernel on random colours and
// parameters. A source whose pixel size differs from the destination's
// takes the per-pixel path, so 32 -> 24 and 64 -> 48 bits give the
// reference for the in-place runs of every format; the fourth byte or
// sample of 32/64-bit pixels must survive.
TEST(HueSaturation, VectorRowsMatchThePixelFormula) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> size(1, 150), hue(-360, 360), level(-255, 255);
    for (int iteration = 0; iteration < 40; ++iteration) {
        const int w = size(rng), h = size(rng) % 4 + 1;
        CDibImage c24, c32, c48, c64, ref24, ref48;
        for (auto [img, bits] : {std::pair{&c24, 24}, {&c32, 32}, {&c48, 48}, {&c64, 64},
                                 {&ref24, 24}, {&ref48, 48}})
            ASSERT_EQ(img->Allocate(w, h, bits), 1);
        FillRandom(c32, rng, 255);
        FillRandom(c64, rng, 255);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c)
                for (int k = 0; k < 3; ++k) {
                    const int v = c32.Row(r)[4 * c + k];
                    c24.Row(r)[3 * c + k] = static_cast<std::uint8_t>(v);
                    SetSample16(c48, r, c, Sample16(c64, r, c, k), k);
                }
        std::vector<int> fourth32, fourth64;
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                fourth32.push_back(c32.Row(r)[4 * c + 3]);
                fourth64.push_back(Sample16(c64, r, c, 3));
            }

        HueSaturationParams p{hue(rng), iteration % 3 == 0 ? level(rng) : 0, level(rng), 8};
        ASSERT_EQ(ref24.Apply(HueSaturationColor8, c32, nullptr, 0, 0, &p), 1);
        ASSERT_EQ(c24.Apply(HueSaturationColor8, c24, nullptr, 0, 0, &p), 1);
        ASSERT_EQ(c32.Apply(HueSaturationColor8, c32, nullptr, 0, 0, &p), 1);
        p.sampleBits = 16;
        ASSERT_EQ(ref48.Apply(HueSaturationColor16, c64, nullptr, 0, 0, &p), 1);
        ASSERT_EQ(c48.Apply(HueSaturationColor16, c48, nullptr, 0, 0, &p), 1);
        ASSERT_EQ(c64.Apply(HueSaturationColor16, c64, nullptr, 0, 0, &p), 1);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                for (int k = 0; k < 3; ++k) {
                    const int expected = ref24.Row(r)[3 * c + k];
                    ASSERT_EQ(c24.Row(r)[3 * c + k], expected) << w << "x" << h << " at " << c;
                    ASSERT_EQ(c32.Row(r)[4 * c + k], expected) << w << "x" << h << " at " << c;
                    ASSERT_EQ(Sample16(c48, r, c, k), Sample16(ref48, r, c, k)) << c;
                    ASSERT_EQ(Sample16(c64, r, c, k), Sample16(ref48, r, c, k)) << c;
                }
                ASSERT_EQ(c32.Row(r)[4 * c + 3], fourth32[static_cast<std::size_t>(r * w + c)]);
                ASSERT_EQ(Sample16(c64, r, c, 3), fourth64[static_cast<std::size_t>(r * w + c)]);
            }
    }
}
