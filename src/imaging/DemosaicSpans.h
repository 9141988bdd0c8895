#pragma once
// The vectorised inner loops of the demosaic interior. Each computes a run of
// pixels of one output row and returns how many it did (a whole number of
// vector steps); the scalar formula finishes the row.

#include <cstddef>
#include <cstdint>

namespace nodrix::imaging::demosaic {

struct SpanArgs {
    // Source rows r-2, r-1, r, r+1 around the output row, at the rectangle's
    // left column (8-bit or 16-bit samples).
    const std::uint8_t* rows[4];
    int rowParity;
    // First column of the run (relative to the rectangle); its column parity
    // is 0. count pixels from there are interior pixels.
    int column;
    int count;
    // Destination pixel of column.
    std::uint8_t* out;
    int dstBpp;
    std::int32_t blueFactor;
    std::int32_t redFactor;
};

using SpanFn = int (*)(const SpanArgs&);

// 8-bit source, the vector formula (24-bit output, factors up to 256).
int SpanVector8Sse2(const SpanArgs& a);
int SpanVector8Ssse3(const SpanArgs& a);
int SpanVector8Avx2(const SpanArgs& a);
int SpanVector8Avx512(const SpanArgs& a);
// 8-bit source, the plain formula (24 or 32-bit output, factors up to
// kMaxPlainRunFactor8).
constexpr std::int32_t kMaxPlainRunFactor8 = 16383;
int SpanPlain8Sse2(const SpanArgs& a);
int SpanPlain8Ssse3(const SpanArgs& a);
int SpanPlain8Avx2(const SpanArgs& a);
int SpanPlain8Avx512(const SpanArgs& a);
// 16-bit source (48 or 64-bit output, factors below 2048).
int SpanPlain16Sse41(const SpanArgs& a);
int SpanPlain16Avx2(const SpanArgs& a);

// The set the dispatcher chose for this process (null members: scalar).
struct SpanSet {
    SpanFn vector8 = nullptr;
    SpanFn plain8 = nullptr;
    SpanFn plain16 = nullptr;
};
const SpanSet& ActiveSpans();

// Computes the interior columns 2 .. width-3 of one output row: the scalar
// pixel(c) up to the first column of parity 0, then the run function (when
// there is one) over as much as it takes, then pixel(c) for the rest. a
// carries the row; out is the row's first destination pixel.
template <typename Pixel>
void RunInteriorColumns(int width, int columnPhase, SpanFn span, SpanArgs& a, std::uint8_t* out,
                        int dstBpp, std::int32_t blueFactor, std::int32_t redFactor,
                        Pixel&& pixel) {
    int c = 2;
    if (((c + columnPhase) & 1) != 0 && c <= width - 3) pixel(c++);
    if (span != nullptr && c <= width - 3) {
        a.column = c;
        a.count = width - 2 - c;
        a.out = out + static_cast<std::ptrdiff_t>(c) * dstBpp;
        a.dstBpp = dstBpp;
        a.blueFactor = blueFactor;
        a.redFactor = redFactor;
        c += span(a);
    }
    for (; c <= width - 3; ++c) pixel(c);
}

}  // namespace nodrix::imaging::demosaic

namespace nodrix::imaging {
struct KernelRect;
}

namespace nodrix::imaging::demosaic {

// The interior kernels with a given run function (null: the formula alone),
// for tests and benchmarks that compare the variants.
int InteriorWithSpan8(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                      int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param,
                      bool vectorFormula, SpanFn span);
int InteriorWithSpan16(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                       int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param,
                       SpanFn span);

}  // namespace nodrix::imaging::demosaic
