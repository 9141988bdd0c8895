#include "pipeline/FlatFieldFilter.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "catalogue/CameraCatalogue.h"
#include "pipeline/FrameView.h"

namespace nodrix::pipeline {

namespace {

// ceil(2^24 / b) for b = 1..255: (a * kReciprocal8[b]) >> 16 is exactly
// (a * 256) / b for 0 <= a < b (the rounding error stays below 1/256, too
// small to reach the next multiple of 1/b), and a * kReciprocal8[b] fits in
// 32 bits.
constexpr auto kReciprocal8 = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t b = 1; b < 256; ++b) table[b] = ((1u << 24) + b - 1) / b;
    return table;
}();

// (p - d) * 256 / (l - d) truncated, clamped to 0..255, for d != l. The
// quotient is negative or 0 (so 0) unless p lies beyond d on the side of l,
// and 256 or more (so 255) once p reaches l; in between it is a quotient
// of small positive numbers.
inline std::uint8_t Stretch8(std::uint32_t p, std::uint32_t d, std::uint32_t l) {
    const bool rising = l > d;
    const std::uint32_t span = rising ? l - d : d - l;
    if (rising ? p <= d : p >= d) return 0;
    const std::uint32_t offset = rising ? p - d : d - p;
    if (offset >= span) return 255;
    return static_cast<std::uint8_t>((offset * kReciprocal8[span]) >> 16);
}

// (p - d) * 4096 / (l - d) truncated, clamped to 0..4095, times 16, for
// d < l. Only 0 < p - d < l - d needs a division, and then the dividend is
// below 2^28: 32-bit arithmetic gives the same quotient as 64-bit.
inline std::uint16_t Stretch16(std::uint32_t p, std::uint32_t d, std::uint32_t l) {
    if (p <= d) return 0;
    const std::uint32_t offset = p - d;
    const std::uint32_t span = l - d;
    if (offset >= span) return 4095 * 16;
    return static_cast<std::uint16_t>(((offset << 12) / span) << 4);
}

// The frame rows and columns [first, last) whose reference pixel exists.
struct Span {
    int first;
    int last;
};

Span ClipToReference(int border, int frameSize, int start, int referenceSize) {
    Span span{std::max(border, -start), std::min(frameSize - border, referenceSize - start)};
    if (span.last < span.first) span.last = span.first;
    return span;
}

template <typename Sample, typename Correct>
void ForEachCorrectedPixel(imaging::CDibImage& frame, const imaging::CDibImage& darkImage,
                           const imaging::CDibImage& whiteImage, int horizontalStart,
                           int verticalStart, int border, Correct correct) {
    auto pixels = ViewOf<Sample>(frame);
    auto dark = ViewOf<Sample>(darkImage);
    auto white = ViewOf<Sample>(whiteImage);
    if (pixels.Empty() || dark.Empty() || white.Empty()) return;
    const int referenceWidth = std::min(dark.width, white.width);
    const int referenceHeight = std::min(dark.height, white.height);
    const Span rows = ClipToReference(border, pixels.height, verticalStart, referenceHeight);
    const Span columns = ClipToReference(border, pixels.width, horizontalStart, referenceWidth);
    for (int y = rows.first; y < rows.last; ++y) {
        Sample* row = pixels.Row(y);
        const Sample* darkRow = dark.Row(y + verticalStart) + horizontalStart;
        const Sample* whiteRow = white.Row(y + verticalStart) + horizontalStart;
        for (int x = columns.first; x < columns.last; ++x) {
            row[x] = correct(row[x], darkRow[x], whiteRow[x]);
        }
    }
}

}  // namespace

int FlatFieldBorder(int captureWidth, int captureHeight) {
    const catalogue::SensorGeometry& sensor = catalogue::kConnectionSensor;
    return (captureWidth == sensor.width || captureHeight == sensor.height) ? 2 : 0;
}

void ApplyFlatField8(imaging::CDibImage& frame, const imaging::CDibImage& dark,
                     const imaging::CDibImage& white, int horizontalStart, int verticalStart,
                     int border) {
    ForEachCorrectedPixel<std::uint8_t>(
        frame, dark, white, horizontalStart, verticalStart, border,
        [](std::uint8_t p, std::uint8_t d, std::uint8_t l) -> std::uint8_t {
            if (d == l) return p;
            return Stretch8(p, d, l);
        });
}

void ApplyFlatField16(imaging::CDibImage& frame, const imaging::CDibImage& dark,
                      const imaging::CDibImage& white, int horizontalStart, int verticalStart,
                      int border) {
    ForEachCorrectedPixel<std::uint16_t>(
        frame, dark, white, horizontalStart, verticalStart, border,
        [](std::uint16_t p, std::uint16_t d, std::uint16_t l) -> std::uint16_t {
            if (d >= l) return p;
            return Stretch16(p, d, l);
        });
}

}  // namespace nodrix::pipeline
