// The stream of application buffers through its exports on the emulated
// camera: order and completeness, the frames without a buffer counted
// exactly, the pixels of both paths, waits ended by a cancel, a stop, a
// release or the camera's loss, the buffers' ownership rules, the frame
// callback beside the stream, and the stream among the acquisition modes.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "NodrixSdkEx.h"
#include "acquisition/AcquisitionFixture.h"
#include "emulator/DriverProtocol.h"
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
    // The sizes of the bulk reads longer than a frame header the camera was
    // asked for since the request log was last emptied.
    std::vector<std::uint32_t> PayloadReads() {
        std::vector<std::uint32_t> sizes;
        for (const emulator::LoggedRequest& r : Driver().Requests()) {
            if (r.code == emulator::kIoctlQueuedTransfer && r.outSize > 64) {
                sizes.push_back(r.outSize);
            }
        }
        return sizes;
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
    Driver().ClearRequests();
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
    // Each payload came in one bulk read, straight into its buffer.
    const std::vector<std::uint32_t> reads = PayloadReads();
    EXPECT_GE(reads.size(), 24u);
    for (const std::uint32_t size : reads) EXPECT_EQ(size, b.bytes);
    const NodrixExStreamStatistics s = Statistics();
    EXPECT_EQ(s.lostNoBuffer, 0u);
    EXPECT_TRUE(Balanced(s));
    EXPECT_EQ(Info().queued, 0);
    EXPECT_EQ(Info().announced, 16);
}

INSTANTIATE_TEST_SUITE_P(Grey, BufferStreamBits, ::testing::Values(8, 16));

// The ring of the classic acquisition keeps its bulk reads of 512 KiB.
TEST_F(BufferStreamTest, SnapshotReadsThePayloadInPiecesOf512KiB) {
    NeutralPipeline();
    Driver().ClearRequests();
    ASSERT_FALSE(Snap().empty());
    // 1280 x 1024 bytes: two whole pieces and half of one.
    EXPECT_EQ(PayloadReads(), (std::vector<std::uint32_t>{0x80000, 0x80000, 0x40000}));
}

