// Stopping through the exports while no frame comes: the stop ends the wait
// in progress (a header the camera holds back, the wait time between
// frames) instead of sitting it out, and the next start works as before.
// Requests are counted, never timed.
#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "NodrixSdkEx.h"
#include "acquisition/AcquisitionFixture.h"

namespace nodrix::test {
namespace {

// Polls until done() holds; false after a minute (a hang, not a slow machine).
template <typename Done>
bool Eventually(Done done) {
    for (int i = 0; i < 30000; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

TEST_F(AcquisitionTest, StopPreviewEndsAHeaderExchangeTheCameraDoesNotAnswer) {
    emulator::FaultConfig faults;
    // Every try held back, not only the first: the reset pulse after a try
    // flushes what the camera holds, so an answered second try would start
    // frames at full pace and fill the count on a fast machine.
    faults.delayHeaderReads = 1000;
    faults.delayMs = 600000;  // no frame comes: every header try times out
    Driver().SetFaults(0, faults);
    Driver().ClearRequests();
    auto headerRequests = [&] { return testing::CountVendorRequests(Driver(), 0xC2); };
    ASSERT_EQ(Nodrix_CallBackPreview(handle_, probe_->Window(), nullptr, 0, 1), 1);
    const bool underWay = Eventually([&] { return headerRequests() >= 2; });
    const int before = headerRequests();
    EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
    ASSERT_TRUE(underWay);
    // The stop ends the exchange between its thirty tries, not after the
    // last (how many tries fit in the stop depends on the machine's load).
    EXPECT_LT(headerRequests(), 30) << before << " tries before the stop";
    EXPECT_EQ(Driver().PendingTransferCount(), 0u);
    EXPECT_FALSE(NextMessage(NODRIX_WM_FRAME, 0).has_value());

    Driver().SetFaults(0, emulator::FaultConfig{});  // the camera answers again
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(frameBytes_));
    ASSERT_EQ(Nodrix_SnapShot(handle_, buffer.data(), frameBytes_, 1), 1)
        << "error " << Nodrix_GetLastError(handle_);
    EXPECT_TRUE(MatchesRamp(buffer.data(), bits_, 0, 0, 1280, 1024, true));
}

TEST_F(AcquisitionTest, StopPreviewEndsTheWaitTimeBetweenFrames) {
    // Ten minutes between frames, which the stop would otherwise sit out.
    ASSERT_EQ(Nodrix_SetWaitTime(handle_, 600000), 1);
    ASSERT_EQ(Nodrix_CallBackPreview(handle_, probe_->Window(), nullptr, 0, 1), 1);
    EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
    EXPECT_FALSE(NextMessage(NODRIX_WM_FRAME, 0).has_value());

    ASSERT_EQ(Nodrix_SetWaitTime(handle_, 0), 1);
    ASSERT_EQ(Nodrix_CallBackPreview(handle_, probe_->Window(), nullptr, 0, 1), 1);
    EXPECT_TRUE(NextMessage(NODRIX_WM_FRAME, 60000).has_value());
    EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
}

// The stop ends the library's use of the buffer Nodrix_CallBackPreview
// was given: a later start without a buffer delivers its frames and leaves
// that memory alone, at both sample widths.
TEST_F(AcquisitionTest, StartAfterStopNeverTouchesTheStoppedPreviewsBuffer) {
    for (const int bits : {8, 16}) {
        SCOPED_TRACE(bits);
        ASSERT_TRUE(SetBits(bits));
        const int bytes = StrideOf(1280, bits) * 1024;
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(bytes));
        ASSERT_EQ(Nodrix_CallBackPreview(handle_, probe_->Window(), buffer.data(), bytes, 1), 1);
        ASSERT_TRUE(NextMessage(NODRIX_WM_FRAME, 60000).has_value());
        ASSERT_EQ(Nodrix_StopPreview(handle_), 1);

        std::fill(buffer.begin(), buffer.end(), std::uint8_t{0xA5});
        ASSERT_EQ(NodrixEx_ResetStreamStatistics(handle_), 1);
        probe_->Clear();
        ASSERT_EQ(Nodrix_StartPreview(handle_), 1);
        for (int frame = 0; frame < 3; ++frame) {
            ASSERT_TRUE(NextMessage(NODRIX_WM_FRAME, 60000).has_value());
        }
        ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
        EXPECT_EQ(std::count(buffer.begin(), buffer.end(), std::uint8_t{0xA5}), bytes);
        NodrixExStreamStatistics statistics = {};
        statistics.size = sizeof statistics;
        ASSERT_EQ(NodrixEx_GetStreamStatistics(handle_, &statistics), 1);
        EXPECT_EQ(statistics.lostBufferTooSmall, 0u);
        EXPECT_GE(statistics.framesDelivered, 3u);
    }
}

}  // namespace
}  // namespace nodrix::test
