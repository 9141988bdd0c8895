// The conversion pipeline on frames delivered by the emulated camera,
// through the exports: every check computes the expected pixels from the
// ramp in the test.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "acquisition/AcquisitionFixture.h"
#include "parameters/RampChecks.h"

namespace nodrix::test {
namespace {

class PipelineExports : public AcquisitionTest {
protected:
    void SetUp() override {
        AcquisitionTest::SetUp();
        NeutralPipeline();
    }
};

bool Interior(int x, int y, int margin) {
    return x >= margin && x < 1280 - margin && y >= margin && y < 1024 - margin;
}

TEST_F(PipelineExports, DefaultsDeliverTheRampUnchanged) {
    EXPECT_TRUE(MatchesTransformedRamp(Snap(8), 8, 1280, 1024, [](int r, int, int) { return r; }));
    ASSERT_EQ(Nodrix_SetColorMode(handle_, 16), 1);
    EXPECT_TRUE(
        MatchesTransformedRamp(Snap(16), 16, 1280, 1024, [](int r, int, int) { return r; }));
}

TEST_F(PipelineExports, HardwareMirroringFlipsTheDeliveredImage) {
    ASSERT_EQ(Nodrix_SetMirrorH(handle_, 1), 1);
    EXPECT_EQ(Nodrix_GetMirrorH(handle_), 1);
    const auto mirrored = Snap();
    // Column x shows sensor column 1279 - x.
    const int n = SampleAt(mirrored, 8, 1280, 1279, 0);
    EXPECT_TRUE(MatchesTransformedRamp(mirrored, 8, 1280, 1024, [n](int, int x, int y) {
        return (1279 - x + y + n) & 0xFF;
    }));
    ASSERT_EQ(Nodrix_SetMirrorH(handle_, 0), 1);
    ASSERT_EQ(Nodrix_SetMirrorV(handle_, 1), 1);
    const auto flipped = Snap();
    const int m = SampleAt(flipped, 8, 1280, 0, 1023);
    EXPECT_TRUE(MatchesTransformedRamp(flipped, 8, 1280, 1024, [m](int, int x, int y) {
        return (x + 1023 - y + m) & 0xFF;
    }));
}

TEST_F(PipelineExports, ToneAdjustmentsOnADeliveredFrame) {
    ASSERT_EQ(Nodrix_SetBrightness(handle_, 51), 1);
    EXPECT_TRUE(MatchesTransformedRamp(Snap(), 8, 1280, 1024,
                                       [](int r, int, int) { return std::min(255, r * 3); }));
    ASSERT_EQ(Nodrix_SetBrightness(handle_, 0), 1);

    ASSERT_EQ(Nodrix_SetGamma(handle_, 50), 1);
    EXPECT_TRUE(MatchesTransformedRamp(Snap(), 8, 1280, 1024, [](int r, int, int) {
        return r == 0 ? 0 : static_cast<int>(std::pow(r / 255.0, 2.0) * 255.0);
    }));
    ASSERT_EQ(Nodrix_SetGamma(handle_, 100), 1);

    ASSERT_EQ(Nodrix_SetContrast(handle_, 64), 1);
    EXPECT_TRUE(MatchesTransformedRamp(Snap(), 8, 1280, 1024, [](int r, int, int) {
        if (r < 64) return 0;
        if (r > 191) return 255;
        return static_cast<int>(256.0 / 128.0 * (r - 64));
    }));
}

TEST_F(PipelineExports, SharpnessAgainstTheBoxMean) {
    ASSERT_EQ(Nodrix_SetSharpness(handle_, 20), 1);
    const auto frame = Snap();
    // The unsharpened frame is the ramp; its phase comes from the border,
    // which sharpness leaves alone.
    const int n = SampleAt(frame, 8, 1280, 0, 0);
    auto ramp = [n](int x, int y) { return (x + y + n) & 0xFF; };
    int wrong = 0;
    for (int y = 0; y < 1024; ++y) {
        for (int x = 0; x < 1280; ++x) {
            int want = ramp(x, y);
            if (Interior(x, y, 2) && y <= 1024 - 3 && x <= 1280 - 3) {
                int sum = 0;
                for (int dy = -2; dy <= 1; ++dy) {
                    for (int dx = -2; dx <= 1; ++dx) sum += ramp(x + dx, y + dy);
                }
                const int blur = sum >> 4;
                const int s = ramp(x, y);
                want = s + (20 * (s - blur)) / 10;
                if (want < 0) want = 0;
                if (want > 254) want = 255;
            }
            if (SampleAt(frame, 8, 1280, x, y) != want && ++wrong <= 3) {
                ADD_FAILURE() << "at " << x << "," << y << ": " << SampleAt(frame, 8, 1280, x, y)
                              << " instead of " << want;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(PipelineExports, FlatFieldWithTheInitialPlanes) {
    ASSERT_EQ(Nodrix_SetMaskFilter(handle_, 1), 1);
    EXPECT_EQ(Nodrix_GetMaskFilter(handle_, nullptr), 1);
    EXPECT_TRUE(MatchesTransformedRamp(Snap(), 8, 1280, 1024, [](int r, int x, int y) {
        return Interior(x, y, 2) ? std::min(255, r * 256 / 255) : r;
    }));
}

TEST_F(PipelineExports, DotFilterReplacesPixelsThatStandOut) {
    ASSERT_EQ(Nodrix_SetDotFilter(handle_, 1), 1);
    // Where the ramp wraps, 255 and 0 stand out from their neighbours; both
    // take the mean of the nearest good pixels: (254 + 1 + 254 + 1) / 4.
    EXPECT_TRUE(MatchesTransformedRamp(Snap(), 8, 1280, 1024, [](int r, int x, int y) {
        if (!Interior(x, y, 6)) return -1;
        return (r == 0 || r == 255) ? 127 : r;
    }));
}

TEST_F(PipelineExports, GreyModeOneWithGainsAndOffsets) {
    ASSERT_EQ(Nodrix_SetGrayMode(handle_, 1), 1);
    for (int code = NODRIX_FILTER_GRAY_GAIN_R; code <= NODRIX_FILTER_GRAY_GAIN_B; ++code) {
        ASSERT_EQ(Nodrix_SetFilterValue(handle_, code, 64), 1);
    }
    for (int code = NODRIX_FILTER_GRAY_OFFSET_R; code <= NODRIX_FILTER_GRAY_OFFSET_B; ++code) {
        ASSERT_EQ(Nodrix_SetFilterValue(handle_, code, 10), 1);
    }
    EXPECT_TRUE(MatchesTransformedRamp(Snap(), 8, 1280, 1024,
                                       [](int r, int, int) { return 10 + 64 * r / 128; }));
    ASSERT_EQ(Nodrix_SetColorMode(handle_, 16), 1);
    EXPECT_TRUE(MatchesTransformedRamp(Snap(16), 16, 1280, 1024,
                                       [](int r, int, int) { return 10 + 64 * r / 128; }));
}

}  // namespace
}  // namespace nodrix::test
