// Chooses the vectorised runs of the demosaic once per process from the
// instruction-set level (which NODRIX_SIMD may lower).

#include "imaging/DemosaicSpans.h"
#include "imaging/ProcessorFeatures.h"

namespace nodrix::imaging::demosaic {

const SpanSet& ActiveSpans() {
    static const SpanSet spans = [] {
        SpanSet s;
        const SimdLevel level = ActiveSimdLevel();
        if (level >= SimdLevel::Avx2) {
            s.vector8 = SpanVector8Avx2;
            s.plain8 = SpanPlain8Avx2;
            s.plain16 = SpanPlain16Avx2;
            if (level >= SimdLevel::Avx512) {
                s.vector8 = SpanVector8Avx512;
                s.plain8 = SpanPlain8Avx512;
            }
        } else if (level >= SimdLevel::Ssse3) {
            s.vector8 = SpanVector8Ssse3;
            s.plain8 = SpanPlain8Ssse3;
            if (level >= SimdLevel::Sse41) s.plain16 = SpanPlain16Sse41;
        } else if (level >= SimdLevel::Sse2) {
            s.vector8 = SpanVector8Sse2;
            s.plain8 = SpanPlain8Sse2;
        }
        return s;
    }();
    return spans;
}

}  // namespace nodrix::imaging::demosaic
