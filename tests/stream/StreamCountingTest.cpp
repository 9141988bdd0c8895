// How the stream statistics attribute lost frames: failed header tries
// against the frame numbers they cost, gaps across the wrap of the 32-bit
// numbers, restarts of the camera's count.
#include <gtest/gtest.h>

#include <vector>

#include "core/StreamStatistics.h"

namespace nodrix::core {
namespace {

// 'h' header n, 'f' n failed header tries, 'e' end of the run.
struct Step {
    char kind;
    std::uint32_t value;
};

struct CountingCase {
    const char* name;
    std::vector<Step> steps;
    std::uint64_t lostHeader;
    std::uint64_t lostGap;
};

const CountingCase kCases[] = {
    {"consecutive", {{'h', 10}, {'h', 11}, {'h', 12}}, 0, 0},
    {"a failed try that cost a frame", {{'h', 10}, {'f', 1}, {'h', 12}}, 1, 0},
    {"timed-out tries that cost none", {{'h', 10}, {'f', 2}, {'h', 11}}, 0, 0},
    {"a gap", {{'h', 10}, {'h', 14}}, 0, 3},
    {"failed tries and a gap", {{'h', 10}, {'f', 1}, {'h', 14}}, 1, 2},
    {"a gap across the wrap", {{'h', 0xFFFFFFFEu}, {'h', 1}}, 0, 2},
    {"the camera counting afresh", {{'h', 100}, {'h', 5}}, 0, 0},
    {"failed tries before the first header", {{'f', 2}, {'h', 7}}, 2, 0},
    {"failed tries at the end of the run", {{'h', 7}, {'f', 3}, {'e', 0}}, 3, 0},
};

TEST(StreamCounting, LostFramesGoToOneReasonEach) {
    for (const CountingCase& c : kCases) {
        SCOPED_TRACE(c.name);
        StreamStatistics statistics;
        statistics.StreamStarted();
        std::uint64_t completed = 0;
        for (const Step& step : c.steps) {
            if (step.kind == 'h') {
                statistics.HeaderRead(step.value);
                statistics.FrameCompleted();
                ++completed;
            } else if (step.kind == 'f') {
                statistics.HeadersFailed(step.value);
            } else {
                statistics.StreamEnded();
            }
        }
        const StreamCounts counts = statistics.Counts();
        EXPECT_EQ(counts.lostHeader, c.lostHeader);
        EXPECT_EQ(counts.lostGap, c.lostGap);
        EXPECT_EQ(counts.received, completed + counts.Lost());
        EXPECT_EQ(statistics.LostSinceOpen(), counts.Lost());
    }
}

// The rates cover the last second: a stream that stopped reads 0 a second
// after its last frame, however fast it ran.
TEST(StreamCounting, RatesFallToZeroWithinASecondOfTheLastFrame) {
    RateMeter meter;
    const std::uint64_t start = 5000000;
    meter.Reset(start);
    for (std::uint64_t i = 0; i < 2000; ++i) meter.Count(start + i * 1000);  // 1000 per second
    const std::uint64_t last = start + 1999 * 1000;
    EXPECT_NEAR(meter.Rate(last), 1000.0, 120.0);
    EXPECT_GT(meter.Rate(last + 500000), 0.0);
    EXPECT_EQ(meter.Rate(last + 1000001), 0.0);
    EXPECT_EQ(meter.Rate(last + 1500000), 0.0);
    meter.Count(last + 1600000);
    EXPECT_GT(meter.Rate(last + 1600000), 0.0);
}

}  // namespace
}  // namespace nodrix::core
