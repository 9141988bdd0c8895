#include <gtest/gtest.h>

#include <vector>

#include "platform/LockRank.h"
#include "platform/RecursiveLock.h"

namespace nodrix::platform {
namespace {

// Locks named by letter; a step takes (rank > 0 or 0 for unranked) or, with
// rank -1, lets go of its lock. The last step is the take asked about.
struct Step {
    char lock;
    int rank;
};

struct OrderCase {
    const char* name;
    std::vector<Step> steps;
    bool allowed;
};

const OrderCase kCases[] = {
    {"rising", {{'a', 1}, {'b', 2}, {'c', 3}}, true},
    {"falling", {{'b', 2}, {'a', 1}}, false},
    {"equal ranks of two locks", {{'a', 2}, {'b', 2}}, false},
    {"re-entered beneath a higher one", {{'a', 1}, {'b', 2}, {'a', 1}}, true},
    {"unranked anywhere", {{'b', 2}, {'u', 0}, {'a', 0}}, true},
    {"after the higher one is let go", {{'b', 2}, {'b', -1}, {'a', 1}}, true},
    {"released out of order", {{'a', 1}, {'c', 3}, {'a', -1}, {'b', 2}}, false},
    {"below a lock held twice, let go once", {{'b', 2}, {'b', 2}, {'b', -1}, {'a', 1}}, false},
};

TEST(LockRankTest, RecordAllowsOnlyRisingRanks) {
    for (const OrderCase& c : kCases) {
        LockRankRecord record{};
        const std::vector<char> names(256);
        for (std::size_t i = 0; i + 1 < c.steps.size(); ++i) {
            const Step& s = c.steps[i];
            const void* lock = &names[static_cast<unsigned char>(s.lock)];
            if (s.rank < 0) {
                record.Left(lock);
            } else {
                ASSERT_TRUE(record.Allows(lock, s.rank)) << c.name << " step " << i;
                record.Entered(lock, s.rank);
            }
        }
        const Step& last = c.steps.back();
        EXPECT_EQ(record.Allows(&names[static_cast<unsigned char>(last.lock)], last.rank),
                  c.allowed)
            << c.name;
    }
}

TEST(LockRankTest, DeepNestingBeyondTheRecordStaysBalanced) {
    LockRankRecord record{};
    int locks[LockRankRecord::kCapacity + 4];
    for (int i = 0; i < static_cast<int>(std::size(locks)); ++i) record.Entered(&locks[i], i + 1);
    for (int i = static_cast<int>(std::size(locks)); i-- > 0;) record.Left(&locks[i]);
    EXPECT_EQ(record.Depth(), 0u);
    EXPECT_TRUE(record.Allows(&locks[0], 1));
}

TEST(LockRankDeathTest, DebugBuildStopsAtALockTakenOutOfOrder) {
    if (!kLockOrderChecked) GTEST_SKIP() << "release builds keep no record";
    RecursiveLock low(1);
    RecursiveLock high(2);
    {
        LockGuard first(low);
        LockGuard second(high);
        LockGuard again(low);
    }
    EXPECT_DEATH(
        {
            LockGuard first(high);
            LockGuard second(low);
        },
        "lock order broken");
}

}  // namespace
}  // namespace nodrix::platform
