#include <gtest/gtest.h>

#include "pipeline/AutoExposure.h"
#include "pipeline/BayerPhase.h"
#include "pipeline/GreyCorrection.h"

namespace nodrix::pipeline {
namespace {

TEST(AutoExposure, WindowsOfAFullFrame) {
    const auto windows = ExposureWindows(1280, 1024);
    EXPECT_EQ(windows[0].left, 128);
    EXPECT_EQ(windows[0].top, 102);
    EXPECT_EQ(windows[0].right, 256);
    EXPECT_EQ(windows[0].bottom, 204);
    EXPECT_EQ(windows[2].left, 576);
    EXPECT_EQ(windows[2].top, 460);
    EXPECT_EQ(windows[2].right, 704);
    EXPECT_EQ(windows[2].bottom, 563);
    EXPECT_EQ(windows[4].right, 1152);
    EXPECT_EQ(windows[4].bottom, 921);
}

TEST(AutoExposure, FactorFromTheWindowLevels) {
    EXPECT_NEAR(ExposureFactor({255, 255, 255, 255, 255}), 0.25, 1e-9);
    EXPECT_NEAR(ExposureFactor({170, 170, 170, 170, 170}), 0.5, 1e-9);
    EXPECT_NEAR(ExposureFactor({10, 10, 10, 10, 10}), 1.5, 1e-9);
    EXPECT_NEAR(ExposureFactor({60, 60, 60, 60, 60}), 1.25, 1e-9);
    EXPECT_NEAR(ExposureFactor({100, 160, 128, 150, 110}), 1.0, 1e-9);
    // 200 is not above 200 and 50 not below 50: -0.10 and +0.05.
    EXPECT_NEAR(ExposureFactor({200, 50, 128, 128, 128}), 0.95, 1e-9);
    EXPECT_TRUE(ExposureFactorIsNeutral(1.0));
    EXPECT_TRUE(ExposureFactorIsNeutral(1.15));
    EXPECT_FALSE(ExposureFactorIsNeutral(1.2));
    EXPECT_FALSE(ExposureFactorIsNeutral(0.6));
}

TEST(AutoExposure, CorrectedValuesStayInRange) {
    EXPECT_EQ(CorrectedExposure(400, 0.25, 1, 20000), 100);
    EXPECT_EQ(CorrectedExposure(2, 0.25, 1, 20000), 1);       // 0 becomes 1
    EXPECT_EQ(CorrectedExposure(20000, 1.5, 1, 20000), 20000);
    EXPECT_EQ(CorrectedExposure(4, 0.25, 2, 20000), 2);
    EXPECT_EQ(CorrectedGain(1, 1.5, 0, 255), 6);              // at least 4 before the factor
    EXPECT_EQ(CorrectedGain(200, 1.5, 0, 255), 255);
    EXPECT_EQ(CorrectedGain(100, 0.25, 30, 255), 30);
}

TEST(PipelineRules, EffectiveBayerModeFollowsTheFlips) {
    EXPECT_EQ(EffectiveBayerMode(0, false, false), 0);
    EXPECT_EQ(EffectiveBayerMode(0, true, false), 1);
    EXPECT_EQ(EffectiveBayerMode(2, true, false), 3);
    EXPECT_EQ(EffectiveBayerMode(0, false, true), 2);
    EXPECT_EQ(EffectiveBayerMode(1, false, true), 3);
    EXPECT_EQ(EffectiveBayerMode(3, true, true), 0);
}

TEST(PipelineRules, GreyCorrectionSkipValues) {
    EXPECT_TRUE(GreyCorrectionIsNeutral({128, 128, 128, 128}, {0, 0, 0, 0}));
    EXPECT_TRUE(GreyCorrectionIsNeutral({128, 128, 128, 128}, {128, 128, 128, 128}));
    EXPECT_FALSE(GreyCorrectionIsNeutral({128, 128, 128, 128}, {128, 128, 128, 0}));
    EXPECT_FALSE(GreyCorrectionIsNeutral({128, 128, 129, 128}, {0, 0, 0, 0}));
}

}  // namespace
}  // namespace nodrix::pipeline
