// Row loops that need AVX-512: a 256-entry byte table looked up 64 bytes at
// a time with two 128-entry byte permutes.

#include <immintrin.h>

#include "imaging/RowKernels.h"

namespace nodrix::imaging::rows {

namespace {

void Lookup8(const std::uint8_t* table, const std::uint8_t* src, std::uint8_t* dst, int count) {
    const __m512i t0 = _mm512_loadu_si512(table);
    const __m512i t1 = _mm512_loadu_si512(table + 64);
    const __m512i t2 = _mm512_loadu_si512(table + 128);
    const __m512i t3 = _mm512_loadu_si512(table + 192);
    int i = 0;
    for (; i + 64 <= count; i += 64) {
        const __m512i index = _mm512_loadu_si512(src + i);
        const __m512i low = _mm512_permutex2var_epi8(t0, index, t1);   // entries 0..127
        const __m512i high = _mm512_permutex2var_epi8(t2, index, t3);  // entries 128..255
        _mm512_storeu_si512(dst + i, _mm512_mask_blend_epi8(_mm512_movepi8_mask(index), low, high));
    }
    for (; i < count; ++i) dst[i] = table[src[i]];
}

}  // namespace

RowSet Avx512Rows() {
    RowSet s = Avx2Rows();
    s.lookup8 = Lookup8;
    return s;
}

}  // namespace nodrix::imaging::rows