// A pipeline step converts each frame once into the buffer: the pixels a
// snapshot gives in the same settings. The ramp moves with the frame
// number, so the frames are compared where they show the same ramp values.
TEST_P(BufferStreamBits, ConvertedFramesHaveTheSnapshotsPixels) {
    NeutralPipeline();
    ASSERT_TRUE(SetBits(GetParam()));
    ASSERT_EQ(Nodrix_SetGamma(handle_, 160), 1);
    const std::vector<std::uint8_t> snap = Snap(GetParam());
    NodrixExFrameMetadata snapped = {};
    snapped.size = sizeof snapped;
    ASSERT_EQ(NodrixEx_GetFrameMetadata(handle_, &snapped), 1);
    Announce(4);
    ASSERT_EQ(NodrixEx_StreamStart(handle_, 0), 1) << Nodrix_GetLastError(handle_);
    NodrixExStreamBuffer b = {};
    ASSERT_EQ(Wait(&b), NODRIXEX_WAIT_BUFFER);
    ASSERT_EQ(b.stride, 1280 * GetParam() / 8);
    // 8 bits: x + y + n, so frame n + d is frame n moved d columns; 16 bits:
    // 4x + y + n, moved d / 4 columns and d % 4 rows.
    const std::uint32_t d = b.metadata.frameNumber - snapped.frameNumber;
    const int dx = GetParam() == 8 ? static_cast<int>(d % 256) : static_cast<int>((d % 4096) / 4);
    const int dy = GetParam() == 8 ? 0 : static_cast<int>(d % 4);
    const int bytes = GetParam() / 8;
    const auto* got = static_cast<const std::uint8_t*>(b.pixels);
    int wrong = 0;
    for (int y = 0; y + dy < 1024; y += 7) {
        for (int x = 0; x + dx < 1280; ++x) {
            const std::size_t at = (static_cast<std::size_t>(y) * 1280 + x) * bytes;
            const std::size_t from = (static_cast<std::size_t>(y + dy) * 1280 + x + dx) * bytes;
            if (std::memcmp(got + at, snap.data() + from, static_cast<std::size_t>(bytes)) != 0) {
                ++wrong;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    // Not the camera's samples: the gamma curve changed them.
    EXPECT_FALSE(MatchesRamp(got, GetParam(), 0, 0, 1280, 1024, true));
}

// Triggers whose frames the test waits for one by one: the statistics say
// when each has come.
class TriggeredStreamTest : public BufferStreamTest, public ::testing::WithParamInterface<int> {
protected:
    bool Fire(std::uint64_t* received) {
        // Until the stream has read the camera's trigger counter a trigger
        // may go unseen: fire again then.
        for (int attempt = 0; attempt < 40; ++attempt) {
            if (!Driver().Trigger(0, 1)) {
                platform::SleepMs(50);
                continue;
            }
            for (int look = 0; look < 100; ++look) {
                if (Statistics().framesReceived > *received) {
                    *received = Statistics().framesReceived;
                    return true;
                }
                platform::SleepMs(20);
            }
        }
        return false;
    }
};

// With two buffers and five frames, three are given up: the newest ones,
// or with recycling the oldest ones; each counted once, in lostNoBuffer
// and in the next frame's lostBefore.
TEST_P(TriggeredStreamTest, FramesWithoutABufferAreCountedExactly) {
    NeutralPipeline();
    const std::vector<int> ids = Announce(2);
    const bool recycle = GetParam() != 0;
    ASSERT_EQ(NodrixEx_StreamStart(handle_, NODRIXEX_STREAM_TRIGGER | GetParam()), 1);
    std::uint64_t received = Statistics().framesReceived;
    for (int frame = 0; frame < 5; ++frame) ASSERT_TRUE(Fire(&received)) << "frame " << frame;
    EXPECT_EQ(Info().filled, 2);
    EXPECT_EQ(Statistics().lostNoBuffer, 3u);
    NodrixExStreamBuffer first = {};
    NodrixExStreamBuffer second = {};
    ASSERT_EQ(Wait(&first), NODRIXEX_WAIT_BUFFER);
    ASSERT_EQ(Wait(&second), NODRIXEX_WAIT_BUFFER);
    EXPECT_EQ(static_cast<std::uint8_t>(second.metadata.frameNumber - first.metadata.frameNumber),
              1);
    ASSERT_EQ(NodrixEx_StreamQueueBuffer(handle_, first.id), 1);
    ASSERT_EQ(NodrixEx_StreamQueueBuffer(handle_, second.id), 1);
    ASSERT_TRUE(Fire(&received));
    NodrixExStreamBuffer third = {};
    ASSERT_EQ(Wait(&third), NODRIXEX_WAIT_BUFFER);
    EXPECT_EQ(static_cast<std::uint8_t>(third.metadata.frameNumber - second.metadata.frameNumber),
              recycle ? 1 : 4);
    EXPECT_EQ(first.metadata.lostBefore + second.metadata.lostBefore + third.metadata.lostBefore,
              3u);
    EXPECT_TRUE(
        MatchesRamp(static_cast<const std::uint8_t*>(third.pixels), 8, 0, 0, 1280, 1024, true));
    ASSERT_EQ(NodrixEx_StreamStop(handle_), 1);
    const NodrixExStreamStatistics s = Statistics();
    EXPECT_EQ(s.lostNoBuffer, 3u);
    EXPECT_EQ(s.framesDelivered, 3u);
    EXPECT_TRUE(Balanced(s));
}

INSTANTIATE_TEST_SUITE_P(Policies, TriggeredStreamTest,
                         ::testing::Values(0, NODRIXEX_STREAM_RECYCLE_OLDEST));

TEST_F(BufferStreamTest, CancelWakesAWaiterFromAnotherThreadAndStaysUntilLifted) {
    ASSERT_EQ(NodrixEx_StreamStart(handle_, 0), 1);  // no buffer: no frame comes
    auto waiter = std::async(std::launch::async, [&] {
        NodrixExStreamBuffer b = {};
        return Wait(&b, NODRIXEX_WAIT_INFINITE);
    });
    // A cancel without the lasting flag wakes only a thread already waiting.
    while (waiter.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
        ASSERT_EQ(NodrixEx_StreamCancelWaits(handle_, 0), 1);
    }
    EXPECT_EQ(waiter.get(), NODRIXEX_WAIT_CANCELLED);
    NodrixExStreamBuffer b = {};
    EXPECT_EQ(Wait(&b, 0), NODRIXEX_WAIT_TIMEOUT);
    ASSERT_EQ(NodrixEx_StreamCancelWaits(handle_, 1), 1);
    EXPECT_EQ(Wait(&b, NODRIXEX_WAIT_INFINITE), NODRIXEX_WAIT_CANCELLED);
    EXPECT_EQ(Wait(&b, 1000), NODRIXEX_WAIT_CANCELLED);
    ASSERT_EQ(NodrixEx_StreamCancelWaits(handle_, 0), 1);
    EXPECT_EQ(Wait(&b, 0), NODRIXEX_WAIT_TIMEOUT);
}

// How a waiting thread's stream ends, and in which state.
enum class Ending { kStop, kStopPreview, kRelease };
enum class Camera { kFreeRunning, kTriggered, kUnplugged };
struct EndCase {
    Camera camera;
    Ending ending;
};

class StreamEndTest : public BufferStreamTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(StreamEndTest, EndsAWaitingThreadsWaitAtOnce) {
    testing::TimeSpeedup faster(10);  // the transport's retries take seconds
    const EndCase c = GetParam();
    Announce(2, false);  // none queued: the waiter waits for ever
    ASSERT_EQ(NodrixEx_StreamStart(handle_, c.camera == Camera::kTriggered ? 1 : 0), 1);
    if (c.camera == Camera::kUnplugged) {
        ASSERT_TRUE(Driver().Unplug(0));
    }
    const int handle = handle_;
    std::atomic<bool> calling{false};
    auto waiter = std::async(std::launch::async, [handle, &calling] {
        NodrixExStreamBuffer b = {};
        b.size = sizeof b;
        calling = true;
        return NodrixEx_StreamWaitBuffer(handle, NODRIXEX_WAIT_INFINITE, &b);
    });
    // The waiter in its wait before the end: a handle released before the
    // call would rightly be refused as unknown (a thread can take long to
    // start on a loaded machine).
    while (!calling) platform::SleepMs(1);
    platform::SleepMs(100);
    auto ending = std::async(std::launch::async, [handle, c] {
        switch (c.ending) {
            case Ending::kStop:
                return NodrixEx_StreamStop(handle);
            case Ending::kStopPreview:
                return Nodrix_StopPreview(handle);
            case Ending::kRelease:
                return Nodrix_Release(handle);
        }
        return 0;
    });
    ASSERT_EQ(ending.wait_for(kBounded), std::future_status::ready);
    ASSERT_EQ(waiter.wait_for(kBounded), std::future_status::ready);
    EXPECT_EQ(ending.get(), 1);
    const int result = waiter.get();
    // An unplugged camera may be found lost before the stop.
    if (c.camera == Camera::kUnplugged && result == NODRIXEX_WAIT_FAILED) return;
    EXPECT_EQ(result, NODRIXEX_WAIT_STOPPED);
    if (c.ending == Ending::kRelease) {
        handle_ = 0;
        return;
    }
    EXPECT_EQ(Info().running, 0);
    EXPECT_EQ(Info().announced, 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, StreamEndTest,
                         ::testing::Values(EndCase{Camera::kFreeRunning, Ending::kStop},
                                           EndCase{Camera::kFreeRunning, Ending::kStopPreview},
                                           EndCase{Camera::kFreeRunning, Ending::kRelease},
                                           EndCase{Camera::kTriggered, Ending::kStop},
                                           EndCase{Camera::kTriggered, Ending::kRelease},
                                           EndCase{Camera::kUnplugged, Ending::kStop},
                                           EndCase{Camera::kUnplugged, Ending::kRelease}));

TEST_F(BufferStreamTest, LostCameraEndsTheStreamAndReturnsItsBuffers) {
    testing::TimeSpeedup faster(10);
    const std::vector<int> ids = Announce(3);
    ASSERT_EQ(NodrixEx_StreamStart(handle_, 0), 1);
    NodrixExStreamBuffer b = {};
    ASSERT_EQ(Wait(&b), NODRIXEX_WAIT_BUFFER);
    ASSERT_TRUE(Driver().Unplug(0));
    ASSERT_EQ(NodrixEx_StreamQueueBuffer(handle_, b.id), 1);
    int result = NODRIXEX_WAIT_BUFFER;
    while (result == NODRIXEX_WAIT_BUFFER) {
        result = Wait(&b, NODRIXEX_WAIT_INFINITE);
        if (result == NODRIXEX_WAIT_BUFFER) NodrixEx_StreamQueueBuffer(handle_, b.id);
    }
    EXPECT_EQ(result, NODRIXEX_WAIT_FAILED);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_CAMERA_LOST);
    const NodrixExStreamInfo info = Info();
    EXPECT_EQ(info.running, 0);
    EXPECT_EQ(info.queued + info.filled, 0);
    for (const int id : ids)
        EXPECT_EQ(NodrixEx_StreamRevokeBuffer(handle_, id, nullptr, nullptr), 1);
    EXPECT_EQ(NodrixEx_StreamStop(handle_), 1);
    EXPECT_EQ(Wait(&b, 0), NODRIXEX_WAIT_STOPPED);
}

// The buffers' states decide what the application may do with them.
TEST_F(BufferStreamTest, RefusesWhatTheBuffersStatesForbid) {
    int id = 0;
    std::vector<std::uint8_t> small(1000);
    EXPECT_EQ(NodrixEx_StreamAnnounceBuffer(handle_, small.data(), small.size(), nullptr, nullptr),
              0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(NodrixEx_StreamAnnounceBuffer(handle_, small.data(), 0, nullptr, &id), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_INVALID_ARGUMENT);
    // A buffer too small for a frame: nothing starts.
    ASSERT_EQ(NodrixEx_StreamAnnounceBuffer(handle_, small.data(), small.size(), &small, &id), 1);
    EXPECT_EQ(NodrixEx_StreamStart(handle_, 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_MEMORY);
    EXPECT_EQ(Info().running, 0);
    EXPECT_EQ(NodrixEx_StreamStart(handle_, 0x100), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_INVALID_ARGUMENT);
    void* memory = nullptr;
    void* user = nullptr;
    ASSERT_EQ(NodrixEx_StreamRevokeBuffer(handle_, id, &memory, &user), 1);
    EXPECT_EQ(memory, small.data());
    EXPECT_EQ(user, &small);
    EXPECT_EQ(NodrixEx_StreamRevokeBuffer(handle_, id, nullptr, nullptr), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_INVALID_ARGUMENT);

    // Memory of the library's: freed at revoke, never handed back.
    const std::size_t bytes = static_cast<std::size_t>(Info().payloadBytes);
    ASSERT_EQ(NodrixEx_StreamAnnounceBuffer(handle_, nullptr, bytes, nullptr, &id), 1);
    ASSERT_EQ(NodrixEx_StreamQueueBuffer(handle_, id), 1);
    EXPECT_EQ(NodrixEx_StreamQueueBuffer(handle_, id), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(NodrixEx_StreamRevokeBuffer(handle_, id, nullptr, nullptr), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_NO_CORE);
    // A stop gives queued buffers back even when no stream ran.
    ASSERT_EQ(NodrixEx_StreamStop(handle_), 1);
    EXPECT_EQ(Info().queued, 0);
    ASSERT_EQ(NodrixEx_StreamQueueBuffer(handle_, id), 1);
    ASSERT_EQ(NodrixEx_StreamStart(handle_, 0), 1);
    // Into a running stream only what holds a frame is queued.
    int smallId = 0;
    ASSERT_EQ(NodrixEx_StreamAnnounceBuffer(handle_, small.data(), small.size(), nullptr, &smallId),
              1);
    EXPECT_EQ(NodrixEx_StreamQueueBuffer(handle_, smallId), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_MEMORY);
    NodrixExStreamBuffer b = {};
    ASSERT_EQ(Wait(&b), NODRIXEX_WAIT_BUFFER);
    EXPECT_NE(b.pixels, nullptr);
    EXPECT_EQ(b.capacity, bytes);
    b.size = 4;
    EXPECT_EQ(NodrixEx_StreamWaitBuffer(handle_, 0, &b), NODRIXEX_WAIT_FAILED);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_INVALID_ARGUMENT);
    b.size = sizeof b;
    EXPECT_EQ(NodrixEx_StreamWaitBuffer(handle_, -2, &b), NODRIXEX_WAIT_FAILED);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_INVALID_ARGUMENT);
    ASSERT_EQ(NodrixEx_StreamStop(handle_), 1);
    EXPECT_EQ(NodrixEx_StreamWaitBuffer(handle_, 0, &b), NODRIXEX_WAIT_STOPPED);
    memory = &small;
    ASSERT_EQ(NodrixEx_StreamRevokeBuffer(handle_, id, &memory, nullptr), 1);
    EXPECT_EQ(memory, nullptr);
    // An unknown handle records nothing and fails.
    EXPECT_EQ(NodrixEx_StreamWaitBuffer(handle_ + 1, 0, &b), NODRIXEX_WAIT_FAILED);
    EXPECT_EQ(NodrixEx_StreamStart(handle_ + 1, 0), 0);
}

// What the frame callback saw, and whether the stream calls made from it
// were refused.
struct CallbackProbe {
    std::atomic<int> calls{0};
    std::atomic<std::uint32_t> lastFrameNumber{0};
    std::atomic<const void*> lastPixels{nullptr};
    std::atomic<int> refusedInside{-1};
};

void NODRIX_CALL OnStreamFrame(int handle, const NodrixExFrame* frame, void* user) {
    auto& probe = *static_cast<CallbackProbe*>(user);
    if (probe.refusedInside.load() < 0) {
        NodrixExStreamBuffer b = {};
        b.size = sizeof b;
        const bool waitRefused = NodrixEx_StreamWaitBuffer(handle, 0, &b) == NODRIXEX_WAIT_FAILED &&
                                 Nodrix_GetLastError(handle) == NODRIX_ERROR_NO_CORE;
        const bool stopRefused =
            NodrixEx_StreamStop(handle) == 0 && Nodrix_GetLastError(handle) == NODRIX_ERROR_NO_CORE;
        probe.refusedInside = waitRefused && stopRefused ? 1 : 0;
    }
    probe.lastFrameNumber = frame->metadata.frameNumber;
    probe.lastPixels = frame->pixels;
    ++probe.calls;
}

TEST_F(BufferStreamTest, FrameCallbackSeesEveryBufferBeforeItIsHandedOut) {
    NeutralPipeline();
    CallbackProbe probe;
    ASSERT_EQ(NodrixEx_SetFrameCallback(handle_, OnStreamFrame, &probe), 1);
    Announce(4);
    ASSERT_EQ(NodrixEx_StreamStart(handle_, 0), 1);
    for (int i = 0; i < 5; ++i) {
        NodrixExStreamBuffer b = {};
        ASSERT_EQ(Wait(&b), NODRIXEX_WAIT_BUFFER);
        EXPECT_GE(probe.calls.load(), i + 1);
        if (i == 4) {
            // Held by the application: the stream's thread called back with
            // it last, unless a later frame went into another buffer.
            const bool latest = probe.lastFrameNumber.load() == b.metadata.frameNumber;
            if (latest) {
                EXPECT_EQ(probe.lastPixels.load(), b.pixels);
            }
        }
        ASSERT_EQ(NodrixEx_StreamQueueBuffer(handle_, b.id), 1);
    }
    ASSERT_EQ(NodrixEx_StreamStop(handle_), 1);
    EXPECT_EQ(probe.refusedInside.load(), 1);
    ASSERT_EQ(NodrixEx_SetFrameCallback(handle_, nullptr, nullptr), 1);
}

// The frame callback sees each stream frame with the metadata its buffer is
// then handed out with, lostBefore included, while frames are lost for want
// of a buffer: on the path straight into the buffer and on the converting
// one (a gamma step).
struct SeenMetadata {
    std::mutex lock;
    std::vector<NodrixExFrameMetadata> frames;
};

void NODRIX_CALL RememberMetadata(int, const NodrixExFrame* frame, void* user) {
    auto& seen = *static_cast<SeenMetadata*>(user);
    std::lock_guard<std::mutex> guard(seen.lock);
    seen.frames.push_back(frame->metadata);
}

class CallbackMetadataTest : public BufferStreamTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CallbackMetadataTest, IsTheMetadataTheBufferIsHandedOutWith) {
    NeutralPipeline();
    if (GetParam()) {
        ASSERT_EQ(Nodrix_SetGamma(handle_, 160), 1);
    }
    SeenMetadata seen;
    ASSERT_EQ(NodrixEx_SetFrameCallback(handle_, RememberMetadata, &seen), 1);
    Announce(2);
    ASSERT_EQ(NodrixEx_StreamStart(handle_, 0), 1) << Nodrix_GetLastError(handle_);
    std::vector<NodrixExFrameMetadata> handedOut;
    for (int round = 0; round < 3; ++round) {
        // Both buffers filled, and frames given up, before they come back.
        const std::uint64_t lost = Statistics().lostNoBuffer;
        for (int look = 0; look < 2000 && Statistics().lostNoBuffer < lost + 2; ++look) {
            platform::SleepMs(10);
        }
        NodrixExStreamBuffer b[2] = {};
        for (auto& buffer : b) {
            ASSERT_EQ(Wait(&buffer), NODRIXEX_WAIT_BUFFER);
            handedOut.push_back(buffer.metadata);
        }
        for (auto& buffer : b) ASSERT_EQ(NodrixEx_StreamQueueBuffer(handle_, buffer.id), 1);
    }
    ASSERT_EQ(NodrixEx_StreamStop(handle_), 1);
    ASSERT_EQ(NodrixEx_SetFrameCallback(handle_, nullptr, nullptr), 1);
    std::uint32_t lostBefore = 0;
    for (const NodrixExFrameMetadata& m : handedOut) {
        const auto called =
            std::find_if(seen.frames.begin(), seen.frames.end(),
                         [&](const auto& s) { return s.frameNumber == m.frameNumber; });
        ASSERT_NE(called, seen.frames.end()) << "frame " << m.frameNumber;
        EXPECT_EQ(called->lostBefore, m.lostBefore) << "frame " << m.frameNumber;
        EXPECT_EQ(std::memcmp(&*called, &m, sizeof m), 0) << "frame " << m.frameNumber;
        lostBefore += m.lostBefore;
    }
    EXPECT_GE(lostBefore, 4u);
}

INSTANTIATE_TEST_SUITE_P(Paths, CallbackMetadataTest, ::testing::Values(false, true));

// The stream is one acquisition mode among the others: each excludes the
// rest (error 1), and Nodrix_StopPreview ends it.
TEST_F(BufferStreamTest, ExcludesTheOtherAcquisitionModes) {
    NeutralPipeline();
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(frameBytes_));
    const int size = frameBytes_;
    Announce(4);
    ASSERT_EQ(NodrixEx_StreamStart(handle_, 0), 1);
    const struct {
        const char* name;
        std::function<int()> call;
    } others[] = {
        {"Preview", [&] { return Nodrix_Preview(handle_); }},
        {"CallBackPreview",
         [&] { return Nodrix_CallBackPreview(handle_, 0, frame.data(), size, 1); }},
        {"StartPreview", [&] { return Nodrix_StartPreview(handle_); }},
        {"Capture", [&] { return Nodrix_Capture(handle_); }},
        {"SnapShot", [&] { return Nodrix_SnapShot(handle_, frame.data(), size, 1); }},
        {"Trigger", [&] { return Nodrix_Trigger(handle_, 0, frame.data(), size, 1); }},
        {"Record", [&] { return Nodrix_Record(handle_, "never.avi", 1000, 0); }},
        // Not a mode, but the running buffers are shaped for the colour mode.
        {"SetColorMode", [&] { return Nodrix_SetColorMode(handle_, 16); }},
        // The stream's frames are the application's; none is in the output
        // image.
        {"GetImage", [&] { return Nodrix_GetImage(handle_, frame.data(), size, 1); }},
    };
    for (const auto& other : others) {
        EXPECT_EQ(other.call(), 0) << other.name;
        EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_NO_CORE) << other.name;
        NodrixExStreamBuffer b = {};
        ASSERT_EQ(Wait(&b), NODRIXEX_WAIT_BUFFER) << "after " << other.name;
        ASSERT_EQ(NodrixEx_StreamQueueBuffer(handle_, b.id), 1);
    }
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    EXPECT_EQ(Info().running, 0);
    ASSERT_EQ(Nodrix_StartPreview(handle_), 1);
    EXPECT_EQ(NodrixEx_StreamStart(handle_, 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_NO_CORE);
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    ASSERT_EQ(NodrixEx_StreamStart(handle_, 0), 1);
}

}  // namespace
}  // namespace nodrix::test

