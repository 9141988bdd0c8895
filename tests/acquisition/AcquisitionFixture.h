#pragma once
// A connection opened through the exports on an installed emulated camera,
// with a recipient window whose messages the test reads, and helpers that
// check a frame against the emulator's ramp.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "NodrixSdk.h"
#include "api/MessageProbe.h"
#include "core/EmulatedCameraFixture.h"

namespace nodrix::test {

inline int StrideOf(int width, int bits) { return (width * (bits / 8) + 3) & ~3; }

class AcquisitionTest : public ::testing::Test {
protected:
    explicit AcquisitionTest(emulator::Pace pace = emulator::Pace::Max)
        : emulator_(testing::CamerasOf({0x33B0}, pace)) {}

    void SetUp() override {
        probe_ = MakeMessageProbe();
        handle_ = Nodrix_Initialize(probe_->Window());
        ASSERT_NE(handle_, 0);
        // Acquisition without a preview window unless a test asks for one.
        ASSERT_EQ(Nodrix_SetPreviewWindow(handle_, 0, 0, 0, 0, 0), 1);
        while (Nodrix_GetLastError(handle_) != 0) {
        }
        // The full sensor in the grey format the settings chose (16 bits for
        // this camera once its defaults are stored, 8 before).
        ASSERT_EQ(Nodrix_Width(handle_), 1280);
        ASSERT_EQ(Nodrix_Height(handle_), 1024);
        bits_ = Nodrix_GetColorMode(handle_);
        ASSERT_TRUE(bits_ == 8 || bits_ == 16) << bits_;
        frameBytes_ = StrideOf(1280, bits_) * 1024;
        probe_->Clear();
    }
    void TearDown() override {
        if (handle_ != 0) Nodrix_Release(handle_);
    }

    emulator::EmulatedDriver& Driver() { return emulator_.Driver(); }
    // The next message of this number, skipping others; nullopt after
    // timeoutMs.
    std::optional<ProbedMessage> NextMessage(std::uint32_t message, std::uint32_t timeoutMs);
    // Whether the colour mode / capture window could be set; some builds do
    // not offer them yet.
    bool SetBits(int bits);
    bool SetWindow(int x, int y, int width, int height);
    // 8-bit grey with every image step neutral and no mirror, so that the
    // saved settings of earlier tests do not leak in (a camera with 16-bit
    // output starts in 16-bit mode).
    void NeutralPipeline();
    // A snapshot of the full sensor in the given grey format, bottom-up.
    std::vector<std::uint8_t> Snap(int bits = 8);

    testing::InstalledEmulator emulator_;
    std::unique_ptr<MessageProbe> probe_;
    int handle_ = 0;
    int bits_ = 8;
    int frameBytes_ = 0;
};

// Checks a frame copied out by the SDK against the ramp of the capture
// window (x, y, width, height): rows padded to 4 bytes, in memory order
// (first row of the picture first) when topDown, else last row first. The
// frame number is taken from the first pixel.
::testing::AssertionResult MatchesRamp(const std::uint8_t* buffer, int bits, int x, int y,
                                       int width, int height, bool topDown);


}  // namespace nodrix::test
