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
    for (int taken = 0; taken < 21; taken += 3) queue.Release(queue.Filled(&first));
    Fill(queue, 4, next);
    EXPECT_EQ(queue.Filled(&first), 3u);
    queue.Release(3);
    EXPECT_EQ(queue.Filled(&first), 2u);
    // Once empty, the queue starts again at the block's start.
    queue.Release(2);
    const std::uint8_t* start = queue.Claim();
    queue.Publish();
    EXPECT_EQ(queue.Filled(&first), 1u);
    EXPECT_EQ(first, start);
    queue.Release(1);
    EXPECT_EQ(queue.Claim(), start);
}

TEST(RecordingQueue, TheWriterSleepsUntilAFullWriteIsQueuedOrTheEndIsAsked) {
    RecordingQueue queue;
    ASSERT_TRUE(queue.Allocate(16, 16 * 24, 8));
    int next = 0;
    Fill(queue, 3, next);
    // A full write (3 slots) queued: no sleep at all.
    queue.Wait(platform::kInfinite);
    const std::uint8_t* first = nullptr;
    queue.Release(queue.Filled(&first));
    // Woken by the frame that completes a full write, however late it comes.
    std::thread worker([&] {
        int n = 0;
        Fill(queue, 3, n);
    });
    queue.Wait(platform::kInfinite);
    worker.join();
    EXPECT_EQ(queue.Filled(&first), 3u);
    queue.Release(3);
    // The end asked for: no sleep from then on, whatever is queued.
    queue.Wake();
    queue.Wait(platform::kInfinite);
    queue.Wait(platform::kInfinite);
    // A new recording's queue sleeps again, on the memory it had.
    const std::uint8_t* start = queue.Claim();
    ASSERT_TRUE(queue.Allocate(16, 16 * 24, 8));
    EXPECT_EQ(queue.Claim(), start);
    EXPECT_FALSE(queue.Wait(0));
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
