// The worker threads through the exports: callback preview with its
// FrameInfo record, the measured frame rate, trigger mode, and a camera
// that goes away during preview.
#include <thread>
#include <vector>

#include "acquisition/AcquisitionFixture.h"
#include "platform/Time.h"

namespace nodrix::test {
namespace {


TEST_F(AcquisitionTest, CallBackPreviewPostsFrameInfoWithTheNewestFrame) {
    std::vector<std::uint8_t> buffer(frameBytes_);
    ASSERT_EQ(Nodrix_CallBackPreview(handle_, probe_->Window(), buffer.data(), frameBytes_, 1), 1);
    const FrameInfo* info = nullptr;
    for (int frames = 0; frames < 5; ++frames) {
        auto message = NextMessage(NODRIX_WM_FRAME, 5000);
        ASSERT_TRUE(message.has_value()) << "frame " << frames;
        ASSERT_NE(message->wParam, 0u);
        EXPECT_EQ(message->lParam, 0);
        const auto* record = reinterpret_cast<const FrameInfo*>(message->wParam);
        if (info != nullptr) {
            EXPECT_EQ(record, info) << "one record for the connection";
        }
        info = record;
    }
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    // Read once the worker has stopped writing.
    EXPECT_EQ(info->reserved, 0);
    EXPECT_EQ(info->width, 1280);
    EXPECT_EQ(info->height, 1024);
    EXPECT_EQ(info->bitsPerPixel, bits_);
    EXPECT_EQ(info->buffer, buffer.data());
    EXPECT_TRUE(MatchesRamp(buffer.data(), bits_, 0, 0, 1280, 1024, true));
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
}

// The frame went straight into the application's buffer; the connection
// still gives out that frame afterwards, though the camera sent more since.
TEST_F(AcquisitionTest, GetImageAfterPreviewGivesTheFrameLastDelivered) {
    std::vector<std::uint8_t> delivered(frameBytes_);
    ASSERT_EQ(Nodrix_CallBackPreview(handle_, probe_->Window(), delivered.data(), frameBytes_, 0),
              1);
    for (int frames = 0; frames < 5; ++frames) {
        ASSERT_TRUE(NextMessage(NODRIX_WM_FRAME, 5000).has_value()) << "frame " << frames;
    }
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    EXPECT_TRUE(MatchesRamp(delivered.data(), bits_, 0, 0, 1280, 1024, false));
    std::vector<std::uint8_t> image(frameBytes_);
    ASSERT_EQ(Nodrix_GetImage(handle_, image.data(), frameBytes_, 0), 1);
    EXPECT_TRUE(image == delivered);
}

TEST_F(AcquisitionTest, CallBackPreviewWithoutBufferPostsAddressZero) {
    ASSERT_EQ(Nodrix_CallBackPreview(handle_, probe_->Window(), nullptr, 0, 0), 1);
    auto message = NextMessage(NODRIX_WM_FRAME, 5000);
    ASSERT_TRUE(message.has_value());
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    const auto* info = reinterpret_cast<const FrameInfo*>(message->wParam);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->buffer, nullptr);
    // The frame stays in the connection.
    std::vector<std::uint8_t> buffer(frameBytes_);
    ASSERT_EQ(Nodrix_GetImage(handle_, buffer.data(), frameBytes_, 1), 1);
    EXPECT_TRUE(MatchesRamp(buffer.data(), bits_, 0, 0, 1280, 1024, true));
}

TEST_F(AcquisitionTest, PreviewWithoutAnyWindowRunsAndClosesTwice) {
    ASSERT_EQ(Nodrix_Preview(handle_), 1);
    platform::SleepMs(100);
    EXPECT_EQ(Nodrix_Close(handle_), 1);
    EXPECT_EQ(Nodrix_Close(handle_), 1);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
}

TEST_F(AcquisitionTest, StopPreviewFromTwoThreadsAtOnce) {
    for (int round = 0; round < 5; ++round) {
        ASSERT_EQ(Nodrix_StartPreview(handle_), 1);
        std::thread other([this] { EXPECT_EQ(Nodrix_StopPreview(handle_), 1); });
        EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
        other.join();
    }
}

TEST_F(AcquisitionTest, TriggerDeliversOneFramePerTrigger) {
    std::vector<std::uint8_t> buffer(frameBytes_);
    ASSERT_EQ(Nodrix_Trigger(handle_, probe_->Window(), buffer.data(), frameBytes_, 1), 1);
    // A running trigger mode is not started twice.
    EXPECT_EQ(Nodrix_Trigger(handle_, probe_->Window(), buffer.data(), frameBytes_, 1), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_NO_CORE);
    EXPECT_EQ(Nodrix_StartPreview(handle_), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_NO_CORE);

    // Until the worker has read the camera's trigger counter a trigger may
    // go unseen; fire until the first frame comes.
    std::optional<ProbedMessage> message;
    for (int attempt = 0; attempt < 20 && !message; ++attempt) {
        if (!Driver().Trigger(0, 1)) platform::SleepMs(10);
        message = NextMessage(NODRIX_WM_FRAME, 1000);
    }
    ASSERT_TRUE(message.has_value());
    EXPECT_FALSE(NextMessage(NODRIX_WM_FRAME, 500).has_value());

    for (int trigger = 0; trigger < 3; ++trigger) {
        ASSERT_TRUE(Driver().Trigger(0, 1));
        message = NextMessage(NODRIX_WM_FRAME, 10000);
        ASSERT_TRUE(message.has_value()) << "trigger " << trigger;
        ASSERT_NE(message->wParam, 0u);
        EXPECT_EQ(message->lParam, 0);
        // No second frame for the same trigger.
        EXPECT_FALSE(NextMessage(NODRIX_WM_FRAME, 300).has_value()) << "trigger " << trigger;
    }
    // The stop wakes the worker from its long wait for the next trigger.
    const std::uint32_t start = platform::TickCount();
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    EXPECT_LT(platform::TickCount() - start, 30000u);
    const auto* info = reinterpret_cast<const FrameInfo*>(message->wParam);
    EXPECT_EQ(info->frameRate10, 0);
    EXPECT_EQ(info->width, 1280);
    EXPECT_EQ(info->height, 1024);
    EXPECT_EQ(info->buffer, buffer.data());
    EXPECT_TRUE(MatchesRamp(buffer.data(), bits_, 0, 0, 1280, 1024, true));
    // Idle again: trigger mode can start anew.
    ASSERT_EQ(Nodrix_Trigger(handle_, probe_->Window(), nullptr, 0, 1), 1);
    EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
}

TEST_F(AcquisitionTest, UnpluggedCameraEndsThePreviewUntilStopped) {
    testing::TimeSpeedup faster(10);  // the transport's retries take seconds
    ASSERT_EQ(Nodrix_CallBackPreview(handle_, probe_->Window(), nullptr, 0, 1), 1);
    ASSERT_TRUE(NextMessage(NODRIX_WM_FRAME, 5000).has_value());
    ASSERT_TRUE(Driver().Unplug(0));

    bool lost = false;
    const std::uint32_t start = platform::TickCount();
    while (!lost && platform::TickCount() - start < 60000 * 10) {
        auto message = NextMessage(NODRIX_WM_FRAME, 60000);
        ASSERT_TRUE(message.has_value());
        lost = message->wParam == 0 && message->lParam == NODRIX_ERROR_CAMERA_LOST;
    }
    ASSERT_TRUE(lost);
    // The newest error is the lost camera (a frame error may come before).
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_CAMERA_LOST);

