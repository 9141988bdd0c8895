#pragma once
// Recordings through the exports on the emulated camera: a narrow capture
// window so that frames stay small, a temporary folder for the files, and
// checks of recorded frames against the camera's ramp.

#include <string>

#include "acquisition/AcquisitionFixture.h"
#include "files/TempFolder.h"
#include "recording/AviFileParse.h"

namespace nodrix::test {

class RecordingTest : public AcquisitionTest {
protected:
    static constexpr int kWindowY = 100;
    static constexpr int kWindowHeight = 12;

    void SetUp() override;
    void TearDown() override;

    // Whether the connection still records (its file is complete once not).
    bool Recording() const;
    // Waits until the recording has ended by itself; false after timeoutMs.
    bool WaitUntilRecorded(std::uint32_t timeoutMs) const;
    // Waits until the file holds at least frames frame chunks.
    bool WaitForFrames(const std::string& file, int frames, std::uint32_t timeoutMs) const;
    // Waits until the preview has converted a frame other than the current
    // one; false when it stands still.
    bool PreviewRuns();

    testing::TempFolder folder_;
    bool windowed_ = false;
};

// Checks every recorded frame against the ramp of the capture window
// (1280 wide, rows y .. y + height - 1) reduced from the camera's bits to 8,
// each frame with its own frame number; rows run from the bottom up. With
// flatField, 16-bit frames went through the neutral flat field: samples
// two or more pixels inside the frame scaled to 16 bits, the border not.
::testing::AssertionResult FramesMatchRamp(const ParsedAvi& avi, int bits, int y, int height,
                                           bool flatField = false);

}  // namespace nodrix::test
