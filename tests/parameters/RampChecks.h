#pragma once
// Checks of a delivered full-width frame (first row of the picture first)
// against the emulator's ramp passed through a known transformation. The
// frame number is found by trying every phase of the ramp.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace nodrix::test {

// expected(rampValue, x, y) -> the value the pipeline should deliver at
// image column x, row y; nullopt-like -1 to skip a pixel.
using Expectation = std::function<int(int ramp, int x, int y)>;

inline int RampValue(int bits, int x, int y, int n) {
    return bits == 8 ? ((x + y + n) & 0xFF) : ((4 * x + y + n) & 0x0FFF);
}

inline int SampleAt(const std::vector<std::uint8_t>& frame, int bits, int width, int x, int y) {
    const int stride = (width * (bits / 8) + 3) & ~3;
    const std::uint8_t* p = frame.data() + static_cast<std::size_t>(y) * stride;
    return bits == 8 ? p[x] : p[2 * x] | (p[2 * x + 1] << 8);
}

inline ::testing::AssertionResult MatchesTransformedRamp(const std::vector<std::uint8_t>& frame,
                                                         int bits, int width, int height,
                                                         const Expectation& expected) {
    const int phases = bits == 8 ? 256 : 4096;
    const int probeRow = height / 2;
    for (int n = 0; n < phases; ++n) {
        // Two rows, since a transformation may map neighbouring values alike.
        bool candidate = true;
        for (int y = probeRow; y <= probeRow + 1 && candidate; ++y) {
            for (int x = 0; x < width && candidate; x += 3) {
                const int want = expected(RampValue(bits, x, y, n), x, y);
                candidate = want < 0 || SampleAt(frame, bits, width, x, y) == want;
            }
        }
        if (!candidate) continue;
        int wrong = 0;
        auto result = ::testing::AssertionSuccess();
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int want = expected(RampValue(bits, x, y, n), x, y);
                const int got = SampleAt(frame, bits, width, x, y);
                if (want >= 0 && got != want) {
                    if (wrong == 0) result = ::testing::AssertionFailure();
                    if (++wrong <= 5) {
                        result << "at " << x << "," << y << ": " << got << " instead of " << want
                               << "\n";
                    }
                }
            }
        }
        if (wrong == 0) return result;
        return result << wrong << " samples differ (frame phase " << n << ")";
    }
    return ::testing::AssertionFailure() << "no phase of the ramp matches the middle row";
}

}  // namespace nodrix::test
