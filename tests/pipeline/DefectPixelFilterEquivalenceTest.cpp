// The dot filter against a straightforward version of its rule, which
// searches outwards from every marked pixel, on random frames: every output
// sample and every mark must agree.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "pipeline/DefectPixelFilter.h"
#include "pipeline/FrameView.h"

namespace nodrix::pipeline {
namespace {

using imaging::CDibImage;

// The rule as written: mark, then give each marked pixel the mean of the
// nearest unmarked pixel found by walking left, right, up and down.
template <typename Sample>
std::vector<Sample> ReferenceFilter(const FrameView<Sample>& frame, const CDibImage& darkImage,
                                    const CDibImage& whiteImage, int threshold) {
    const auto dark = ViewOf<Sample>(darkImage);
    const auto white = ViewOf<Sample>(whiteImage);
    const bool useDark = !dark.Empty() && dark.Count() >= frame.Count();
    const bool useWhite = !white.Empty() && white.Count() >= frame.Count();
    std::vector<Sample> mark(frame.Count(), 0);
    for (int y = 4; y <= frame.height - 5; ++y) {
        for (int x = 4; x <= frame.width - 5; ++x) {
            const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(y) * frame.pitch + x;
            bool marked = (useDark && dark.samples[offset] == 1) ||
                          (useWhite && white.samples[offset] == 1);
            if (!marked) {
                const int neighbours = (frame.At(y - 1, x) + frame.At(y + 1, x) +
                                        frame.At(y, x - 1) + frame.At(y, x + 1)) >> 2;
                marked = std::abs(static_cast<int>(frame.At(y, x)) - neighbours) >= threshold;
            }
            if (marked) mark[offset] = 1;
        }
    }
    static constexpr int kDirections[4][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
    for (int y = 4; y <= frame.height - 5; ++y) {
        for (int x = 4; x <= frame.width - 5; ++x) {
            const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(y) * frame.pitch + x;
            if (mark[offset] == 0) continue;
            int sum = 0;
            int count = 0;
            for (const auto& step : kDirections) {
                for (int sy = y + step[0], sx = x + step[1];
                     sy >= 0 && sy < frame.height && sx >= 0 && sx < frame.width;
                     sy += step[0], sx += step[1]) {
                    const std::ptrdiff_t source = static_cast<std::ptrdiff_t>(sy) * frame.pitch + sx;
                    if (mark[source] == 0) {
                        sum += frame.samples[source];
                        ++count;
                        break;
                    }
                }
            }
            if (count > 0) frame.samples[offset] = static_cast<Sample>(sum / count);
        }
    }
    return mark;
}

struct Case {
    int width;
    int height;
    int percent;     // share of pixels each defect map names
    bool noisy;      // full-range noise instead of a smooth scene
    int mapWidth;    // 0: no map; else the maps' size, addressed at frame offsets
    int mapHeight;
    bool fullLines;  // one whole row and one whole column named too
};

std::string Describe(const Case& c, int bits) {
    return std::to_string(bits) + "-bit " + std::to_string(c.width) + "x" +
           std::to_string(c.height) + ", " + std::to_string(c.percent) + "%" +
           (c.noisy ? ", noisy" : "") + (c.mapWidth == 0 ? ", no maps" : "") +
           (c.fullLines ? ", full lines" : "");
}

template <typename Sample>
void RunCase(const Case& c, std::mt19937& rng) {
    constexpr int kBits = 8 * sizeof(Sample);
    constexpr int kFull = kBits == 16 ? 0xFFFF : 0xFF;
    SCOPED_TRACE(Describe(c, kBits));
    CDibImage frame, mark, dark, white;
    ASSERT_TRUE(frame.Allocate(c.width, c.height, kBits));
    ASSERT_TRUE(mark.Allocate(c.width, c.height, kBits));
    auto view = ViewOf<Sample>(frame);
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            const int smooth = (kFull / 4) + (x + 2 * y) * (kFull / 512) +
                               static_cast<int>(rng() % (kFull / 64 + 1));
            view.At(y, x) = static_cast<Sample>(c.noisy ? static_cast<int>(rng() % (kFull + 1))
                                                        : smooth);
        }
    }
    if (c.mapWidth > 0) {
        for (CDibImage* map : {&dark, &white}) {
            ASSERT_TRUE(map->Allocate(c.mapWidth, c.mapHeight, kBits));
            auto samples = ViewOf<Sample>(*map);
            for (std::size_t i = 0; i < samples.Count(); ++i) {
                const int roll = static_cast<int>(rng() % 100);
                // Only 1 names a defect; other non-zero values must not.
                samples.samples[i] = roll < c.percent ? 1 : (roll % 7 == 0 ? 2 : 0);
            }
        }
        if (c.fullLines) {
            auto samples = ViewOf<Sample>(dark);
            const int row = c.height / 2;
            const int column = c.width / 3;
            for (int x = 0; x < c.width; ++x) samples.samples[row * view.pitch + x] = 1;
            for (int y = 0; y < c.height; ++y) samples.samples[y * view.pitch + column] = 1;
        }
    }
    std::vector<Sample> expected(view.samples, view.samples + view.Count());
    const FrameView<Sample> expectedView{expected.data(), view.width, view.height, view.pitch};
    const int threshold = kBits == 16 ? kDefectThreshold16 : kDefectThreshold8;
    const std::vector<Sample> expectedMarks = ReferenceFilter(expectedView, dark, white, threshold);

