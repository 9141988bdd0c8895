#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "imaging/CDibImage.h"
#include "imaging/ConversionKernels.h"
#include "imaging/DemosaicSpans.h"
#include "imaging/ProcessorFeatures.h"
#include "tests/imaging/ImageFixtures.h"

using namespace nodrix::imaging;
using namespace nodrix::imaging::test;

namespace {

// The demosaic taps written out from the formula: per phase (row parity,
// column parity), the blue and red samples (dy, dx, weight) and the two
// green samples.
struct Tap {
    int dy, dx, weight;
};
struct PhaseTaps {
    Tap blue[4];
    Tap red[4];
    Tap green[2];
};
const PhaseTaps kTaps[2][2] = {{{{{0, -1, 9}, {0, 1, 3}, {-2, -1, 3}, {-2, 1, 1}},
                                 {{-1, 0, 9}, {-1, -2, 3}, {1, 0, 3}, {1, -2, 1}},
                                 {{-1, -1, 1}, {0, 0, 1}}},
                                {{{0, 0, 9}, {0, -2, 3}, {-2, 0, 3}, {-2, -2, 1}},
                                 {{-1, -1, 9}, {-1, 1, 3}, {1, -1, 3}, {1, 1, 1}},
                                 {{0, -1, 1}, {-1, 0, 1}}}},
                               {{{{-1, -1, 9}, {-1, 1, 3}, {1, -1, 3}, {1, 1, 1}},
                                 {{0, 0, 9}, {0, -2, 3}, {-2, 0, 3}, {-2, -2, 1}},
                                 {{0, -1, 1}, {-1, 0, 1}}},
                                {{{-1, 0, 9}, {-1, -2, 3}, {1, 0, 3}, {1, -2, 1}},
                                 {{0, -1, 9}, {0, 1, 3}, {-2, -1, 3}, {-2, 1, 1}},
                                 {{-1, -1, 1}, {0, 0, 1}}}}};

// One pixel of the reference demosaic; neighbours outside the image come
// from four positions further in.
struct Expected {
    int blue, green, red;
};
Expected ReferencePixel(const CDibImage& raw, int r, int c, const DemosaicParams& p, bool wide,
                        bool vectorFormula) {
    auto sample = [&](int rr, int cc) {
        if (rr < 0) rr += 4;
        if (rr >= raw.Height()) rr -= 4;
        if (cc < 0) cc += 4;
        if (cc >= raw.Width()) cc -= 4;
        return wide ? Sample16(raw, rr, cc) : raw.Row(rr)[cc];
    };
    const int rp = (r + (p.bayerMode & 1)) & 1;
    const int cp = (c + (p.bayerMode >> 1)) & 1;
    const PhaseTaps& t = kTaps[rp][cp];
    long long blue = 0, red = 0;
    for (const Tap& k : t.blue) blue += k.weight * sample(r + k.dy, c + k.dx);
    for (const Tap& k : t.red) red += k.weight * sample(r + k.dy, c + k.dx);
    const int green = (sample(r + t.green[0].dy, c + t.green[0].dx) +
                       sample(r + t.green[1].dy, c + t.green[1].dx)) /
                      2;
    const long long gb = static_cast<long long>(p.blueGain * 1.28);
    const long long gr = static_cast<long long>(p.redGain * 1.28);
    auto scale = [&](long long g, long long sum) -> int {
        if (wide) return g * sum < 0x8000000 ? static_cast<int>(g * sum >> 11) : 65535;
        if (vectorFormula) return std::min<long long>(255, ((sum >> 4) * g) >> 7);
        return g * sum < 0x80000 ? static_cast<int>(g * sum >> 11) : 255;
    };
    return Expected{scale(gb, blue), green, scale(gr, red)};
}

Expected OutputPixel(const CDibImage& out, int r, int c, bool wide) {
    if (wide)
        return Expected{Sample16(out, r, c, 0), Sample16(out, r, c, 1), Sample16(out, r, c, 2)};
    const std::uint8_t* p = out.Row(r) + c * out.BytesPerPixel();
    return Expected{p[0], p[1], p[2]};
}

bool IsBorder(const CDibImage& img, int r, int c) {
    return r < 2 || c < 2 || r >= img.Height() - 2 || c >= img.Width() - 2;
}

// The variants this processor can run, with their names.
struct Variant {
    const char* name;
    demosaic::SpanFn fn;
    SimdLevel needs;
};
std::vector<Variant> Variants(std::initializer_list<Variant> all) {
    std::vector<Variant> v;
    for (const Variant& x : all)
        if (DetectSimdLevel() >= x.needs) v.push_back(x);
    return v;
}

int RunKernel(PixelKernel k, CDibImage& dst, const CDibImage& src, DemosaicParams& p) {
    return dst.Apply(k, src, nullptr, 0, 0, &p);
}

}  // namespace

