// The demosaic of the two outer rows and columns on each side. A neighbour
// outside the rectangle is taken from four positions further in, which has
// the same Bayer phase. Every strip pixel is computed at its own phase, so
// odd widths and heights get the colours of their true pattern position.

#include <algorithm>
#include <cstdint>

#include "imaging/ConversionKernels.h"
#include "imaging/DemosaicFormula.h"
#include "imaging/DemosaicSpans.h"

namespace nodrix::imaging {

namespace {

// Folds an index outside 0..size-1 back by four; tiny rectangles (under four
// pixels) are clamped as well.
inline int Fold(int i, int size) {
    if (i < 0)
        i += 4;
    else if (i >= size)
        i -= 4;
    return std::clamp(i, 0, size - 1);
}

template <bool kWide>
int Border(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX, int dstY,
           int dstBpp, int srcBpp, int dstStride, int srcStride, void* param) {
    const auto* p = static_cast<const DemosaicParams*>(param);
    const int sampleBytes = kWide ? 2 : 1;
    if (p == nullptr || srcBpp != sampleBytes) return 0;
    if (dstBpp != 3 * sampleBytes && dstBpp != 4 * sampleBytes) return 0;
    const int width = rect.Width();
    const int height = rect.Height();
    const std::int32_t blueFactor = demosaic::GainFactor(p->blueGain);
    const std::int32_t redFactor = demosaic::GainFactor(p->redGain);
    const int rowPhase = BayerRowPhase(p->bayerMode);
    const int columnPhase = BayerColumnPhase(p->bayerMode);
    const std::uint8_t* base = src + static_cast<std::ptrdiff_t>(rect.top) * srcStride +
                               static_cast<std::ptrdiff_t>(rect.left) * srcBpp;
    // The vectorised runs of the plain formula also serve the long top and
    // bottom strips, whose folded rows are ordinary rows to them.
    const demosaic::SpanSet& spans = demosaic::ActiveSpans();
    demosaic::SpanFn span = kWide ? spans.plain16 : spans.plain8;
    const std::int32_t spanLimit = kWide ? 2047 : demosaic::kMaxPlainRunFactor8;
    if (blueFactor > spanLimit || redFactor > spanLimit) span = nullptr;

    // The side columns of every row with their folded neighbours (dx -2..+1),
    // folded once.
    struct Side {
        int column;
        int folded[4];
    };
    Side sides[4];
    int sideCount = 0;
    auto addSide = [&](int c) {
        Side& side = sides[sideCount++];
        side.column = c;
        for (int dx = -2; dx <= 1; ++dx) side.folded[dx + 2] = Fold(c + dx, width);
    };
    for (int c = 0; c < std::min(2, width); ++c) addSide(c);
    for (int c = std::max(2, width - 2); c < width; ++c) addSide(c);

    for (int r = 0; r < height; ++r) {
        const bool fullRow = r < 2 || r >= height - 2;
        demosaic::SpanArgs a;
        for (int k = 0; k < 4; ++k)
            a.rows[k] = base + static_cast<std::ptrdiff_t>(Fold(r - 2 + k, height)) * srcStride;
        a.rowParity = (r + rowPhase) & 1;
        std::uint8_t* out = dst + static_cast<std::ptrdiff_t>(dstY + r) * dstStride +
                            static_cast<std::ptrdiff_t>(dstX) * dstBpp;
        // column(dx) gives the source column of c + dx.
        auto emit = [&](int c, const auto& column) {
            auto at = [&](int dy, int dx) -> std::int32_t {
                const std::uint8_t* s =
                    a.rows[dy + 2] + static_cast<std::ptrdiff_t>(column(dx)) * srcBpp;
                return kWide ? (s[0] | (s[1] << 8)) : s[0];
            };
            const demosaic::PixelSums s = demosaic::SumsAt(at, a.rowParity, (c + columnPhase) & 1);
            std::uint8_t* o = out + static_cast<std::ptrdiff_t>(c) * dstBpp;
            if constexpr (kWide) {
                const std::uint16_t v[3] = {demosaic::Scale16(blueFactor, s.blue),
                                            static_cast<std::uint16_t>(s.green),
                                            demosaic::Scale16(redFactor, s.red)};
                for (int i = 0; i < 3; ++i) {
                    o[2 * i] = static_cast<std::uint8_t>(v[i]);
                    o[2 * i + 1] = static_cast<std::uint8_t>(v[i] >> 8);
                }
            } else {
                o[0] = demosaic::Scale8(blueFactor, s.blue);
                o[1] = static_cast<std::uint8_t>(s.green);
                o[2] = demosaic::Scale8(redFactor, s.red);
            }
        };
        auto pixel = [&](int c) { emit(c, [&](int dx) { return Fold(c + dx, width); }); };
        // The two columns on each side, then for the strip rows everything
        // between them.
        for (int i = 0; i < sideCount; ++i) {
            const Side& side = sides[i];
            emit(side.column, [&](int dx) { return side.folded[dx + 2]; });
        }
        if (!fullRow) continue;
        demosaic::RunInteriorColumns(width, columnPhase, span, a, out, dstBpp, blueFactor,
                                     redFactor, pixel);
    }
    return 1;
}

}  // namespace

int DemosaicBorder8(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                    int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param) {
    return Border<false>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride, param);
}

int DemosaicBorder16(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                     int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param) {
    return Border<true>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride, param);
}

}  // namespace nodrix::imaging
