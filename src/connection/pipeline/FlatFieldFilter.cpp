#include "connection/pipeline/FlatFieldFilter.h"

#include <algorithm>
#include <cstdint>

#include "connection/pipeline/FrameView.h"

namespace nodrix::pipeline {

namespace {

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
    return (captureWidth == 1280 || captureHeight == 1024) ? 2 : 0;
}

void ApplyFlatField8(imaging::CDibImage& frame, const imaging::CDibImage& dark,
                     const imaging::CDibImage& white, int horizontalStart, int verticalStart,
                     int border) {
    ForEachCorrectedPixel<std::uint8_t>(
        frame, dark, white, horizontalStart, verticalStart, border,
        [](std::uint8_t p, std::uint8_t d, std::uint8_t l) -> std::uint8_t {
            if (d == l) return p;
            const int value = ((p - d) * 256) / (l - d);
            return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
        });
}

void ApplyFlatField16(imaging::CDibImage& frame, const imaging::CDibImage& dark,
                      const imaging::CDibImage& white, int horizontalStart, int verticalStart,
                      int border) {
    ForEachCorrectedPixel<std::uint16_t>(
        frame, dark, white, horizontalStart, verticalStart, border,
        [](std::uint16_t p, std::uint16_t d, std::uint16_t l) -> std::uint16_t {
            if (d >= l) return p;
            const std::int64_t value =
                (static_cast<std::int64_t>(p) - d) * 4096 / (static_cast<std::int64_t>(l) - d);
            return static_cast<std::uint16_t>(std::clamp<std::int64_t>(value, 0, 4095) * 16);
        });
}

}  // namespace nodrix::pipeline
