#include "pipeline/DefectPixelFilter.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "pipeline/FrameView.h"

namespace nodrix::pipeline {

namespace {

// Marks are only made this far inside the frame, so the outer four rows and
// columns are always good pixels: every marked pixel has a good pixel in
// each of the four directions.
constexpr int kMarkMargin = 4;

// All bits set for a mark (1), none for a good pixel (0): selecting with it
// keeps the loops free of branches, so they vectorise.
template <typename Sample>
Sample AllOnesWhere(Sample mark) {
    return static_cast<Sample>(0u - mark);
}

template <typename Sample>
bool CoversFrame(const FrameView<const Sample>& map, const FrameView<Sample>& frame) {
    return !map.Empty() && map.Count() >= frame.Count();
}

// One row of the marking pass. The maps, when consulted, are addressed at the
// row's own offset in the frame buffer. Every sample from first to last is
// written (0 or 1), with no branch on the data, so the loop vectorises.
template <bool kUseDark, bool kUseWhite, typename Sample>
void MarkRow(const Sample* above, const Sample* row, const Sample* below, const Sample* dark,
             const Sample* white, Sample* mark, int first, int last, int threshold) {
    for (int x = first; x <= last; ++x) {
        const int neighbours = (above[x] + below[x] + row[x - 1] + row[x + 1]) >> 2;
        const int difference = static_cast<int>(row[x]) - neighbours;
        bool marked = (difference >= threshold) | (-difference >= threshold);
        if constexpr (kUseDark) marked = marked | (dark[x] == 1);
        if constexpr (kUseWhite) marked = marked | (white[x] == 1);
        mark[x] = static_cast<Sample>(marked);
    }
}

template <typename Sample>
void MarkDefects(const FrameView<Sample>& frame, const FrameView<Sample>& mark,
                 const FrameView<const Sample>& dark, const FrameView<const Sample>& white,
                 int threshold) {
    const bool useDark = CoversFrame(dark, frame);
    const bool useWhite = CoversFrame(white, frame);
    const int first = kMarkMargin;
    const int last = frame.width - 1 - kMarkMargin;
    for (int y = kMarkMargin; y <= frame.height - 1 - kMarkMargin; ++y) {
        const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(y) * frame.pitch;
        const Sample* above = frame.Row(y - 1);
        const Sample* row = frame.Row(y);
        const Sample* below = frame.Row(y + 1);
        const Sample* darkRow = useDark ? dark.samples + offset : nullptr;
        const Sample* whiteRow = useWhite ? white.samples + offset : nullptr;
        Sample* markRow = mark.Row(y);
        if (useDark && useWhite) {
            MarkRow<true, true>(above, row, below, darkRow, whiteRow, markRow, first, last,
                                threshold);
        } else if (useDark) {
            MarkRow<true, false>(above, row, below, darkRow, whiteRow, markRow, first, last,
                                 threshold);
        } else if (useWhite) {
            MarkRow<false, true>(above, row, below, darkRow, whiteRow, markRow, first, last,
                                 threshold);
        } else {
            MarkRow<false, false>(above, row, below, darkRow, whiteRow, markRow, first, last,
                                  threshold);
        }
    }
}

// Replaces every marked pixel by the mean of the nearest good pixels left,
// right, above and below it. Marks do not change here and good pixels are
// never written, so those four values depend only on the marks and the
// original frame, and sweeps that carry the last good value find them all
// in time proportional to the frame:
//  - downwards, each marked pixel takes the value above it, which is either
//    good or a marked pixel already holding its own nearest good value above;
//  - upwards, `below` carries per column the nearest good value under the
//    current row, and each run of marked pixels along a row finds its left
//    and right sources at the good pixels that bound the run.
// Every marked pixel has all four sources (see kMarkMargin), so the mean is
// always of four.
template <typename Sample>
void ReplaceMarked(const FrameView<Sample>& frame, const FrameView<Sample>& mark, Sample* below) {
    const int top = kMarkMargin;
    const int bottom = frame.height - 1 - kMarkMargin;
    const int first = kMarkMargin;
    const int last = frame.width - 1 - kMarkMargin;
    if (bottom < top || last < first) return;

    for (int y = top; y <= bottom; ++y) {
        const Sample* up = frame.Row(y - 1);
        const Sample* marks = mark.Row(y);
        Sample* row = frame.Row(y);
        for (int x = first; x <= last; ++x) {
            const Sample chosen = AllOnesWhere(marks[x]);
            row[x] = static_cast<Sample>((up[x] & chosen) | (row[x] & ~chosen));
        }
    }

    std::memcpy(below + first, frame.Row(bottom + 1) + first,
                sizeof(Sample) * static_cast<std::size_t>(last - first + 1));
    for (int y = bottom; y >= top; --y) {
        const Sample* marks = mark.Row(y);
        Sample* row = frame.Row(y);
        for (int x = first; x <= last;) {
            if (marks[x] == 0) {
                ++x;
                continue;
            }
            int end = x + 1;
            while (end <= last && marks[end] != 0) ++end;
            // Columns x - 1 and end are good: outside the marked columns or
            // unmarked inside them.
            const unsigned sides = static_cast<unsigned>(row[x - 1]) + row[end];
            for (; x < end; ++x) {
                row[x] = static_cast<Sample>((sides + row[x] + below[x]) / 4);
            }
        }
        // Only the good pixels move the carried values on; marked columns
        // keep theirs, so this may follow the replacement above.
        for (int x = first; x <= last; ++x) {
            const Sample kept = AllOnesWhere(marks[x]);
            below[x] = static_cast<Sample>((below[x] & kept) | (row[x] & ~kept));
        }
    }
}

template <typename Sample>
void ApplyDefectFilter(imaging::CDibImage& frameImage, imaging::CDibImage& markImage,
                       const imaging::CDibImage& defectDark, const imaging::CDibImage& defectWhite,
                       int threshold) {
    const auto frame = ViewOf<Sample>(frameImage);
    const auto markView = ViewOf<Sample>(markImage);
    if (frame.Empty() || markView.Empty() || markView.Count() < frame.Count()) return;
    // The mark map is addressed with the frame's own layout.
    const FrameView<Sample> mark{markView.samples, frame.width, frame.height, frame.pitch};
    std::memset(mark.samples, 0, mark.Count() * sizeof(Sample));
    MarkDefects(frame, mark, ViewOf<Sample>(std::as_const(defectDark)),
                ViewOf<Sample>(std::as_const(defectWhite)), threshold);
    if (frame.height <= 2 * kMarkMargin) return;
    // The map's first row is never marked and no longer read once the
    // marking is done: it carries the upward sweep's per-column values, and
    // is cleared again afterwards so the map holds only the marks.
    Sample* below = mark.Row(0);
    ReplaceMarked(frame, mark, below);
    std::memset(below, 0, sizeof(Sample) * static_cast<std::size_t>(frame.pitch));
}

}  // namespace

void ApplyDefectFilter8(imaging::CDibImage& frame, imaging::CDibImage& mark,
                        const imaging::CDibImage& defectDark, const imaging::CDibImage& defectWhite,
                        int threshold) {
    ApplyDefectFilter<std::uint8_t>(frame, mark, defectDark, defectWhite, threshold);
}

void ApplyDefectFilter16(imaging::CDibImage& frame, imaging::CDibImage& mark,
                         const imaging::CDibImage& defectDark,
                         const imaging::CDibImage& defectWhite, int threshold) {
    ApplyDefectFilter<std::uint16_t>(frame, mark, defectDark, defectWhite, threshold);
}

}  // namespace nodrix::pipeline
