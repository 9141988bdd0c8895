#include "recording/RecordingFixture.h"

#include <filesystem>

#include "api/ExportPrologue.h"
#include "platform/Time.h"

namespace nodrix::test {

void RecordingTest::SetUp() {
    AcquisitionTest::SetUp();
    if (HasFatalFailure()) return;
    windowed_ = SetWindow(0, kWindowY, 1280, kWindowHeight);
    ASSERT_TRUE(windowed_) << "no capture window setting in this build";
}

void RecordingTest::TearDown() {
    // The settings keep the window; the next test starts from the full one.
    if (windowed_ && handle_ != 0) {
        Nodrix_StopPreview(handle_);
        SetWindow(0, 0, 1280, 1024);
    }
    AcquisitionTest::TearDown();
}

bool RecordingTest::Recording() const {
    const auto connection = api::FindConnection(handle_);
    return connection != nullptr && connection->Acquiring().Recording();
}

bool RecordingTest::WaitUntilRecorded(std::uint32_t timeoutMs) const {
    const std::uint32_t start = platform::TickCount();
    while (Recording()) {
        if (platform::TickCount() - start > timeoutMs) return false;
        platform::SleepMs(5);
    }
    return true;
}

bool RecordingTest::WaitForFrames(const std::string& file, int frames,
                                  std::uint32_t timeoutMs) const {
    const std::uintmax_t chunk = 8 + static_cast<std::uintmax_t>(StrideOf(1280, 24)) * kWindowHeight;
    const std::uintmax_t wanted = 232 + chunk * static_cast<std::uintmax_t>(frames);
    const std::uint32_t start = platform::TickCount();
    for (;;) {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(file, error);
        if (!error && size >= wanted) return true;
        if (platform::TickCount() - start > timeoutMs) return false;
        platform::SleepMs(5);
    }
}

bool RecordingTest::PreviewRuns() {
    const int size = StrideOf(1280, bits_) * kWindowHeight;
    std::vector<std::uint8_t> first(static_cast<std::size_t>(size));
    std::vector<std::uint8_t> next(first.size());
    if (Nodrix_GetImage(handle_, first.data(), size, 1) != 1) return false;
    const std::uint32_t start = platform::TickCount();
    while (platform::TickCount() - start < 10000) {
        platform::SleepMs(20);
        if (Nodrix_GetImage(handle_, next.data(), size, 1) != 1) return false;
        if (next != first) return true;
    }
    return false;
}

::testing::AssertionResult FramesMatchRamp(const ParsedAvi& avi, int bits, int y, int height,
                                           bool flatField) {
    const int width = 1280;
    const int stride = StrideOf(width, 24);
    // The byte the recorder keeps of the camera's sample at (x, imageY): the
    // top eight of its 12 bits; after the flat field, of the 16 bits of the
    // scaled sample (16 s >> 8) inside and of the unscaled one on the border.
    const auto expected = [&](int x, int imageY, int n) -> int {
        if (bits == 8) return (x + imageY + n) & 0xFF;
        const int ramp = (4 * x + imageY + n) & 0x0FFF;
        const bool border = x < 2 || x >= width - 2 || imageY < y + 2 || imageY >= y + height - 2;
        return flatField && border ? ramp >> 8 : ramp >> 4;
    };
    const int frameNumbers = bits == 8 ? 256 : 4096;
    for (std::size_t f = 0; f < avi.frames.size(); ++f) {
        const std::uint8_t* frame = avi.frames[f].data;
        if (avi.frames[f].size != static_cast<std::uint32_t>(stride * height)) {
            return ::testing::AssertionFailure() << "frame " << f << " size " << avi.frames[f].size;
        }
        // The frame number: the one that explains the first pixels of every
        // row (16-bit samples lose their low four bits, so one row is not
        // enough).
        int n = -1;
        for (int candidate = 0; candidate < frameNumbers && n < 0; ++candidate) {
            bool fits = true;
            for (int row = 0; row < height && fits; ++row) {
                for (int x = 0; x < 8 && fits; ++x) {
                    fits = frame[row * stride + 3 * x] == expected(x, y + height - 1 - row, candidate);
                }
            }
            if (fits) n = candidate;
        }
        if (n < 0) return ::testing::AssertionFailure() << "frame " << f << " is not the ramp";
        for (int row = 0; row < height; ++row) {
            const int imageY = y + height - 1 - row;
            const std::uint8_t* p = frame + row * stride;
            for (int x = 0; x < width; ++x) {
                const int want = expected(x, imageY, n);
                if (p[3 * x] != want || p[3 * x + 1] != want || p[3 * x + 2] != want) {
                    return ::testing::AssertionFailure()
                           << "frame " << f << " row " << row << " x " << x << ": "
                           << int(p[3 * x]) << "," << int(p[3 * x + 1]) << "," << int(p[3 * x + 2])
                           << " instead of " << want;
                }
            }
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace nodrix::test
