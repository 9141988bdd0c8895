// The queue between the worker and the recording's writer: slots handed out
// in order, never more than an eighth of them to one write, a full queue
// refusing, and a producer woken when the writer frees a slot.
#include <gtest/gtest.h>

#include <thread>

#include "connection/RecordingQueue.h"

namespace nodrix::test {
namespace {

// Fills n slots, each with its running number in its first byte.
void Fill(RecordingQueue& queue, int n, int& next) {
    for (int i = 0; i < n; ++i) {
        std::uint8_t* slot = queue.Claim();
        ASSERT_NE(slot, nullptr);
        slot[0] = static_cast<std::uint8_t>(next++);
        queue.Publish();
    }
}

TEST(RecordingQueue, HandsOutSlotsInOrderAnEighthAtMostAndRefusesWhenFull) {
    RecordingQueue queue;
    ASSERT_TRUE(queue.Allocate(16, 16 * 24, 8));
    ASSERT_EQ(queue.Slots(), 24u);
    int next = 0;
    int expected = 0;
    const std::uint8_t* first = nullptr;
    EXPECT_EQ(queue.Filled(&first), 0u);
    // Twice round the block: every slot, then the wrap.
    for (int round = 0; round < 2; ++round) {
        Fill(queue, 24, next);
        EXPECT_EQ(queue.Claim(), nullptr);
        for (int taken = 0; taken < 24;) {
            const std::uint32_t filled = queue.Filled(&first);
            ASSERT_EQ(filled, 3u);
            for (std::uint32_t i = 0; i < filled; ++i) {
                EXPECT_EQ(first[16 * i], static_cast<std::uint8_t>(expected++));
            }
            queue.Release(filled);
            taken += static_cast<int>(filled);
        }
    }
    // Slots that lie across the block's end come in two runs.
    Fill(queue, 22, next);
    while (const std::uint32_t filled = queue.Filled(&first)) queue.Release(filled);
    Fill(queue, 4, next);
    EXPECT_EQ(queue.Filled(&first), 2u);
}

TEST(RecordingQueue, AProducerWaitingForASlotWakesWhenOneIsFreed) {
    RecordingQueue queue;
    ASSERT_TRUE(queue.Allocate(16, 16, 8));
    int next = 0;
    Fill(queue, 8, next);
    ASSERT_EQ(queue.Claim(), nullptr);
    std::thread writer([&] {
        const std::uint8_t* first = nullptr;
        queue.Release(queue.Filled(&first));
    });
    // Woken by the release, however late it comes (no time-out counted on).
    while (queue.Claim() == nullptr) queue.WaitForSlot(100);
    writer.join();
    EXPECT_NE(queue.Claim(), nullptr);
}

}  // namespace
}  // namespace nodrix::test
