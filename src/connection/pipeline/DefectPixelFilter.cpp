#include "connection/pipeline/DefectPixelFilter.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "connection/pipeline/FrameView.h"

namespace nodrix::pipeline {

namespace {

template <typename Sample>
bool CoversFrame(const FrameView<const Sample>& map, const FrameView<Sample>& frame) {
    return !map.Empty() && map.Count() >= frame.Count();
}

template <typename Sample>
void MarkDefects(const FrameView<Sample>& frame, const FrameView<Sample>& mark,
                 const FrameView<const Sample>& dark, const FrameView<const Sample>& white,
                 int threshold) {
    const bool useDark = CoversFrame(dark, frame);
    const bool useWhite = CoversFrame(white, frame);
    for (int y = 4; y <= frame.height - 5; ++y) {
        const Sample* above = frame.Row(y - 1);
        const Sample* row = frame.Row(y);
        const Sample* below = frame.Row(y + 1);
        const std::ptrdiff_t rowOffset = static_cast<std::ptrdiff_t>(y) * frame.pitch;
        for (int x = 4; x <= frame.width - 5; ++x) {
            const std::ptrdiff_t offset = rowOffset + x;
            bool marked = (useDark && dark.samples[offset] == 1) ||
                          (useWhite && white.samples[offset] == 1);
            if (!marked) {
                const int neighbours = (above[x] + below[x] + row[x - 1] + row[x + 1]) >> 2;
                marked = std::abs(static_cast<int>(row[x]) - neighbours) >= threshold;
            }
            if (marked) mark.samples[offset] = 1;
        }
    }
}

// The nearest unmarked sample from (y, x) in steps of (dy, dx), inside the
// frame; false when there is none.
template <typename Sample>
bool NearestGood(const FrameView<Sample>& frame, const FrameView<Sample>& mark, int y, int x,
                 int dy, int dx, int* value) {
    for (y += dy, x += dx; y >= 0 && y < frame.height && x >= 0 && x < frame.width;
         y += dy, x += dx) {
        const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(y) * frame.pitch + x;
        if (mark.samples[offset] == 0) {
            *value = frame.samples[offset];
            return true;
        }
    }
    return false;
}

template <typename Sample>
void ReplaceMarked(const FrameView<Sample>& frame, const FrameView<Sample>& mark) {
    static constexpr int kDirections[4][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
    for (int y = 4; y <= frame.height - 5; ++y) {
        for (int x = 4; x <= frame.width - 5; ++x) {
            const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(y) * frame.pitch + x;
            if (mark.samples[offset] == 0) continue;
            int sum = 0;
            int count = 0;
            for (const auto& direction : kDirections) {
                int value = 0;
                if (NearestGood(frame, mark, y, x, direction[0], direction[1], &value)) {
                    sum += value;
                    ++count;
                }
            }
            if (count > 0) frame.samples[offset] = static_cast<Sample>(sum / count);
        }
    }
}

template <typename Sample>
void ApplyDefectFilter(imaging::CDibImage& frameImage, imaging::CDibImage& markImage,
                       const imaging::CDibImage& defectDark,
                       const imaging::CDibImage& defectWhite, int threshold) {
    const auto frame = ViewOf<Sample>(frameImage);
    const auto markView = ViewOf<Sample>(markImage);
    if (frame.Empty() || markView.Empty() || markView.Count() < frame.Count()) return;
    // The mark map is addressed with the frame's own layout.
    const FrameView<Sample> mark{markView.samples, frame.width, frame.height, frame.pitch};
    std::memset(mark.samples, 0, mark.Count() * sizeof(Sample));
    MarkDefects(frame, mark, ViewOf<Sample>(std::as_const(defectDark)),
                ViewOf<Sample>(std::as_const(defectWhite)), threshold);
    ReplaceMarked(frame, mark);
}

}  // namespace

void ApplyDefectFilter8(imaging::CDibImage& frame, imaging::CDibImage& mark,
                        const imaging::CDibImage& defectDark,
                        const imaging::CDibImage& defectWhite, int threshold) {
    ApplyDefectFilter<std::uint8_t>(frame, mark, defectDark, defectWhite, threshold);
}

void ApplyDefectFilter16(imaging::CDibImage& frame, imaging::CDibImage& mark,
                         const imaging::CDibImage& defectDark,
                         const imaging::CDibImage& defectWhite, int threshold) {
    ApplyDefectFilter<std::uint16_t>(frame, mark, defectDark, defectWhite, threshold);
}

}  // namespace nodrix::pipeline
