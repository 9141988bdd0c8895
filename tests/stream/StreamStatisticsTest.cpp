// Frame metadata and stream statistics through the extension exports: the
// camera's frame numbers, every fault of the emulated camera counted under
// its own loss reason, and the balance of received, delivered and lost.
#include <atomic>
#include <cstring>

#include "NodrixSdkEx.h"
#include "acquisition/AcquisitionFixture.h"
#include "platform/Time.h"

namespace nodrix::test {
namespace {

NodrixExStreamStatistics Statistics(int handle) {
    NodrixExStreamStatistics s = {};
    s.size = sizeof s;
    EXPECT_EQ(NodrixEx_GetStreamStatistics(handle, &s), 1);
    return s;
}

std::uint64_t Lost(const NodrixExStreamStatistics& s) {
    return s.lostHeader + s.lostPayload + s.lostGap + s.lostOverwritten + s.lostBufferTooSmall;
}

// Waits until the statistics show frames delivered, for up to 20 s of real
// time.
void WaitForDelivered(int handle, std::uint64_t frames) {
    const std::uint32_t limit = 20000 * platform::TimeSpeedup();
    const std::uint32_t start = platform::TickCount();
    while (Statistics(handle).framesDelivered < frames && platform::TickCount() - start < limit) {
        platform::SleepMs(10);
    }
}

NodrixExFrameMetadata Metadata(int handle) {
    NodrixExFrameMetadata m = {};
    m.size = sizeof m;
    EXPECT_EQ(NodrixEx_GetFrameMetadata(handle, &m), 1);
    return m;
}

TEST_F(AcquisitionTest, SnapshotMetadataFollowsTheCamerasNumbersAcrossTheWrap) {
    Driver().SetNextFrameNumber(0, 0xFFFFFFFEu);
    std::vector<std::uint8_t> buffer(frameBytes_);
    std::uint64_t previousUs = 0;
    for (const std::uint32_t expected : {0xFFFFFFFEu, 0xFFFFFFFFu, 0u, 1u}) {
        ASSERT_EQ(Nodrix_SnapShot(handle_, buffer.data(), frameBytes_, 1), 1);
        const NodrixExFrameMetadata m = Metadata(handle_);
        EXPECT_EQ(m.size, sizeof m);
        EXPECT_EQ(m.frameNumber, expected);
        EXPECT_GT(m.timestampUs, previousUs);
        previousUs = m.timestampUs;
        EXPECT_EQ(m.lostBefore, 0u);
        EXPECT_EQ(m.exposure10 * 100, Nodrix_GetRealExposureTime(handle_, nullptr));
        EXPECT_EQ(m.x, 0);
        EXPECT_EQ(m.y, 0);
        EXPECT_EQ(m.width, 1280);
        EXPECT_EQ(m.height, 1024);
        EXPECT_EQ(m.bitsPerPixel, bits_);
        EXPECT_EQ(m.significantBits, bits_ == 8 ? 8 : 12);
        // The pixels are those of the frame the number names.
        const int first = bits_ == 8 ? buffer[0] : buffer[0] | (buffer[1] << 8);
        EXPECT_EQ(static_cast<std::uint32_t>(first), expected & (bits_ == 8 ? 0xFFu : 0xFFFu));
    }
    // GetImage hands out the same frame again.
    ASSERT_EQ(Nodrix_GetImage(handle_, buffer.data(), frameBytes_, 1), 1);
    EXPECT_EQ(Metadata(handle_).frameNumber, 1u);
    const NodrixExStreamStatistics s = Statistics(handle_);
    EXPECT_EQ(s.framesReceived, 4u);
    EXPECT_EQ(s.framesDelivered, 4u);
    EXPECT_EQ(Lost(s), 0u);
}

// One fault of the emulated camera per case, during a preview; the frames
// it costs appear under the reason named, and nowhere else but in the
// ring's overwrites (the camera runs as fast as frames are read).
struct FaultCase {
    const char* name;
    void (*apply)(emulator::FaultConfig&);
    std::uint64_t NodrixExStreamStatistics::*reason;
    std::uint64_t lost;
    bool timeOuts;
};

const FaultCase kFaultCases[] = {
    {"fail_header", [](emulator::FaultConfig& f) { f.failHeaderReads = 2; },
     &NodrixExStreamStatistics::lostHeader, 2, false},
    {"truncate_header", [](emulator::FaultConfig& f) { f.truncateHeaderReads = 2; },
     &NodrixExStreamStatistics::lostHeader, 2, false},
    {"delay_header", [](emulator::FaultConfig& f) { f.delayHeaderReads = 1; },
     &NodrixExStreamStatistics::lostHeader, 1, true},
    {"fail_payload", [](emulator::FaultConfig& f) { f.failPayloadReads = 2; },
     &NodrixExStreamStatistics::lostPayload, 2, false},
    {"truncate_payload", [](emulator::FaultConfig& f) { f.truncatePayloadReads = 2; },
     &NodrixExStreamStatistics::lostPayload, 2, false},
    {"delay_payload", [](emulator::FaultConfig& f) { f.delayPayloadReads = 1; },
     &NodrixExStreamStatistics::lostPayload, 1, true},
    {"drop_frames", [](emulator::FaultConfig& f) { f.droppedFrames = 3; },
     &NodrixExStreamStatistics::lostGap, 3, false},
};

bool FaultsPending(const emulator::FaultConfig& f) {
    return f.failHeaderReads + f.truncateHeaderReads + f.delayHeaderReads + f.failPayloadReads +
               f.truncatePayloadReads + f.delayPayloadReads + f.droppedFrames !=
           0;
}

TEST_F(AcquisitionTest, EachFaultIsCountedUnderItsReasonAndTheBalanceHolds) {
    for (const FaultCase& c : kFaultCases) {
        SCOPED_TRACE(c.name);
        // Time-outs of seconds pass in a fifth of that; not less, so that a
        // loaded machine still reads every other frame in time.
        testing::TimeSpeedup speedup(c.timeOuts ? 5 : 1);
        ASSERT_EQ(NodrixEx_ResetStreamStatistics(handle_), 1);
        ASSERT_EQ(Nodrix_StartPreview(handle_), 1);
        // Once the stream runs, so that a gap has a frame number before it.
        WaitForDelivered(handle_, 2);
        emulator::FaultConfig faults;
        faults.delayMs = 60000;
        c.apply(faults);
        Driver().SetFaults(0, faults);
        const std::uint32_t start = platform::TickCount();
        while (FaultsPending(Driver().Faults(0)) &&
               platform::TickCount() - start < 20000 * platform::TimeSpeedup()) {
            platform::SleepMs(10);
        }
        ASSERT_FALSE(FaultsPending(Driver().Faults(0)));
        WaitForDelivered(handle_, Statistics(handle_).framesDelivered + 3);
        ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
        const NodrixExStreamStatistics s = Statistics(handle_);
        EXPECT_GE(s.framesDelivered, 5u);
        EXPECT_EQ(s.*c.reason, c.lost);
        EXPECT_EQ(s.lostHeader + s.lostPayload + s.lostGap, c.lost);
        EXPECT_EQ(s.lostBufferTooSmall, 0u);
        if (c.reason == &NodrixExStreamStatistics::lostGap) {
            EXPECT_EQ(s.recoveries, 0u);
        } else {
            EXPECT_GE(s.recoveries, 1u);
        }
        // Stopped, nothing is in flight.
        EXPECT_EQ(s.framesReceived, s.framesDelivered + Lost(s));
        EXPECT_GT(s.receivedRate, 0.0);
        EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
    }
}

TEST_F(AcquisitionTest, FramesForABufferTooSmallAreLostAsSuchAndResetClearsAll) {
    std::vector<std::uint8_t> buffer(frameBytes_);
    ASSERT_EQ(Nodrix_CallBackPreview(handle_, 0, buffer.data(), frameBytes_ - 1, 1), 1);
    const std::uint32_t start = platform::TickCount();
    while (Statistics(handle_).lostBufferTooSmall < 3 && platform::TickCount() - start < 20000) {
        platform::SleepMs(10);
    }
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    NodrixExStreamStatistics s = Statistics(handle_);
    EXPECT_GE(s.lostBufferTooSmall, 3u);
    EXPECT_EQ(s.framesDelivered, 0u);
    EXPECT_EQ(s.framesReceived, Lost(s));

    ASSERT_EQ(NodrixEx_ResetStreamStatistics(handle_), 1);
    s = Statistics(handle_);
    EXPECT_EQ(s.framesReceived + s.framesDelivered + Lost(s) + s.recoveries, 0u);
    EXPECT_EQ(s.receivedRate + s.deliveredRate, 0.0);
    // A delivered frame after frames lost says how many went before it.
    ASSERT_EQ(Nodrix_SnapShot(handle_, buffer.data(), frameBytes_, 1), 1);
    EXPECT_GE(Metadata(handle_).lostBefore, 3u);
    s = Statistics(handle_);
    EXPECT_EQ(s.framesReceived, 1u);
    EXPECT_EQ(s.framesDelivered, 1u);
}

TEST_F(AcquisitionTest, ExtensionArgumentsAreCheckedLikeTheClassicExports) {
    EXPECT_EQ(NodrixEx_GetApiVersion(), NODRIXEX_API_VERSION);
    for (int code = -1; code <= 16; ++code) {
        const bool known = code >= 0 && code <= NODRIX_ERROR_FILE && code != 10;
        const std::string text = NodrixEx_ErrorText(code);
        EXPECT_EQ(text == "unknown error code", !known) << code;
        EXPECT_EQ(text.find('\n'), std::string::npos) << code;
    }

    // Unknown handle: failure, nothing written, nothing recorded.
    NodrixExFrameMetadata m;
    std::memset(&m, 0xAB, sizeof m);
    m.size = sizeof m;
    NodrixExStreamStatistics s;
    std::memset(&s, 0xAB, sizeof s);
    s.size = sizeof s;
    const NodrixExFrameMetadata mBefore = m;
    const NodrixExStreamStatistics sBefore = s;
    const int unknown = handle_ + 1;
    EXPECT_EQ(NodrixEx_GetFrameMetadata(unknown, &m), 0);
    EXPECT_EQ(NodrixEx_GetStreamStatistics(unknown, &s), 0);
    EXPECT_EQ(NodrixEx_ResetStreamStatistics(unknown), 0);
    EXPECT_EQ(NodrixEx_SetFrameCallback(unknown, nullptr, nullptr), 0);
    EXPECT_EQ(std::memcmp(&m, &mBefore, sizeof m), 0);
    EXPECT_EQ(std::memcmp(&s, &sBefore, sizeof s), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);

    // Missing or too small records: error 9. No frame yet: error 8.
    EXPECT_EQ(NodrixEx_GetFrameMetadata(handle_, nullptr), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_INVALID_ARGUMENT);
    s.size = 4;
    EXPECT_EQ(NodrixEx_GetStreamStatistics(handle_, &s), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(NodrixEx_GetFrameMetadata(handle_, &m), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_FRAME);

    // A record of an older, shorter layout is filled only up to its size.
    std::vector<std::uint8_t> buffer(frameBytes_);
    ASSERT_EQ(Nodrix_SnapShot(handle_, buffer.data(), frameBytes_, 1), 1);
    std::memset(&s, 0xAB, sizeof s);
    s.size = 24;
    ASSERT_EQ(NodrixEx_GetStreamStatistics(handle_, &s), 1);
    EXPECT_EQ(s.size, 24u);
    EXPECT_EQ(s.framesReceived, 1u);
    EXPECT_EQ(s.framesDelivered, 1u);
    EXPECT_EQ(std::memcmp(&s.lostHeader, &sBefore.lostHeader, sizeof s - 24), 0);
}

struct CallbackCount {
    std::atomic<std::uint64_t> calls{0};
    std::atomic<std::uint32_t> lastFrameNumber{0};
};

void NODRIX_CALL CountFrame(int, const NodrixExFrame* frame, void* user) {
    auto& count = *static_cast<CallbackCount*>(user);
    count.lastFrameNumber = frame->metadata.frameNumber;
    ++count.calls;
}

// A preview as fast as the camera goes, stopped at any moment: every frame
// counted delivered reached the callback (the last one included), a reset
// while frames are in flight keeps the balance exact, and the rates read 0
// a second after the stop. Repeated, since the stop lands anywhere in a
// frame's delivery.
TEST_F(AcquisitionTest, StopsAndResetsDuringAFastPreviewKeepTheCountsExact) {
    CallbackCount count;
    ASSERT_EQ(NodrixEx_SetFrameCallback(handle_, CountFrame, &count), 1);
    for (int run = 0; run < 10; ++run) {
        SCOPED_TRACE(run);
        ASSERT_EQ(NodrixEx_ResetStreamStatistics(handle_), 1);
        count.calls = 0;
        ASSERT_EQ(Nodrix_StartPreview(handle_), 1);
        WaitForDelivered(handle_, 3);
        ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
        NodrixExStreamStatistics s = Statistics(handle_);
        EXPECT_EQ(s.framesDelivered, count.calls.load());
        EXPECT_EQ(Metadata(handle_).frameNumber, count.lastFrameNumber.load());

        ASSERT_EQ(Nodrix_StartPreview(handle_), 1);
        WaitForDelivered(handle_, s.framesDelivered + 3);
        ASSERT_EQ(NodrixEx_ResetStreamStatistics(handle_), 1);
        const std::uint64_t before = Statistics(handle_).framesDelivered;
        WaitForDelivered(handle_, before + 3);
        ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
        s = Statistics(handle_);
        EXPECT_EQ(s.framesReceived, s.framesDelivered + Lost(s));
    }
    // The rates cover the last second only.
    const std::uint32_t stopped = platform::TickCount();
    platform::SleepMs(1100);
    ASSERT_GE(platform::TickCount() - stopped, 1000u);
    const NodrixExStreamStatistics s = Statistics(handle_);
    EXPECT_EQ(s.receivedRate, 0.0);
    EXPECT_EQ(s.deliveredRate, 0.0);
}

}  // namespace
}  // namespace nodrix::test
