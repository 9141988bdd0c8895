// Nodrix_Record through the exports on the emulated camera: the file a
// recording leaves, how it ends (duration, stop, release), and what the
// call refuses.
#include <filesystem>
#include <vector>

#include "platform/Time.h"
#include "recording/RecordingFixture.h"

namespace nodrix::test {
namespace {

// Generous: a loaded machine may convert slowly.
constexpr std::uint32_t kEndTimeoutMs = 60000;

struct RecordFormat {
    int bits;
    bool flatField;
};

class RecordBits : public RecordingTest, public ::testing::WithParamInterface<RecordFormat> {};

TEST_P(RecordBits, FramesAreTheRampBottomRowFirstAndThePreviewGoesOn) {
    const int bits = GetParam().bits;
    const bool flatField = GetParam().flatField;
    if (bits != bits_ && !SetBits(bits)) GTEST_SKIP() << "no " << bits << "-bit output";
    bits_ = bits;
    ASSERT_EQ(Nodrix_SetFilterValue(handle_, NODRIX_FILTER_MASK_FILTER, flatField ? 1 : 0), 1);
    const std::string file = folder_.File("ramp.avi");
    ASSERT_EQ(Nodrix_Record(handle_, file.c_str(), 150, 0), 1)
        << "error " << Nodrix_GetLastError(handle_);
    ASSERT_TRUE(WaitUntilRecorded(kEndTimeoutMs));

    const ParsedAvi avi = ReadAvi(file);
    ASSERT_EQ(CheckConsistent(avi), "");
    EXPECT_GE(avi.frames.size(), 2u);
    EXPECT_EQ(avi.width, 1280u);
    EXPECT_EQ(avi.height, static_cast<std::uint32_t>(kWindowHeight));
    EXPECT_EQ(avi.formatHeight, kWindowHeight);
    EXPECT_EQ(avi.bitCount, 24);
    EXPECT_TRUE(FramesMatchRamp(avi, bits, kWindowY, kWindowHeight, flatField));
    // Both durations come from one measured rate r: 10^8 / r and 10^9 / r.
    ASSERT_GT(avi.microSecPerFrame, 0u);
    EXPECT_GE(avi.scale, 10 * avi.microSecPerFrame);
    EXPECT_LT(avi.scale, 10 * (avi.microSecPerFrame + 1));

    // The preview outlives the recording.
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
    EXPECT_TRUE(PreviewRuns());
    EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
}

INSTANTIATE_TEST_SUITE_P(GreyFormats, RecordBits,
                         ::testing::Values(RecordFormat{8, false}, RecordFormat{16, false},
                                           RecordFormat{16, true}),
                         [](const auto& info) {
                             return "Bits" + std::to_string(info.param.bits) +
                                    (info.param.flatField ? "FlatField" : "");
                         });

TEST_F(RecordingTest, DurationZeroEndsWithTheNextFrame) {
    const std::string file = folder_.File("zero.avi");
    ASSERT_EQ(Nodrix_Record(handle_, file.c_str(), 0, 0), 1);
    ASSERT_TRUE(WaitUntilRecorded(kEndTimeoutMs));
    const ParsedAvi avi = ReadAvi(file);
    ASSERT_EQ(CheckConsistent(avi), "");
    // The recorder polls every 10 ms: the second frame's time differs.
    EXPECT_EQ(avi.frames.size(), 2u);
}

TEST_F(RecordingTest, StoppingOrReleasingMidwayLeavesAWholeFile) {
    const std::string stopped = folder_.File("stopped.avi");
    ASSERT_EQ(Nodrix_Record(handle_, stopped.c_str(), 600000, 0), 1);
    ASSERT_TRUE(WaitForFrames(stopped, 3, kEndTimeoutMs));
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    EXPECT_FALSE(Recording());
    ParsedAvi avi = ReadAvi(stopped);
    ASSERT_EQ(CheckConsistent(avi), "");
    EXPECT_GE(avi.frames.size(), 3u);
    EXPECT_TRUE(FramesMatchRamp(avi, bits_, kWindowY, kWindowHeight));

    const std::string released = folder_.File("released.avi");
    ASSERT_EQ(Nodrix_Record(handle_, released.c_str(), 600000, 0), 1);
    ASSERT_TRUE(WaitForFrames(released, 2, kEndTimeoutMs));
    Nodrix_Release(handle_);
    handle_ = 0;
    avi = ReadAvi(released);
    ASSERT_EQ(CheckConsistent(avi), "");
    EXPECT_GE(avi.frames.size(), 2u);
}

TEST_F(RecordingTest, LostCameraEndsTheRecordingWithAWholeFile) {
    testing::TimeSpeedup faster(10);  // the transport's retries take seconds
    const std::string file = folder_.File("lost.avi");
    ASSERT_EQ(Nodrix_Record(handle_, file.c_str(), 600000, 0), 1);
    ASSERT_TRUE(WaitForFrames(file, 2, kEndTimeoutMs));
    ASSERT_TRUE(Driver().Unplug(0));
    ASSERT_TRUE(WaitUntilRecorded(10 * kEndTimeoutMs));
    const ParsedAvi avi = ReadAvi(file);
    ASSERT_EQ(CheckConsistent(avi), "");
    EXPECT_GE(avi.frames.size(), 2u);
    // The preview mode stays until stopped, but nothing could be recorded.
    const std::string next = folder_.File("after.avi");
    EXPECT_EQ(Nodrix_Record(handle_, next.c_str(), 100, 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_TEXT);
    EXPECT_FALSE(std::filesystem::exists(next));
    EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
}

TEST_F(RecordingTest, SecondRecordWhileOneRunsIsRefusedAndTheFirstGoesOn) {
    const std::string first = folder_.File("first.avi");
    const std::string second = folder_.File("second.avi");
    ASSERT_EQ(Nodrix_Record(handle_, first.c_str(), 600000, 0), 1);
    EXPECT_EQ(Nodrix_Record(handle_, second.c_str(), 100, 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_NO_CORE);
    EXPECT_FALSE(std::filesystem::exists(second));
    ASSERT_TRUE(WaitForFrames(first, 2, kEndTimeoutMs));
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    EXPECT_EQ(CheckConsistent(ReadAvi(first)), "");

    // Once one has ended, the next one reuses the writer from scratch.
    ASSERT_EQ(Nodrix_Record(handle_, second.c_str(), 0, 0), 1);
    ASSERT_TRUE(WaitUntilRecorded(kEndTimeoutMs));
    const ParsedAvi avi = ReadAvi(second);
    ASSERT_EQ(CheckConsistent(avi), "");
    EXPECT_EQ(avi.frames.size(), 2u);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
}

TEST_F(RecordingTest, RefusedStartsLeaveNoFileAndNoAcquisition) {
    const std::string file = folder_.File("refused.avi");
    EXPECT_EQ(Nodrix_Record(handle_, "", 100, 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(Nodrix_Record(handle_, nullptr, 100, 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(Nodrix_Record(handle_, file.c_str(), -1, 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_INVALID_ARGUMENT);
    EXPECT_FALSE(std::filesystem::exists(file));

    // A file that cannot be created: the preview the call started stops
    // again, so capture mode is open to the application.
    const std::string nowhere = folder_.File("missing/refused.avi");
    EXPECT_EQ(Nodrix_Record(handle_, nowhere.c_str(), 100, 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_FILE);
    EXPECT_EQ(Nodrix_Capture(handle_), 1);
    // Not in capture mode either: the preview cannot start, the recording
    // is refused and capture mode ends, so a preview can start afterwards.
    EXPECT_EQ(Nodrix_Record(handle_, file.c_str(), 100, 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_TEXT);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_NO_CORE);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(Nodrix_StartPreview(handle_), 1);
    EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
}

TEST_F(RecordingTest, RunningCallbackPreviewKeepsDeliveringThroughARecording) {
    const int size = StrideOf(1280, bits_) * kWindowHeight;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size));
    ASSERT_EQ(Nodrix_CallBackPreview(handle_, probe_->Window(), buffer.data(), size, 1), 1);
    ASSERT_TRUE(NextMessage(NODRIX_WM_FRAME, 10000).has_value());

    // A recording that cannot start leaves the preview alone.
    EXPECT_EQ(Nodrix_Record(handle_, folder_.File("missing/x.avi").c_str(), 100, 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_FILE);
    probe_->Clear();
    ASSERT_TRUE(NextMessage(NODRIX_WM_FRAME, 10000).has_value());

    const std::string file = folder_.File("callback.avi");
    ASSERT_EQ(Nodrix_Record(handle_, file.c_str(), 100, 0), 1);
    ASSERT_TRUE(WaitUntilRecorded(kEndTimeoutMs));
    probe_->Clear();
    auto message = NextMessage(NODRIX_WM_FRAME, 10000);
    ASSERT_TRUE(message.has_value());
    EXPECT_NE(message->wParam, 0u);
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    EXPECT_TRUE(MatchesRamp(buffer.data(), bits_, 0, kWindowY, 1280, kWindowHeight, true));
    const ParsedAvi avi = ReadAvi(file);
    ASSERT_EQ(CheckConsistent(avi), "");
    EXPECT_TRUE(FramesMatchRamp(avi, bits_, kWindowY, kWindowHeight));
}

TEST_F(RecordingTest, WideNameRecordsToTheSameFile) {
    const std::string file = folder_.File("wide.avi");
    std::vector<NodrixWChar> wide(file.begin(), file.end());
    wide.push_back(0);
    ASSERT_EQ(Nodrix_RecordW(handle_, wide.data(), 0, 0), 1)
        << "error " << Nodrix_GetLastError(handle_);
    ASSERT_TRUE(WaitUntilRecorded(kEndTimeoutMs));
    EXPECT_EQ(CheckConsistent(ReadAvi(file)), "");
}

}  // namespace
}  // namespace nodrix::test
