#include "imaging/SimdDispatch.h"

#include <cstdlib>

#include "imaging/ConversionKernels.h"

namespace nodrix::imaging {

namespace {

rows::RowSet RowsFor(SimdLevel level) {
    rows::RowSet s;
    if (level >= SimdLevel::Ssse3) rows::AddSsse3Rows(s);
    if (level < SimdLevel::Avx2) return s;
    // Every processor with AVX2 also has the fused multiply-add
    // (DetectSimdLevel requires both), so the level's curves include the
    // runs that fuse.
    rows::AddAvx2Rows(s);
    rows::SetAvx2Curves16(s);
    rows::SetFmaCurves16(s);
    rows::SetAvx2SharpenRows(s);
    rows::SetAvx2HueRows(s);
    if (level < SimdLevel::Avx512) return s;
    rows::AddAvx512Rows(s);
    rows::SetAvx512Curves16(s);
    return s;
}

demosaic::SpanSet SpansFor(SimdLevel level) {
    demosaic::SpanSet s;
    if (level >= SimdLevel::Avx512) {
        s.vector8 = demosaic::SpanVector8Avx512;
        s.plain8 = demosaic::SpanPlain8Avx512;
        s.plain16 = demosaic::SpanPlain16Avx2;
    } else if (level >= SimdLevel::Avx2) {
        s.vector8 = demosaic::SpanVector8Avx2;
        s.plain8 = demosaic::SpanPlain8Avx2;
        s.plain16 = demosaic::SpanPlain16Avx2;
    } else if (level >= SimdLevel::Ssse3) {
        s.vector8 = demosaic::SpanVector8Ssse3;
        s.plain8 = demosaic::SpanPlain8Ssse3;
        if (level >= SimdLevel::Sse41) s.plain16 = demosaic::SpanPlain16Sse41;
    } else if (level >= SimdLevel::Sse2) {
        s.vector8 = demosaic::SpanVector8Sse2;
        s.plain8 = demosaic::SpanPlain8Sse2;
    }
    return s;
}

}  // namespace

KernelTable BuildKernelTable(SimdLevel level, const ProcessorFeatures& processor) {
    KernelTable t;
    t.level = level;
    t.processor = processor;
    t.rows = RowsFor(level);
    t.spans = SpansFor(level);
    return t;
}

const KernelTable& Kernels() {
    static const KernelTable table = [] {
        SimdLevel level = DetectSimdLevel();
        SimdLevel limit;
        if (ParseSimdLevel(std::getenv("NODRIX_SIMD"), limit) && limit < level) level = limit;
        return BuildKernelTable(level, DetectProcessorFeatures());
    }();
    return table;
}

SimdLevel ActiveSimdLevel() {
    return Kernels().level;
}

namespace rows {
const RowSet& ActiveRows() {
    return Kernels().rows;
}
}  // namespace rows

namespace demosaic {
const SpanSet& ActiveSpans() {
    return Kernels().spans;
}
}  // namespace demosaic

PixelKernel DemosaicInterior8For(int dstBpp, const DemosaicParams& params) {
    return ChooseDemosaicInterior8(Kernels().processor, dstBpp, params);
}

}  // namespace nodrix::imaging