TEST(Demosaic, UniformGreyGivesGreyAndRedGainDoubles) {
    for (int v : {0, 1, 60, 127, 128, 200, 255}) {
        CDibImage raw, out;
        ASSERT_EQ(raw.Allocate(64, 12, 8), 1);
        ASSERT_EQ(out.Allocate(64, 12, 24), 1);
        FillBytes(raw, static_cast<std::uint8_t>(v));
        for (PixelKernel k : {DemosaicInterior8, DemosaicInterior8Vector}) {
            DemosaicParams p{0, 100, 100, 100};
            ASSERT_EQ(RunKernel(k, out, raw, p), 1);
            ASSERT_EQ(RunKernel(DemosaicBorder8, out, raw, p), 1);
            for (int r = 0; r < 12; ++r)
                for (int c = 0; c < 64; ++c) {
                    const std::uint8_t* px = out.Row(r) + 3 * c;
                    ASSERT_EQ(px[0], v);
                    ASSERT_EQ(px[1], v);
                    ASSERT_EQ(px[2], v);
                }
            p.redGain = 200;
            ASSERT_EQ(RunKernel(k, out, raw, p), 1);
            const std::uint8_t* px = out.Row(5) + 3 * 20;
            EXPECT_EQ(px[2], std::min(255, (256 * 16 * v) >> 11));
            EXPECT_EQ(px[2], std::min(255, 2 * v));
            EXPECT_EQ(px[0], v);
        }
    }
}

TEST(Demosaic, TruncatedSumOfVectorFormulaDiffers) {
    CDibImage raw, plain, vec;
    ASSERT_EQ(raw.Allocate(64, 10, 8), 1);
    ASSERT_EQ(plain.Allocate(64, 10, 24), 1);
    ASSERT_EQ(vec.Allocate(64, 10, 24), 1);
    FillBytes(raw, 100);
    // Mode 0, pixel (4, 4) is a green position whose red sum becomes
    // 9*101 + 3*102 + 3*100 + 100 = 1615.
    raw.Row(3)[4] = 101;
    raw.Row(3)[2] = 102;
    DemosaicParams p{0, 200, 100, 100};
    ASSERT_EQ(RunKernel(DemosaicInterior8, plain, raw, p), 1);
    ASSERT_EQ(RunKernel(DemosaicInterior8Vector, vec, raw, p), 1);
    EXPECT_EQ(plain.Row(4)[3 * 4 + 2], 201);
    EXPECT_EQ(vec.Row(4)[3 * 4 + 2], 200);
}

