#include "platform/Time.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/Event.h"

namespace nodrix::platform {
namespace {

class TimeSpeedupTest : public ::testing::Test {
protected:
    void TearDown() override { SetTimeSpeedup(1); }
};

TEST_F(TimeSpeedupTest, ScaledWaitsKeepZeroAndInfiniteAndNeverReachZero) {
    SetTimeSpeedup(100);
    EXPECT_EQ(TimeSpeedup(), 100u);
    EXPECT_EQ(ScaledWaitMs(3000), 30u);
    EXPECT_EQ(ScaledWaitMs(5), 1u);
    EXPECT_EQ(ScaledWaitMs(0), 0u);
    EXPECT_EQ(ScaledWaitMs(kInfinite), kInfinite);
    SetTimeSpeedup(0);  // treated as real time
    EXPECT_EQ(TimeSpeedup(), 1u);
    EXPECT_EQ(ScaledWaitMs(3000), 3000u);
}

TEST_F(TimeSpeedupTest, LongNominalWaitsCompleteUnderSpeedup) {
    SetTimeSpeedup(100);
    SleepMs(3000);
    Event event(EventReset::Manual, false);
    EXPECT_FALSE(event.Wait(3000));
}

TEST_F(TimeSpeedupTest, ClocksNeverRunBackwardsWhenTheFactorChanges) {
    for (std::uint32_t (*clock)() : {&TickCount, &MultimediaTime}) {
        const std::uint32_t before = clock();
        SetTimeSpeedup(1000);
        SleepMs(40000);  // 40 ms of real time
        const std::uint32_t fast = clock();
        SetTimeSpeedup(1);
        const std::uint32_t after = clock();
        EXPECT_GE(static_cast<std::int32_t>(fast - before), 0);
        EXPECT_GE(static_cast<std::int32_t>(after - fast), 0);
        // The clock ran fast: a sleep is never shorter than asked, and the
        // system tick counters move in steps of up to 16 ms.
        EXPECT_GE(fast - before, 20000u);
    }
}

}  // namespace
}  // namespace nodrix::platform
