// The handle ring: where lookups leave the current node, removal of the
// entry found, and the registry's handles under concurrent use.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "NodrixSdk.h"
#include "api/CSdkChain.h"
#include "api/CTRing.h"

namespace nodrix {
namespace {

struct Entry {
    std::int32_t handle;
    int payload;
};

class Ring : public CTRing<Entry> {};

std::int32_t Current(const Ring& ring) {
    std::int32_t h = 0;
    EXPECT_TRUE(ring.CurrentHandle(&h));
    return h;
}

TEST(CTRing, EmptyRingFindsNothing) {
    Ring ring;
    EXPECT_EQ(ring.Find(1), nullptr);
    EXPECT_FALSE(ring.Remove(1));
    EXPECT_EQ(ring.Count(), 0u);
}

TEST(CTRing, SingleNodeLinksToItself) {
    Ring ring;
    ASSERT_TRUE(ring.Add({7, 70}));
    auto* node = ring.Find(7);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->prev, node);
    EXPECT_EQ(node->next, node);
    EXPECT_TRUE(ring.Remove(7));
    EXPECT_EQ(ring.Count(), 0u);
    std::int32_t h = 0;
    EXPECT_FALSE(ring.CurrentHandle(&h));
}

TEST(CTRing, NewNodeBecomesCurrentBeforeTheOldCurrent) {
    Ring ring;
    ring.Add({1, 10});
    ring.Add({2, 20});
    ring.Add({3, 30});
    // Each new node goes in just before the current one and becomes
    // current, so its successor is the former current node.
    EXPECT_EQ(Current(ring), 3);
    auto* three = ring.Find(3);
    ASSERT_NE(three, nullptr);
    EXPECT_EQ(three->next->data.handle, 2);
    EXPECT_EQ(three->next->next->data.handle, 1);
    EXPECT_EQ(three->prev->data.handle, 1);
}

TEST(CTRing, SuccessfulLookupMakesTheEntryCurrent) {
    Ring ring;
    for (int h = 1; h <= 4; ++h) ring.Add({h, h * 10});
    auto* node = ring.Find(2);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->data.payload, 20);
    EXPECT_EQ(Current(ring), 2);
}

TEST(CTRing, FailedLookupRestsOnTheFormerLastNodeAndLosesNothing) {
    Ring ring;
    for (int h = 1; h <= 4; ++h) ring.Add({h, h * 10});
    // Current is 4; its predecessor (the last node) is 1.
    EXPECT_EQ(ring.Find(99), nullptr);
    EXPECT_EQ(Current(ring), 1);
    for (int h = 1; h <= 4; ++h) EXPECT_NE(ring.Find(h), nullptr) << h;
    EXPECT_EQ(ring.Count(), 4u);
}

TEST(CTRing, RemoveTakesOutExactlyTheEntryFound) {
    Ring ring;
    for (int h = 1; h <= 5; ++h) ring.Add({h, h * 10});
    ASSERT_NE(ring.Find(3), nullptr);
    EXPECT_TRUE(ring.Remove(3));
    EXPECT_EQ(ring.Count(), 4u);
    EXPECT_EQ(ring.Find(3), nullptr);
    for (int h : {1, 2, 4, 5}) {
        auto* node = ring.Find(h);
        ASSERT_NE(node, nullptr) << h;
        EXPECT_EQ(node->data.payload, h * 10);
        EXPECT_EQ(node->next->prev, node);
        EXPECT_EQ(node->prev->next, node);
    }
    EXPECT_FALSE(ring.Remove(3));
    ring.Clear();
    EXPECT_EQ(ring.Count(), 0u);
    EXPECT_EQ(ring.Find(1), nullptr);
}

TEST(SdkChain, HandlesAreNeverZeroAndNeverRepeatWhileRegistered) {
    std::vector<int> handles;
    for (int i = 0; i < 8; ++i) {
        const int h = Nodrix_Initialize(0);
        ASSERT_NE(h, 0);
        for (int other : handles) EXPECT_NE(h, other);
        handles.push_back(h);
    }
    for (int h : handles) EXPECT_EQ(Nodrix_Release(h), 1);
}

TEST(SdkChain, ConcurrentOpenUseAndRelease) {
    // Threads open, use and release their own connections while a reader
    // keeps looking up a shared one; every answer must stay consistent.
    const int shared = Nodrix_Initialize(0);
    ASSERT_NE(shared, 0);
    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};
    std::thread reader([&] {
        while (!stop) {
            if (Nodrix_Width(shared) != 1280) ++failures;
        }
    });
    std::vector<std::thread> workers;
    for (int t = 0; t < 3; ++t) {
        workers.emplace_back([&] {
            for (int i = 0; i < 5; ++i) {
                const int h = Nodrix_Initialize(0);
                if (h == 0 || Nodrix_GetWaitTime(h) < 0 || Nodrix_Release(h) != 1 ||
                    Nodrix_Release(h) != 0) {
                    ++failures;
                }
            }
        });
    }
    for (auto& w : workers) w.join();
    stop = true;
    reader.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(Nodrix_Release(shared), 1);
}

}  // namespace
}  // namespace nodrix
