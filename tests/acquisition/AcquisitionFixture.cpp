#include "acquisition/AcquisitionFixture.h"

#include "platform/Time.h"

namespace nodrix::test {

std::optional<ProbedMessage> AcquisitionTest::NextMessage(std::uint32_t message,
                                                          std::uint32_t timeoutMs) {
    const std::uint32_t start = platform::TickCount();
    for (;;) {
        const std::uint32_t elapsed = platform::TickCount() - start;
        if (elapsed >= timeoutMs) return std::nullopt;
        auto next = probe_->Next(timeoutMs - elapsed);
        if (!next) return std::nullopt;
        if (next->message == message) return next;
    }
}

void AcquisitionTest::NeutralPipeline() {
    ASSERT_EQ(Nodrix_SetColorMode(handle_, 8), 1);
    Nodrix_SetBrightness(handle_, 0);
    Nodrix_SetContrast(handle_, 0);
    Nodrix_SetGamma(handle_, 100);
    Nodrix_SetSharpness(handle_, 0);
    Nodrix_SetGrayMode(handle_, 0);
    Nodrix_SetMaskFilter(handle_, 0);
    Nodrix_SetDotFilter(handle_, 0);
    Nodrix_SetAutoIris(handle_, 0);
    Nodrix_SetMirrorH(handle_, 0);
    Nodrix_SetMirrorV(handle_, 0);
    while (Nodrix_GetLastError(handle_) != 0) {
    }
}

std::vector<std::uint8_t> AcquisitionTest::Snap(int bits) {
    const int size = StrideOf(1280, bits) * 1024;
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(size));
    EXPECT_EQ(Nodrix_SnapShot(handle_, frame.data(), size, 1), 1)
        << "error " << Nodrix_GetLastError(handle_);
    return frame;
}

bool AcquisitionTest::SetBits(int bits) {
    if (Nodrix_SetColorMode(handle_, bits) == 1) return true;
    while (Nodrix_GetLastError(handle_) != 0) {
    }
    return false;
}

bool AcquisitionTest::SetWindow(int x, int y, int width, int height) {
    if (Nodrix_SetCaptureWindowEx(handle_, 1280, x, width, 1024, y, height) == 1) return true;
    while (Nodrix_GetLastError(handle_) != 0) {
    }
    return false;
}

::testing::AssertionResult MatchesRamp(const std::uint8_t* buffer, int bits, int x, int y,
                                       int width, int height, bool topDown) {
    const int stride = StrideOf(width, bits);
    const auto sample = [&](int row, int column) -> int {
        const std::uint8_t* p = buffer + static_cast<std::size_t>(row) * stride;
        return bits == 8 ? p[column] : p[2 * column] | (p[2 * column + 1] << 8);
    };
    const auto ramp = [&](int imageX, int imageY, std::uint32_t n) -> int {
        return bits == 8 ? static_cast<int>((imageX + imageY + n) & 0xFF)
                         : static_cast<int>((4 * imageX + imageY + n) & 0x0FFF);
    };
    const int firstImageRow = topDown ? y : y + height - 1;
    const std::uint32_t n = static_cast<std::uint32_t>(sample(0, 0) - ramp(x, firstImageRow, 0));
    int wrong = 0;
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    for (int row = 0; row < height; ++row) {
        const int imageY = topDown ? y + row : y + height - 1 - row;
        for (int column = 0; column < width; ++column) {
            const int want = ramp(x + column, imageY, n);
            const int got = sample(row, column);
            if (got != want) {
                if (wrong == 0) result = ::testing::AssertionFailure();
                if (++wrong <= 5) {
                    result << "buffer row " << row << " column " << column << ": " << got
                           << " instead of " << want << "\n";
                }
            }
        }
    }
    if (wrong > 0) result << wrong << " samples differ";
    return result;
}

}  // namespace nodrix::test