    if constexpr (kBits == 16) {
        ApplyDefectFilter16(frame, mark, dark, white, threshold);
    } else {
        ApplyDefectFilter8(frame, mark, dark, white, threshold);
    }
    const auto marks = ViewOf<Sample>(mark);
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            const std::size_t offset = static_cast<std::size_t>(y) * view.pitch + x;
            ASSERT_EQ(+view.samples[offset], +expected[offset]) << "pixel at " << x << "," << y;
            ASSERT_EQ(+marks.samples[offset], +expectedMarks[offset]) << "mark at " << x << "," << y;
        }
    }
}

std::vector<Case> RandomCases(std::mt19937& rng) {
    std::vector<Case> cases;
    static constexpr int kPercents[] = {0, 1, 5, 25, 50, 75, 95, 100};
    static constexpr int kSizes[][2] = {{9, 9},   {10, 13}, {13, 10}, {17, 41},
                                        {41, 17}, {64, 48}, {101, 67}};
    for (const int percent : kPercents) {
        for (const auto& size : kSizes) {
            Case c{size[0], size[1], percent, rng() % 2 == 0, size[0], size[1], rng() % 4 == 0};
            if (rng() % 4 == 0) {  // larger maps, still addressed at the frame's offsets
                c.mapWidth = size[0] + 7;
                c.mapHeight = size[1] + 3;
            }
            cases.push_back(c);
        }
    }
    // Frames too small to hold any mark, and frames without maps where
    // only the neighbour test marks.
    cases.push_back({8, 30, 100, true, 8, 30, false});
    cases.push_back({30, 8, 100, true, 30, 8, false});
    cases.push_back({3, 3, 100, true, 3, 3, false});
    cases.push_back({57, 31, 0, true, 0, 0, false});
    cases.push_back({57, 31, 0, false, 0, 0, false});
    return cases;
}

TEST(DefectPixelFilterEquivalence, EightBitMatchesTheSearchingRule) {
    std::mt19937 rng(1234);
    for (const Case& c : RandomCases(rng)) {
        RunCase<std::uint8_t>(c, rng);
        if (HasFatalFailure()) return;
    }
}

TEST(DefectPixelFilterEquivalence, SixteenBitMatchesTheSearchingRule) {
    std::mt19937 rng(4321);
    for (const Case& c : RandomCases(rng)) {
        RunCase<std::uint16_t>(c, rng);
        if (HasFatalFailure()) return;
    }
}

TEST(DefectPixelFilterEquivalence, FullSizeFrames) {
    std::mt19937 rng(99);
    RunCase<std::uint8_t>({1280, 1024, 20, false, 1280, 1024, true}, rng);
}

}  // namespace
}  // namespace nodrix::pipeline