TEST(Demosaic, KernelChoiceRule) {
    ProcessorFeatures f;
    f.reported = f.usable = kFeatureMmx | kFeatureSse | kFeatureSse2 | kFeatureSse3;
    DemosaicParams p{0, 100, 100, 100};
    EXPECT_EQ(ChooseDemosaicInterior8(f, 3, p), &DemosaicInterior8Vector);
    EXPECT_EQ(ChooseDemosaicInterior8(f, 4, p), &DemosaicInterior8);
    p.greenGain = 201;
    EXPECT_EQ(ChooseDemosaicInterior8(f, 3, p), &DemosaicInterior8);
    p = DemosaicParams{0, 200, 200, 200};
    EXPECT_EQ(ChooseDemosaicInterior8(f, 3, p), &DemosaicInterior8Vector);
    p.blueGain = 201;
    EXPECT_EQ(ChooseDemosaicInterior8(f, 3, p), &DemosaicInterior8);
    p.blueGain = 100;
    f.usable = kFeatureSse;  // reported but not usable
    EXPECT_EQ(ChooseDemosaicInterior8(f, 3, p), &DemosaicInterior8);
    f.usable = f.reported = kFeatureMmx;
    EXPECT_EQ(ChooseDemosaicInterior8(f, 3, p), &DemosaicInterior8Vector);
    f.usable = f.reported = 0;
    EXPECT_EQ(ChooseDemosaicInterior8(f, 3, p), &DemosaicInterior8);
}

TEST(Demosaic, VectorKernelFallsBackOutsideItsRange) {
    std::mt19937 rng(7);
    CDibImage raw, a, b;
    ASSERT_EQ(raw.Allocate(50, 9, 8), 1);
    FillRandom(raw, rng, 255);
    for (int bpp : {24, 32}) {
        ASSERT_EQ(a.Allocate(50, 9, bpp), 1);
        ASSERT_EQ(b.Allocate(50, 9, bpp), 1);
        DemosaicParams p{1, bpp == 24 ? 250 : 100, 100, 100};
        ASSERT_EQ(RunKernel(DemosaicInterior8, a, raw, p), 1);
        ASSERT_EQ(RunKernel(DemosaicInterior8Vector, b, raw, p), 1);
        EXPECT_TRUE(SamePixels(a, b));
    }
}

// Every vectorised run equals the formula alone, on random images of odd
// and unaligned sizes, all Bayer modes and random gains in range.
TEST(Demosaic, VectorisedRunsMatchTheFormula8) {
    const auto variants = Variants({{"sse2", demosaic::SpanVector8Sse2, SimdLevel::Sse2},
                                    {"ssse3", demosaic::SpanVector8Ssse3, SimdLevel::Ssse3},
                                    {"avx2", demosaic::SpanVector8Avx2, SimdLevel::Avx2},
                                    {"avx512", demosaic::SpanVector8Avx512, SimdLevel::Avx512}});
    const auto plainVariants = Variants({{"sse2", demosaic::SpanPlain8Sse2, SimdLevel::Sse2},
                                         {"ssse3", demosaic::SpanPlain8Ssse3, SimdLevel::Ssse3},
                                         {"avx2", demosaic::SpanPlain8Avx2, SimdLevel::Avx2},
                                         {"avx512", demosaic::SpanPlain8Avx512, SimdLevel::Avx512}});
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> size(5, 150), gain(0, 200), bigGain(0, 400);
    for (int iteration = 0; iteration < 60; ++iteration) {
        const int w = size(rng), h = size(rng) / 4 + 5;
        CDibImage raw, ref, got;
        ASSERT_EQ(raw.Allocate(w, h, 8), 1);
        FillRandom(raw, rng, 255);
        for (int mode = 0; mode < 4; ++mode) {
            // The vector formula, 24-bit output.
            DemosaicParams p{mode, gain(rng), gain(rng), gain(rng)};
            ASSERT_EQ(ref.Allocate(w, h, 24), 1);
            ASSERT_EQ(demosaic::InteriorWithSpan8(ref.Pixels(), raw.Pixels(), {0, 0, w, h}, 0, 0, 3,
                                                  1, ref.Stride(), raw.Stride(), &p, true, nullptr),
                      1);
            for (const Variant& v : variants) {
                ASSERT_EQ(got.Allocate(w, h, 24), 1);
                demosaic::InteriorWithSpan8(got.Pixels(), raw.Pixels(), {0, 0, w, h}, 0, 0, 3, 1,
                                            got.Stride(), raw.Stride(), &p, true, v.fn);
                ASSERT_TRUE(SamePixels(ref, got))
                    << v.name << " " << w << "x" << h << " mode " << mode;
            }
            // The plain formula, 24 and 32-bit output, gains up to 400.
            DemosaicParams q{mode, bigGain(rng), bigGain(rng), bigGain(rng)};
            for (int bpp : {24, 32}) {
                ASSERT_EQ(ref.Allocate(w, h, bpp), 1);
                FillBytes(ref, 0xA5);
                demosaic::InteriorWithSpan8(ref.Pixels(), raw.Pixels(), {0, 0, w, h}, 0, 0, bpp / 8,
                                            1, ref.Stride(), raw.Stride(), &q, false, nullptr);
                for (const Variant& v : plainVariants) {
                    ASSERT_EQ(got.Allocate(w, h, bpp), 1);
                    FillBytes(got, 0xA5);
                    demosaic::InteriorWithSpan8(got.Pixels(), raw.Pixels(), {0, 0, w, h}, 0, 0,
                                                bpp / 8, 1, got.Stride(), raw.Stride(), &q, false,
                                                v.fn);
                    ASSERT_TRUE(SamePixels(ref, got))
                        << v.name << " plain " << bpp << " " << w << "x" << h << " mode " << mode;
                }
            }
        }
    }
}

