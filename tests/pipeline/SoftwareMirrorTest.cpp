#include <gtest/gtest.h>

#include <cstdint>

#include "pipeline/FrameView.h"
#include "pipeline/SoftwareMirror.h"

namespace nodrix::pipeline {
namespace {

TEST(SoftwareMirror, OnlyWhatTheHardwareCannotDo) {
    const auto plan = PlanSoftwareMirror(true, true, true, false);
    EXPECT_FALSE(plan.reverseColumns);
    EXPECT_TRUE(plan.reverseRows);
    const auto none = PlanSoftwareMirror(false, false, false, false);
    EXPECT_FALSE(none.reverseColumns || none.reverseRows);
}

TEST(SoftwareMirror, ReversesRowsAndColumnsOfOddSizedSixteenBitFrames) {
    imaging::CDibImage frame;
    ASSERT_TRUE(frame.Allocate(7, 5, 16));
    auto view = ViewOf<std::uint16_t>(frame);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) view.At(y, x) = static_cast<std::uint16_t>(100 * y + x);
    }
    MirrorFrame(frame, {true, true});
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) EXPECT_EQ(view.At(y, x), 100 * (4 - y) + (6 - x));
    }
    MirrorFrame(frame, {true, false});
    EXPECT_EQ(view.At(0, 0), 400);
    EXPECT_EQ(view.At(4, 6), 6);
}

}  // namespace
}  // namespace nodrix::pipeline
