// The stream of application buffers through its exports on the emulated
// camera: order and completeness, the frames without a buffer counted
// exactly, the pixels of both paths, waits ended by a cancel, a stop, a
// release or the camera's loss, the buffers' ownership rules, the frame
// callback beside the stream, and the stream among the acquisition modes.
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "NodrixSdkEx.h"
#include "acquisition/AcquisitionFixture.h"
#include "platform/Time.h"

namespace nodrix::test {
namespace {

// A generous bound for what must end "at once": far beyond any loaded
// machine, and still no hang.
constexpr auto kBounded = std::chrono::seconds(60);

class BufferStreamTest : public AcquisitionTest {
protected:
    BufferStreamTest() : AcquisitionTest(emulator::Pace::Sensor) {}
    void TearDown() override {
        if (handle_ != 0) NodrixEx_StreamStop(handle_);
        AcquisitionTest::TearDown();
    }

    NodrixExStreamInfo Info() {
        NodrixExStreamInfo info = {};
        info.size = sizeof info;
        EXPECT_EQ(NodrixEx_StreamGetInfo(handle_, &info), 1);
        return info;
    }
    NodrixExStreamStatistics Statistics() {
        NodrixExStreamStatistics s = {};
        s.size = sizeof s;
        EXPECT_EQ(NodrixEx_GetStreamStatistics(handle_, &s), 1);
        return s;
    }
    // Announces count buffers of the application's memory, one frame each
    // (or bytes), and queues them unless told not to.
    std::vector<int> Announce(int count, bool queue = true, std::size_t bytes = 0) {
        if (bytes == 0) bytes = static_cast<std::size_t>(Info().payloadBytes);
        std::vector<int> ids;
        for (int i = 0; i < count; ++i) {
            memory_.emplace_back(bytes);
            int id = 0;
            EXPECT_EQ(
                NodrixEx_StreamAnnounceBuffer(handle_, memory_.back().data(), bytes, nullptr, &id),
                1);
            if (queue) {
                EXPECT_EQ(NodrixEx_StreamQueueBuffer(handle_, id), 1);
            }
            ids.push_back(id);
        }
        return ids;
    }
    int Wait(NodrixExStreamBuffer* buffer, int timeoutMs = 20000) {
        buffer->size = sizeof *buffer;
        return NodrixEx_StreamWaitBuffer(handle_, timeoutMs, buffer);
    }
    static bool Balanced(const NodrixExStreamStatistics& s) {
        return s.framesReceived == s.framesDelivered + s.lostHeader + s.lostPayload + s.lostGap +
                                       s.lostOverwritten + s.lostBufferTooSmall + s.lostNoBuffer;
    }

    std::vector<std::vector<std::uint8_t>> memory_;
};

class BufferStreamBits : public BufferStreamTest, public ::testing::WithParamInterface<int> {};

TEST_P(BufferStreamBits, HandsOutEveryFrameInOrderWithTheRampsPixels) {
    NeutralPipeline();
    ASSERT_TRUE(SetBits(GetParam()));
    Announce(16);
    ASSERT_EQ(NodrixEx_StreamStart(handle_, 0), 1) << Nodrix_GetLastError(handle_);
    std::uint32_t previous = 0;
    NodrixExStreamBuffer b = {};
    for (int i = 0; i < 24; ++i) {
        ASSERT_EQ(Wait(&b), NODRIXEX_WAIT_BUFFER) << "frame " << i;
        // None is given up while buffers are queued.
        if (i > 0) {
            EXPECT_EQ(b.metadata.frameNumber, previous + 1);
            EXPECT_EQ(b.metadata.lostBefore, 0u);
        }
        previous = b.metadata.frameNumber;
        if (i < 23) {
            ASSERT_EQ(NodrixEx_StreamQueueBuffer(handle_, b.id), 1);
        }
    }
    // The last one stays the application's.
    EXPECT_EQ(b.width, 1280);
    EXPECT_EQ(b.height, 1024);
    EXPECT_EQ(b.bitsPerPixel, GetParam());
    EXPECT_EQ(b.stride, 1280 * GetParam() / 8);
    EXPECT_EQ(b.bytes, static_cast<std::size_t>(b.stride) * 1024);
    EXPECT_EQ(b.metadata.bitsPerPixel, GetParam());
    EXPECT_EQ(b.metadata.significantBits, GetParam() == 16 ? 12 : 8);
    EXPECT_TRUE(MatchesRamp(static_cast<const std::uint8_t*>(b.pixels), GetParam(), 0, 0, 1280,
                            1024, true));
    ASSERT_EQ(NodrixEx_StreamStop(handle_), 1);
    const NodrixExStreamStatistics s = Statistics();
    EXPECT_EQ(s.lostNoBuffer, 0u);
    EXPECT_TRUE(Balanced(s));
    EXPECT_EQ(Info().queued, 0);
    EXPECT_EQ(Info().announced, 16);
}

INSTANTIATE_TEST_SUITE_P(Grey, BufferStreamBits, ::testing::Values(8, 16));

}  // namespace
}  // namespace nodrix::test