TEST(Demosaic, VectorisedRunsMatchTheFormula16) {
    const auto variants = Variants({{"sse41", demosaic::SpanPlain16Sse41, SimdLevel::Sse41},
                                    {"avx2", demosaic::SpanPlain16Avx2, SimdLevel::Avx2}});
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> size(5, 70), gain(0, 400), top(0, 3);
    static const int kMax[] = {1023, 4095, 16383, 65535};
    for (int iteration = 0; iteration < 50; ++iteration) {
        const int w = size(rng), h = size(rng) / 4 + 5;
        CDibImage raw, ref, got;
        ASSERT_EQ(raw.Allocate(w, h, 16), 1);
        FillRandom(raw, rng, kMax[top(rng)]);
        for (int mode = 0; mode < 4; ++mode) {
            DemosaicParams p{mode, gain(rng), gain(rng), gain(rng)};
            for (int bpp : {48, 64}) {
                ASSERT_EQ(ref.Allocate(w, h, bpp), 1);
                FillBytes(ref, 0x5A);
                demosaic::InteriorWithSpan16(ref.Pixels(), raw.Pixels(), {0, 0, w, h}, 0, 0,
                                             bpp / 8, 2, ref.Stride(), raw.Stride(), &p, nullptr);
                for (const Variant& v : variants) {
                    ASSERT_EQ(got.Allocate(w, h, bpp), 1);
                    FillBytes(got, 0x5A);
                    demosaic::InteriorWithSpan16(got.Pixels(), raw.Pixels(), {0, 0, w, h}, 0, 0,
                                                 bpp / 8, 2, got.Stride(), raw.Stride(), &p, v.fn);
                    ASSERT_TRUE(SamePixels(ref, got))
                        << v.name << " " << bpp << " " << w << "x" << h << " mode " << mode;
                }
            }
        }
    }
}

