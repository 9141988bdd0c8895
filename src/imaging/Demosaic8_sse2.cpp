// The 8-bit demosaic run for processors with SSE2.

#include "imaging/Demosaic8Sse.inl"

namespace nodrix::imaging::demosaic {

int SpanVector8Sse2(const SpanArgs& a) {
    return Span8<true>(a);
}
int SpanPlain8Sse2(const SpanArgs& a) {
    return Span8<false>(a);
}

}  // namespace nodrix::imaging::demosaic