namespace nodrix::test {
namespace {

// Each connection's stream runs on threads of its own: two cameras stream
// at once, each frame of each in order.
TEST(BufferStreamTwoCameras, StreamAtOnceEachInOrder) {
    testing::InstalledEmulator emulator{
        testing::CamerasOf({0x33B0, 0x33B0}, emulator::Pace::Sensor)};
    std::vector<int> handles;
    for (int camera = 0; camera < 2; ++camera) {
        const int h = Nodrix_Initialize(0);
        ASSERT_NE(h, 0);
        ASSERT_EQ(Nodrix_SetDeviceNumber(h, camera), 1);
        ASSERT_EQ(Nodrix_SetPreviewWindow(h, 0, 0, 0, 0, 0), 1);
        handles.push_back(h);
    }
    std::vector<std::future<int>> streams;
    for (const int h : handles) {
        streams.push_back(std::async(std::launch::async, [h] {
            int inOrder = 0;
            std::uint32_t previous = 0;
            for (int i = 0; i < 8; ++i) {
                int id = 0;
                if (NodrixEx_StreamAnnounceBuffer(h, nullptr, 1280 * 1024 * 2, nullptr, &id) != 1 ||
                    NodrixEx_StreamQueueBuffer(h, id) != 1) {
                    return -1;
                }
            }
            if (NodrixEx_StreamStart(h, 0) != 1) return -2;
            for (int i = 0; i < 16; ++i) {
                NodrixExStreamBuffer b = {};
                b.size = sizeof b;
                if (NodrixEx_StreamWaitBuffer(h, 20000, &b) != NODRIXEX_WAIT_BUFFER) return -3;
                if (i == 0 || b.metadata.frameNumber == previous + 1) ++inOrder;
                previous = b.metadata.frameNumber;
                NodrixEx_StreamQueueBuffer(h, b.id);
            }
            return NodrixEx_StreamStop(h) == 1 ? inOrder : -4;
        }));
    }
    for (auto& stream : streams) EXPECT_EQ(stream.get(), 16);
    for (const int h : handles) Nodrix_Release(h);
}

}  // namespace
}  // namespace nodrix::test
