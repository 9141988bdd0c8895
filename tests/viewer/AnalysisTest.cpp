// The viewer's display mappings, histogram and focus measure on small frames.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Analysis.h"

namespace nodrix_viewer {
namespace {

Frame GreyFrame(int bits, int significant, const std::vector<int>& samples, int width) {
    Frame f;
    f.width = width;
    f.height = static_cast<int>(samples.size()) / width;
    f.bitsPerPixel = bits;
    f.significantBits = significant;
    f.stride = width * bits / 8;
    f.pixels.resize(samples.size() * bits / 8);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (bits == 8) {
            f.pixels[i] = static_cast<std::uint8_t>(samples[i]);
        } else {
            const auto s = static_cast<std::uint16_t>(samples[i]);
            std::memcpy(&f.pixels[i * 2], &s, 2);
        }
    }
    return f;
}

std::uint32_t Grey(int v) {
    return 0xFF000000u | static_cast<std::uint32_t>(v) * 0x010101u;
}

TEST(ViewerAnalysis, TwelveBitSamplesShowTheirTopEightBitsAndClipping) {
    const Frame f = GreyFrame(16, 12, {0, 16, 2048, 4095, 5000, 4094}, 3);
    Histogram h;
    ComputeHistogram(f, h);
    EXPECT_EQ(h.samples, 6u);
    EXPECT_EQ(h.saturated, 2u);  // 4095 and the out-of-range 5000
    EXPECT_EQ(h.black, 1u);
    EXPECT_EQ(h.bins[0], 1u);  // 256 bins of 16 values each
    EXPECT_EQ(h.bins[1], 1u);
    EXPECT_EQ(h.bins[255], 3u);  // 4094, 4095, 5000
    std::vector<std::uint32_t> lookup;
    std::vector<std::uint32_t> out(6);
    struct Case {
        DisplayOptions options;
        std::uint32_t expected[6];
    };
    const Case cases[] = {
        {{Mapping::kLinear, false}, {Grey(0), Grey(1), Grey(128), Grey(255), Grey(255), Grey(255)}},
        {{Mapping::kLinear, true},
         {kMarkBlack, Grey(1), Grey(128), kMarkSaturated, kMarkSaturated, Grey(255)}},
    };
    for (const Case& c : cases) {
        BuildLookup(f, h, c.options, lookup);
        RenderPicture(f, lookup, reinterpret_cast<std::uint8_t*>(out.data()), 3 * 4);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i], c.expected[i]) << i;
    }
}

TEST(ViewerAnalysis, AutoContrastStretchesTheHistogramsMiddle) {
    std::vector<int> samples;
    for (int i = 0; i < 400; ++i) samples.push_back(1000 + i);  // 1000 .. 1399
    const Frame f = GreyFrame(16, 12, samples, 20);
    Histogram h;
    ComputeHistogram(f, h);
    EXPECT_EQ(h.low, 1002);  // 0.5 % of 400 samples lie below
    EXPECT_EQ(h.high, 1397);
    std::vector<std::uint32_t> lookup;
    BuildLookup(f, h, {Mapping::kAutoContrast, false}, lookup);
    EXPECT_EQ(lookup[1000], Grey(0));
    EXPECT_EQ(lookup[1002], Grey(0));
    EXPECT_EQ(lookup[1397], Grey(255));
    EXPECT_EQ(lookup[1200], Grey(128));  // 198 / 395 of the way
}

TEST(ViewerAnalysis, FocusGrowsWithEdgesOnTheEightBitScale) {
    std::vector<int> flat(16 * 16, 100), edges(16 * 16);
    for (int i = 0; i < 16 * 16; ++i) edges[i] = (i % 2) * 16;  // columns alternate 0, 16
    EXPECT_EQ(FocusMeasure(GreyFrame(8, 8, flat, 16)), 0.0);
    EXPECT_DOUBLE_EQ(FocusMeasure(GreyFrame(8, 8, edges, 16)), 256.0);
    // The same picture in 12-bit samples measures the same.
    for (int& v : edges) v *= 16;
    EXPECT_DOUBLE_EQ(FocusMeasure(GreyFrame(16, 12, edges, 16)), 256.0);
}

TEST(ViewerAnalysis, TheLookupKeyChangesOnlyWithWhatTheLookupIsBuiltFrom) {
    const Frame twelve = GreyFrame(16, 12, {0, 100, 2000, 4095}, 2);
    const Frame brighter = GreyFrame(16, 12, {10, 300, 3000, 4000}, 2);
    Histogram h1, h2;
    ComputeHistogram(twelve, h1);
    ComputeHistogram(brighter, h2);
    const DisplayOptions linear, autoContrast{Mapping::kAutoContrast, false};
    const DisplayOptions marks{Mapping::kLinear, true};
    // Linear: another frame of the same kind keeps the lookup.
    EXPECT_EQ(KeyOf(twelve, h1, linear), KeyOf(brighter, h2, linear));
    EXPECT_FALSE(KeyOf(twelve, h1, linear) == KeyOf(twelve, h1, marks));
    EXPECT_FALSE(KeyOf(twelve, h1, linear) == KeyOf(GreyFrame(8, 8, {0, 1}, 2), h1, linear));
    // Auto contrast follows the histogram's stretch.
    EXPECT_FALSE(KeyOf(twelve, h1, autoContrast) == KeyOf(brighter, h2, autoContrast));
    EXPECT_EQ(KeyOf(twelve, h1, autoContrast), KeyOf(twelve, h1, autoContrast));
}

TEST(ViewerAnalysis, ThePictureIsMappedAndScaledInOnePassToTheSizeItIsShownAt) {
    struct Case {
        int count;
        float start, scale;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {4, 0.0f, 1.0f, {0, 1, 2, 3}},        // 1:1
        {3, 1.0f, 1.0f, {1, 2, 3}},           // panned by one sample
        {6, 0.0f, 2.0f, {0, 0, 1, 1, 2, 2}},  // zoomed in
        {2, 0.0f, 0.5f, {1, 3}},              // fitted: the sample under each centre
        {3, 0.0f, 0.75f, {0, 2, 3}},
        {2, -3.0f, 1.0f, {0, 0}},  // held inside the picture
    };
    for (const Case& c : cases) {
        std::vector<int> indices;
        SampleIndices(c.count, c.start, c.scale, 4, indices);
        EXPECT_EQ(indices, c.expected) << c.start << " " << c.scale;
    }
    // 4 x 3 samples 0..11 in 12 bits: screen pixel (i, j) is the display
    // colour of sample (columns[i], rows[j]).
    std::vector<int> samples(12);
    for (int i = 0; i < 12; ++i) samples[i] = i << 4;
    const Frame f = GreyFrame(16, 12, samples, 4);
    Histogram h;
    std::vector<std::uint32_t> lookup, out(3 * 2, 0);
    BuildLookup(f, h, {}, lookup);
    RenderScaled(f, lookup, {3, 0, 0}, {2, 1}, reinterpret_cast<std::uint8_t*>(out.data()), 3 * 4);
    EXPECT_EQ(out,
              (std::vector<std::uint32_t>{Grey(11), Grey(8), Grey(8), Grey(7), Grey(4), Grey(4)}));
    // An index outside the frame writes nothing.
    std::fill(out.begin(), out.end(), 0u);
    RenderScaled(f, lookup, {4}, {0}, reinterpret_cast<std::uint8_t*>(out.data()), 4);
    EXPECT_EQ(out[0], 0u);
}

}  // namespace
}  // namespace nodrix_viewer
