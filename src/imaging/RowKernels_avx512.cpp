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

void LookupBgrx8(const std::uint8_t* table, const std::uint8_t* src, std::uint8_t* dst, int count) {
    const __m512i t0 = _mm512_loadu_si512(table);
    const __m512i t1 = _mm512_loadu_si512(table + 64);
    const __m512i t2 = _mm512_loadu_si512(table + 128);
    const __m512i t3 = _mm512_loadu_si512(table + 192);
    const __mmask64 colours = 0x7777777777777777ull;  // the fourth bytes are not written
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m512i v = _mm512_loadu_si512(src + 4 * i);
        const __m512i low = _mm512_permutex2var_epi8(t0, v, t1);
        const __m512i high = _mm512_permutex2var_epi8(t2, v, t3);
        const __m512i looked = _mm512_mask_blend_epi8(_mm512_movepi8_mask(v), low, high);
        _mm512_mask_storeu_epi8(dst + 4 * i, colours, looked);
    }
    for (; i < count; ++i)
        for (int k = 0; k < 3; ++k) dst[4 * i + k] = table[src[4 * i + k]];
}

}  // namespace

RowSet Avx512Rows() {
    RowSet s = Avx2Rows();
    s.lookup8 = Lookup8;
    s.lookupBgrx8 = LookupBgrx8;
    return s;
}

}  // namespace nodrix::imaging::rows
