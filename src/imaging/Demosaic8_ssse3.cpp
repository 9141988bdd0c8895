// The 8-bit demosaic run for processors with SSSE3 (byte shuffles for the
// interleaving of the colours).

#include "imaging/Demosaic8Sse.inl"

namespace nodrix::imaging::demosaic {

int SpanVector8Ssse3(const SpanArgs& a) {
    return Span8<true>(a);
}
int SpanPlain8Ssse3(const SpanArgs& a) {
    return Span8<false>(a);
}

}  // namespace nodrix::imaging::demosaic
