// The row loops of RowKernels.h for processors with SSSE3 (byte shuffles).

#include <tmmintrin.h>

#include "imaging/RowKernels.h"

namespace nodrix::imaging::rows {

namespace {

// 16 grey bytes to 48 bytes, each three times.
int GreyToBgr(const std::uint8_t* src, std::uint8_t* dst, int count) {
    const __m128i first = _mm_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5);
    const __m128i middle = _mm_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10);
    const __m128i last =
        _mm_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15);
    int done = 0;
    for (; done + 16 <= count; done += 16) {
        const __m128i grey = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + done));
        __m128i* d = reinterpret_cast<__m128i*>(dst + 3 * done);
        _mm_storeu_si128(d, _mm_shuffle_epi8(grey, first));
        _mm_storeu_si128(d + 1, _mm_shuffle_epi8(grey, middle));
        _mm_storeu_si128(d + 2, _mm_shuffle_epi8(grey, last));
    }
    return done;
}

}  // namespace

void AddSsse3Rows(RowSet& s) {
    s.greyToBgr = GreyToBgr;
}

}  // namespace nodrix::imaging::rows