// The kernels as the pipeline calls them (at whatever level NODRIX_SIMD
// allows) against the formula written out above, border included.
TEST(Demosaic, KernelsMatchTheWrittenOutFormula) {
    std::mt19937 rng(4321);
    std::uniform_int_distribution<int> size(4, 75), gain(0, 400), smallGain(0, 200);
    for (int iteration = 0; iteration < 40; ++iteration) {
        const int w = size(rng), h = size(rng) / 3 + 4;
        for (bool wide : {false, true}) {
            CDibImage raw;
            ASSERT_EQ(raw.Allocate(w, h, wide ? 16 : 8), 1);
            FillRandom(raw, rng, wide ? 65535 : 255);
            for (int mode = 0; mode < 4; ++mode) {
                for (int form = 0; form < (wide ? 2 : 3); ++form) {
                    // 8-bit: plain 24, plain 32, vector 24; 16-bit: 48, 64.
                    const bool vectorFormula = !wide && form == 2;
                    const int bpp = wide ? (form == 0 ? 48 : 64) : (form == 1 ? 32 : 24);
                    DemosaicParams p{mode, vectorFormula ? smallGain(rng) : gain(rng), 100,
                                     vectorFormula ? smallGain(rng) : gain(rng)};
                    CDibImage out;
                    ASSERT_EQ(out.Allocate(w, h, bpp), 1);
                    FillBytes(out, 0x3C);
                    PixelKernel interior =
                        wide ? DemosaicInterior16
                             : (vectorFormula ? DemosaicInterior8Vector : DemosaicInterior8);
                    ASSERT_EQ(RunKernel(interior, out, raw, p), 1);
                    ASSERT_EQ(RunKernel(wide ? DemosaicBorder16 : DemosaicBorder8, out, raw, p), 1);
                    for (int r = 0; r < h; ++r) {
                        for (int c = 0; c < w; ++c) {
                            const bool border = IsBorder(out, r, c);
                            const Expected e =
                                ReferencePixel(raw, r, c, p, wide, vectorFormula && !border);
                            const Expected g = OutputPixel(out, r, c, wide);
                            ASSERT_EQ(e.blue, g.blue)
                                << w << "x" << h << " mode " << mode << " at " << r << "," << c;
                            ASSERT_EQ(e.green, g.green) << r << "," << c;
                            ASSERT_EQ(e.red, g.red) << r << "," << c;
                            // The fourth sample is never written.
                            if (bpp == 32) {
                                ASSERT_EQ(out.Row(r)[4 * c + 3], 0x3C);
                            }
                            if (bpp == 64) {
                                ASSERT_EQ(Sample16(out, r, c, 3), 0x3C3C);
                            }
                        }
                    }
                }
            }
        }
    }
}

TEST(Demosaic, RejectsWrongFormats) {
    CDibImage raw, out;
    ASSERT_EQ(raw.Allocate(16, 16, 8), 1);
    ASSERT_EQ(out.Allocate(16, 16, 8), 1);
    DemosaicParams p;
    EXPECT_EQ(RunKernel(DemosaicInterior8, out, raw, p), 0);
    EXPECT_EQ(RunKernel(DemosaicBorder8, out, raw, p), 0);
    EXPECT_EQ(RunKernel(DemosaicInterior16, out, raw, p), 0);
}

TEST(SimdLevel, EnvironmentRestrictsTheDispatcher) {
    EXPECT_LE(ActiveSimdLevel(), DetectSimdLevel());
    SimdLevel limit;
    if (ParseSimdLevel(std::getenv("NODRIX_SIMD"), limit)) {
        EXPECT_LE(ActiveSimdLevel(), limit);
    } else {
        EXPECT_EQ(ActiveSimdLevel(), DetectSimdLevel());
    }
    const demosaic::SpanSet& s = demosaic::ActiveSpans();
    if (ActiveSimdLevel() == SimdLevel::None) {
        EXPECT_EQ(s.vector8, nullptr);
        EXPECT_EQ(s.plain16, nullptr);
    } else {
        EXPECT_NE(s.vector8, nullptr);
    }
    SimdLevel parsed;
    EXPECT_TRUE(ParseSimdLevel("ssse3", parsed));
    EXPECT_EQ(parsed, SimdLevel::Ssse3);
    EXPECT_FALSE(ParseSimdLevel("fast", parsed));
}

TEST(ProcessorFeatures, RecordOfThisProcessor) {
    const ProcessorFeatures f = DetectProcessorFeatures();
    EXPECT_EQ(f.known, 63u);
    EXPECT_EQ(f.vendor.size(), 12u);
    EXPECT_FALSE(f.name.empty());
    EXPECT_EQ(f.usable & ~f.reported, 0u);
    EXPECT_EQ(f.reported & ~kKnownFeatures, 0u);
    // Every processor that runs this library has SSE2.
    EXPECT_NE(f.reported & kFeatureSse2, 0u);
    EXPECT_GE(DetectSimdLevel(), SimdLevel::Sse2);
}