    // Still in preview mode: nothing starts, nothing arrives.
    probe_->Clear();
    EXPECT_EQ(Nodrix_StartPreview(handle_), 1);
    EXPECT_FALSE(NextMessage(NODRIX_WM_FRAME, 300).has_value());
    EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
    // Idle again: a start now finds no camera.
    EXPECT_EQ(Nodrix_StartPreview(handle_), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_NOT_PRESENT);
}

TEST_F(AcquisitionTest, RepluggedCameraIsFoundByTheNextConnection) {
    ASSERT_TRUE(Driver().Unplug(0));
    EXPECT_EQ(Nodrix_StartPreview(handle_), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_NOT_PRESENT);
    ASSERT_TRUE(Driver().Replug(0));
    Nodrix_Release(handle_);
    handle_ = Nodrix_Initialize(probe_->Window());
    ASSERT_NE(handle_, 0);
    const int bits = Nodrix_GetColorMode(handle_);
    const int bytes = StrideOf(1280, bits) * 1024;
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(bytes));
    ASSERT_EQ(Nodrix_SnapShot(handle_, frame.data(), bytes, 1), 1)
        << "error " << Nodrix_GetLastError(handle_);
    EXPECT_TRUE(MatchesRamp(frame.data(), bits, 0, 0, 1280, 1024, true));
}

// At the sensor's pace the measured rate follows the camera.
class PacedAcquisitionTest : public AcquisitionTest {
protected:
    PacedAcquisitionTest() : AcquisitionTest(emulator::Pace::Sensor) {}
};

TEST_F(PacedAcquisitionTest, FrameRateFollowsTheCamera) {
    ASSERT_EQ(Nodrix_CallBackPreview(handle_, probe_->Window(), nullptr, 0, 1), 1);
    ASSERT_TRUE(NextMessage(NODRIX_WM_FRAME, 5000).has_value());
    const std::uint64_t sentBefore = Driver().FramesSent(0);
    const std::uint32_t start = platform::MultimediaTime();
    const FrameInfo* info = nullptr;
    int delivered = 0;
    while (platform::MultimediaTime() - start < 3500) {
        auto message = NextMessage(NODRIX_WM_FRAME, 5000);
        ASSERT_TRUE(message.has_value());
        info = reinterpret_cast<const FrameInfo*>(message->wParam);
        ++delivered;
    }
    const std::uint32_t elapsed = platform::MultimediaTime() - start;
    const double cameraRate =
        static_cast<double>(Driver().FramesSent(0) - sentBefore) * 1000.0 / elapsed;
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    ASSERT_NE(info, nullptr);
    const double measured = info->frameRate10 / 10.0;
    const double deliveredRate = delivered * 1000.0 / elapsed;
    // The worker measures its own deliveries over a window of its own, and
    // on a loaded machine both rates swing by a third; the bounds catch a
    // wrong unit or a rate of the wrong thing, not the machine's load.
    EXPECT_GT(measured, deliveredRate * 0.5) << "delivered " << deliveredRate << " fps";
    EXPECT_LT(measured, deliveredRate * 2.0) << "delivered " << deliveredRate << " fps";
    EXPECT_GT(measured, cameraRate * 0.3) << "camera " << cameraRate << " fps";
    EXPECT_LT(measured, cameraRate * 1.5) << "camera " << cameraRate << " fps";
    EXPECT_GT(delivered, 0);
}

}  // namespace
}  // namespace nodrix::test
