// Snapshots and capture mode through the exports, checked against the
// emulated camera's ramp.
#include <vector>

#include "acquisition/AcquisitionFixture.h"
#include "platform/Time.h"

namespace nodrix::test {
namespace {

struct SnapCase {
    int bits;
    int x, y, width, height;
};

class SnapShot : public AcquisitionTest, public ::testing::WithParamInterface<SnapCase> {};

TEST_P(SnapShot, PixelsAreTheRampInBothRowOrders) {
    const SnapCase c = GetParam();
    if (c.bits != bits_ && !SetBits(c.bits)) {
        GTEST_SKIP() << "no choice of output format in this build";
    }
    // This sensor windows rows only: the reduced windows keep the full width.
    const bool fullWindow = c.width == 1280 && c.height == 1024;
    if (!fullWindow && !SetWindow(c.x, c.y, c.width, c.height)) {
        GTEST_SKIP() << "no capture window setting in this build";
    }
    const int size = StrideOf(c.width, c.bits) * c.height;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size));
    for (const int rowOrder : {1, 0}) {
        ASSERT_EQ(Nodrix_SnapShot(handle_, buffer.data(), size, rowOrder), 1)
            << "error " << Nodrix_GetLastError(handle_);
        EXPECT_TRUE(MatchesRamp(buffer.data(), c.bits, c.x, c.y, c.width, c.height,
                                rowOrder != 0))
            << "row order " << rowOrder;
    }
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
    // The settings keep the window; the next test starts from the full one.
    if (!fullWindow) {
        EXPECT_TRUE(SetWindow(0, 0, 1280, 1024));
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, SnapShot,
                         ::testing::Values(SnapCase{8, 0, 0, 1280, 1024},
                                           SnapCase{16, 0, 0, 1280, 1024},
                                           SnapCase{8, 0, 64, 1280, 240},
                                           SnapCase{16, 0, 200, 1280, 481}),
                         [](const auto& info) {
                             const SnapCase& c = info.param;
                             return "Bits" + std::to_string(c.bits) + "_" +
                                    std::to_string(c.width) + "x" + std::to_string(c.height);
                         });

TEST_F(AcquisitionTest, PayloadTimeOutIsRecoveredByTheNextSnapshot) {
    // The first payload never comes: its read times out and is aborted.
    emulator::FaultConfig faults;
    faults.delayPayloadReads = 1;
    faults.delayMs = 600000;
    Driver().SetFaults(0, faults);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(frameBytes_));
    const int first = Nodrix_SnapShot(handle_, buffer.data(), frameBytes_, 1);
    const int error = Nodrix_GetLastError(handle_);
    Driver().SetFaults(0, emulator::FaultConfig{});
    ASSERT_EQ(Nodrix_SnapShot(handle_, buffer.data(), frameBytes_, 1), 1)
        << "first " << first << " error " << error << ", then " << Nodrix_GetLastError(handle_);
    EXPECT_TRUE(MatchesRamp(buffer.data(), bits_, 0, 0, 1280, 1024, true));
}

TEST_F(AcquisitionTest, NullBufferLeavesTheFrameForGetImage) {
    ASSERT_EQ(Nodrix_SnapShot(handle_, nullptr, 0, 1), 1);
    const int size = frameBytes_;
    std::vector<std::uint8_t> buffer(size);
    ASSERT_EQ(Nodrix_GetImage(handle_, buffer.data(), size, 0), 1);
    EXPECT_TRUE(MatchesRamp(buffer.data(), bits_, 0, 0, 1280, 1024, false));
    ASSERT_EQ(Nodrix_GetImage(handle_, buffer.data(), size, 1), 1);
    EXPECT_TRUE(MatchesRamp(buffer.data(), bits_, 0, 0, 1280, 1024, true));

    EXPECT_EQ(Nodrix_GetImage(handle_, buffer.data(), size - 1, 1), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_MEMORY);
    EXPECT_EQ(Nodrix_GetImage(handle_, nullptr, size, 1), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_MEMORY);
}

TEST_F(AcquisitionTest, BufferOneByteTooSmallIsReportedToTheCallbackWindow) {
    // The callback window of an earlier preview hears of the small buffer.
    ASSERT_EQ(Nodrix_CallBackPreview(handle_, probe_->Window(), nullptr, 0, 1), 1);
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    probe_->Clear();

    const int size = frameBytes_;
    std::vector<std::uint8_t> buffer(size);
    EXPECT_EQ(Nodrix_SnapShot(handle_, buffer.data(), size - 1, 1), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_MEMORY);
    bool reported = false;
    while (auto message = probe_->Next(2000)) {
        if (message->message == NODRIX_WM_FRAME) {
            EXPECT_EQ(message->wParam, 0u);
            EXPECT_EQ(message->lParam, NODRIX_ERROR_MEMORY);
            reported = true;
            break;
        }
    }
    EXPECT_TRUE(reported);
    // The connection is idle again and the next snapshot works.
    EXPECT_EQ(Nodrix_SnapShot(handle_, buffer.data(), size, 1), 1);
}

TEST_F(AcquisitionTest, CaptureModeKeepsTheTransferRunningBetweenSnapshots) {
    EXPECT_EQ(Nodrix_Capture(handle_), 1);
    EXPECT_EQ(Nodrix_Capture(handle_), 1);
    EXPECT_EQ(Nodrix_StartPreview(handle_), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_NO_CORE);
    EXPECT_EQ(Nodrix_Trigger(handle_, 0, nullptr, 0, 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_NO_CORE);

    const int size = frameBytes_;
    std::vector<std::uint8_t> buffer(size);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(Nodrix_SnapShot(handle_, buffer.data(), size, 1), 1);
        EXPECT_TRUE(MatchesRamp(buffer.data(), bits_, 0, 0, 1280, 1024, true));
    }
    // In capture mode a snapshot does not stop the transfer (request 0xC0
    // ends a stream); in idle mode it does.
    // The request log keeps a bounded history: it is emptied before each
    // snapshot so that only that snapshot's requests are counted.
    Driver().ClearRequests();
    ASSERT_EQ(Nodrix_SnapShot(handle_, buffer.data(), size, 1), 1);
    EXPECT_EQ(testing::CountVendorRequests(Driver(), 0xC0), 0);

    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    ASSERT_EQ(Nodrix_SnapShot(handle_, buffer.data(), size, 1), 1);
    Driver().ClearRequests();
    ASSERT_EQ(Nodrix_SnapShot(handle_, buffer.data(), size, 1), 1);
    EXPECT_GT(testing::CountVendorRequests(Driver(), 0xC0), 0);
}

TEST_F(AcquisitionTest, SnapshotWhilePreviewingIsRefused) {
    ASSERT_EQ(Nodrix_StartPreview(handle_), 1);
    EXPECT_EQ(Nodrix_StartPreview(handle_), 1);
    EXPECT_EQ(Nodrix_SnapShot(handle_, nullptr, 0, 1), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_NO_CORE);
    EXPECT_EQ(Nodrix_Capture(handle_), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_NO_CORE);
    EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
    EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
    EXPECT_EQ(Nodrix_SnapShot(handle_, nullptr, 0, 1), 1);
}

}  // namespace
}  // namespace nodrix::test
