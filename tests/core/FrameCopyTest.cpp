// The orientation rules of the frame copy, the buffer capacity rule and the
// ring's indices, without a camera.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <numeric>
#include <thread>
#include <vector>

#include "core/BufferCapacity.h"
#include "core/FrameCopy.h"
#include "core/FrameRing.h"

namespace nodrix::core {
namespace {

std::vector<std::uint8_t> Ramp(std::size_t bytes) {
    std::vector<std::uint8_t> v(bytes);
    std::iota(v.begin(), v.end(), std::uint8_t{1});
    return v;
}

TEST(FrameOrientation, CodesAndBottomUpFlag) {
    // The connection always passes the flag set: 1 and 2 keep the stored
    // row order, 3 and 4 reverse it; 2 and 4 mirror every row.
    EXPECT_FALSE(OrientationFor(1, true).reverseRows);
    EXPECT_FALSE(OrientationFor(1, true).reversePixels);
    EXPECT_FALSE(OrientationFor(2, true).reverseRows);
    EXPECT_TRUE(OrientationFor(2, true).reversePixels);
    EXPECT_TRUE(OrientationFor(3, true).reverseRows);
    EXPECT_FALSE(OrientationFor(3, true).reversePixels);
    EXPECT_TRUE(OrientationFor(4, true).reverseRows);
    EXPECT_TRUE(OrientationFor(4, true).reversePixels);
    // Without the flag the row rule inverts.
    EXPECT_TRUE(OrientationFor(1, false).reverseRows);
    EXPECT_FALSE(OrientationFor(3, false).reverseRows);
}

TEST(FrameCopy, Code4Reverses8BitRowsAndPixels) {
    const FrameGeometry g{3, 2, 1};
    const std::vector<std::uint8_t> src = {1, 2, 3, 4, 5, 6};
    std::vector<std::uint8_t> dst(6, 0);
    CopyFrameOriented(dst.data(), src.data(), g, OrientationFor(4, true));
    // The first output row is the last stored row, its pixels reversed.
    EXPECT_EQ(dst, (std::vector<std::uint8_t>{6, 5, 4, 3, 2, 1}));
}

TEST(FrameCopy, MirroredRowsMove16BitSamplesWhole) {
    const FrameGeometry g{2, 2, 2};
    const std::vector<std::uint8_t> src = {0x01, 0xA1, 0x02, 0xA2, 0x03, 0xA3, 0x04, 0xA4};
    std::vector<std::uint8_t> dst(8, 0);
    CopyFrameOriented(dst.data(), src.data(), g, OrientationFor(2, true));
    EXPECT_EQ(dst, (std::vector<std::uint8_t>{0x02, 0xA2, 0x01, 0xA1, 0x04, 0xA4, 0x03, 0xA3}));
    CopyFrameOriented(dst.data(), src.data(), g, OrientationFor(3, true));
    EXPECT_EQ(dst, (std::vector<std::uint8_t>{0x03, 0xA3, 0x04, 0xA4, 0x01, 0xA1, 0x02, 0xA2}));
}

TEST(FrameCopy, StoredOrderIsOneCopyOfTheFrame) {
    const FrameGeometry g{7, 5, 2};
    const auto src = Ramp(g.FrameBytes());
    std::vector<std::uint8_t> dst(g.FrameBytes() + 4, 0xEE);
    CopyFrameOriented(dst.data(), src.data(), g, OrientationFor(1, true));
    EXPECT_TRUE(std::equal(src.begin(), src.end(), dst.begin()));
    EXPECT_EQ(dst[g.FrameBytes()], 0xEE);  // nothing written past the frame
}

TEST(BufferCapacity, RoomForMarginRoundedTo8KiB) {
    EXPECT_EQ(TransferCapacity(1, 1, 1), 24576u);
    EXPECT_EQ(TransferCapacity(1280, 1024, 1), 1622016u);  // 1408 x 1152, already whole
    EXPECT_EQ(TransferCapacity(1280, 1023, 1), 1622016u);  // rounded up
    EXPECT_EQ(TransferCapacity(1280, 1024, 2), 2u * 1622016u);
}

TEST(FrameRing, IndicesNewestSlotAndUntakenFrames) {
    FrameRing ring;
    ASSERT_TRUE(ring.Allocate(16));
    EXPECT_EQ(ring.WriteIndex(), 0u);
    EXPECT_EQ(ring.NewestSlot(), 3u);
    EXPECT_FALSE(ring.HasUntakenFrame());

    const FrameGeometry g{4, 1, 1};
    std::uint8_t out[4] = {};
    for (std::uint8_t frame = 1; frame <= 5; ++frame) {
        const std::uint8_t pixels[4] = {frame, frame, frame, frame};
        ASSERT_TRUE(ring.StoreNext(pixels, 4));
        ASSERT_TRUE(ring.CopyOut(ring.NewestSlot(), out, g, {}));
        EXPECT_EQ(out[0], frame);
    }
    EXPECT_EQ(ring.WriteIndex(), 1u);  // five frames: slots 0,1,2,3,0
    ring.MarkAllTaken();
    EXPECT_FALSE(ring.HasUntakenFrame());
    // Exactly four frames behind is still four new frames.
    for (std::uint8_t frame = 6; frame <= 9; ++frame) {
        const std::uint8_t pixels[4] = {frame, frame, frame, frame};
        ASSERT_TRUE(ring.StoreNext(pixels, 4));
    }
    EXPECT_EQ(ring.WriteIndex(), 1u);
    EXPECT_TRUE(ring.HasUntakenFrame());
}

TEST(FrameRing, RefusesFramesLargerThanItsBuffers) {
    FrameRing ring;
    std::uint8_t big[32] = {};
    EXPECT_FALSE(ring.StoreNext(big, 1));  // no buffers yet
    ASSERT_TRUE(ring.Allocate(16));
    EXPECT_FALSE(ring.StoreNext(big, 32));
    EXPECT_FALSE(ring.CopyOut(0, big, FrameGeometry{32, 1, 1}, {}));
    EXPECT_FALSE(ring.CopyOut(0, nullptr, FrameGeometry{4, 1, 1}, {}));
    ring.Free();
    EXPECT_FALSE(ring.Ready());
}

// Frames are read straight into the ring while the reader copies out: what
// it gets is always one whole frame, never a mix of two nor a frame whose
// read failed halfway (value kBroken).
TEST(FrameRing, AFrameCopiedOutWhileTheNextIsReadIsWhole) {
    constexpr std::size_t kBytes = 4096;
    constexpr std::uint8_t kBroken = 0xEE;
    FrameRing ring;
    ASSERT_TRUE(ring.Allocate(kBytes));
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int frame = 1; frame <= 3000; ++frame) {
            const bool fails = frame % 3 == 0;
            const auto value = static_cast<std::uint8_t>(fails ? kBroken : 1 + frame % 200);
            ring.FillNext(
                [&](std::uint8_t* buffer, std::size_t) {
                    // In pieces, as the bulk reads arrive.
                    for (std::size_t at = 0; at < kBytes; at += kBytes / 4) {
                        std::fill_n(buffer + at, fails && at > 0 ? 0 : kBytes / 4, value);
                        std::this_thread::yield();
                    }
                    return !fails;
                },
                static_cast<std::uint32_t>(frame));
        }
        done = true;
    });
    const FrameGeometry g{kBytes, 1, 1};
    std::vector<std::uint8_t> out(kBytes);
    int copied = 0;
    bool whole = true;
    while (!done.load() && whole) {
        if (ring.CopyOutNewest(out.data(), g, {}) == 0) continue;
        ++copied;
        whole = out[0] != kBroken &&
                std::count(out.begin(), out.end(), out[0]) == static_cast<long>(kBytes);
    }
    writer.join();
    EXPECT_TRUE(whole) << "frame " << copied << " starts with " << int{out[0]};
    EXPECT_GT(copied, 0);
    EXPECT_EQ(ring.Info(ring.NewestSlot()).frameNumber, 2999u);
}

}  // namespace
}  // namespace nodrix::core
