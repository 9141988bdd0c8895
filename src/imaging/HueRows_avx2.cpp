// Hue and saturation for processors with AVX2: eight pixels at a time in
// 32-bit lanes, every table of the scalar kernel replaced by the formula it
// is built from (or, for the reciprocals, a gather from it), and the sector
// masks and steps picked by a lane permute.

#include <immintrin.h>

#include "imaging/RowKernels.h"

namespace nodrix::imaging::rows {

namespace {

// Eight 24-bit pixels (reads 28 bytes) widened to (B, G, R, 0).
inline __m256i Widen24(const std::uint8_t* s) {
    const __m256i v = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 12)), 1);
    const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0,
                                            1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    return _mm256_shuffle_epi8(v, spread);
}

// Eight results 0x..RRGGBB to 24 bytes.
inline void Store24(std::uint8_t* dst, __m256i bgrx) {
    const __m256i drop = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0,
                                          1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i packed = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(bgrx, drop),
                                                       _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm256_castsi256_si128(packed));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 16), _mm256_extracti128_si256(packed, 1));
}

inline __m256i Set(int v) {
    return _mm256_set1_epi32(v);
}
inline __m256i Select(__m256i ifFalse, __m256i ifTrue, __m256i condition) {
    return _mm256_blendv_epi8(ifFalse, ifTrue, condition);
}
inline __m256i Grey(__m256i v) {
    const __m256i byte = _mm256_min_epi32(_mm256_max_epi32(v, _mm256_setzero_si256()), Set(255));
    return _mm256_mullo_epi32(byte, Set(0x010101));
}

// The pixels (B, G, R, x) of eight lanes to their adjusted 0x..RRGGBB, as
// the scalar Adjust computes them.
inline __m256i Adjust(const HueRowParams& h, __m256i bgrx) {
    const __m256i low = Set(0xFF);
    const __m256i blue = _mm256_and_si256(bgrx, low);
    const __m256i green = _mm256_and_si256(_mm256_srli_epi32(bgrx, 8), low);
    const __m256i red = _mm256_and_si256(_mm256_srli_epi32(bgrx, 16), low);

    const __m256i redBelowGreen = _mm256_cmpgt_epi32(green, red);
    __m256i max = Select(red, green, redBelowGreen);
    const __m256i other = Select(green, red, redBelowGreen);
    __m256i s = Select(Set(1), Set(3), redBelowGreen);
    __m256i d = Select(_mm256_sub_epi32(green, blue), _mm256_sub_epi32(blue, red), redBelowGreen);
    const __m256i blueAbove = _mm256_cmpgt_epi32(blue, max);
    max = Select(max, blue, blueAbove);
    s = Select(s, Set(5), blueAbove);
    d = Select(d, _mm256_sub_epi32(red, green), blueAbove);
    const __m256i min = _mm256_min_epi32(other, blue);
    const __m256i chroma = _mm256_sub_epi32(max, min);
    const __m256i light = _mm256_add_epi32(max, min);
    const __m256i negative = _mm256_cmpgt_epi32(_mm256_setzero_si256(), d);
    s = _mm256_add_epi32(s, negative);
    d = _mm256_add_epi32(d, _mm256_and_si256(chroma, negative));

    // The lightness table and the largest chroma at each lightness.
    const __m256i k = Set(h.lightnessFactor);
    const __m256i round = Set(128);
    const __m256i l2 =
        h.dark ? _mm256_srai_epi32(_mm256_add_epi32(_mm256_mullo_epi32(k, light), round), 8)
               : _mm256_sub_epi32(Set(511), _mm256_srai_epi32(
                                                _mm256_add_epi32(_mm256_mullo_epi32(
                                                                     k, _mm256_sub_epi32(Set(511), light)),
                                                                 round),
                                                8));
    const __m256i limit = _mm256_min_epi32(l2, _mm256_sub_epi32(Set(511), l2));
    const __m256i scaled = _mm256_srai_epi32(
        _mm256_add_epi32(_mm256_mullo_epi32(chroma, Set(h.saturationScale)), Set(0x8000)), 16);
    const __m256i c2 = _mm256_min_epi32(scaled, limit);
    const __m256i m = _mm256_srai_epi32(_mm256_sub_epi32(l2, c2), 1);
    const __m256i c = _mm256_sub_epi32(_mm256_srai_epi32(_mm256_add_epi32(c2, l2), 1), m);

    // The hue: the position within the sector, rotated.
    const __m256i recip =
        _mm256_i32gather_epi32(reinterpret_cast<const int*>(h.recip), chroma, 4);
    __m256i p = _mm256_add_epi32(
        _mm256_srli_epi32(_mm256_add_epi32(_mm256_mullo_epi32(recip, d), Set(0x8000)), 16),
        Set(h.offset));
    s = _mm256_add_epi32(s, Set(h.sector));
    const __m256i wraps = _mm256_cmpgt_epi32(p, Set(254));
    p = _mm256_sub_epi32(p, _mm256_and_si256(wraps, Set(255)));
    s = _mm256_sub_epi32(s, wraps);
    // Sectors 6..11 repeat 0..5.
    s = _mm256_sub_epi32(s, _mm256_and_si256(_mm256_cmpgt_epi32(s, Set(5)), Set(6)));
    const __m256i mask = _mm256_permutevar8x32_epi32(
        _mm256_setr_epi32(0xFF00FF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0, 0), s);
    const __m256i step = _mm256_permutevar8x32_epi32(
        _mm256_setr_epi32(-1, 0x100, -0x10000, 1, -0x100, 0x10000, 0, 0), s);
    const __m256i fraction =
        _mm256_srai_epi32(_mm256_add_epi32(_mm256_mullo_epi32(c, p), round), 8);
    const __m256i hue = _mm256_add_epi32(_mm256_and_si256(Grey(c), mask),
                                         _mm256_mullo_epi32(fraction, step));
    const __m256i grey = _mm256_cmpeq_epi32(chroma, _mm256_setzero_si256());
    return _mm256_add_epi32(Grey(m), _mm256_andnot_si256(grey, hue));
}

int HueRow(const HueRowParams& h, const std::uint8_t* src, std::uint8_t* dst, int count,
           int bpp) {
    int done = 0;
    if (bpp == 3) {
        // The last load of a step reads 4 bytes past its pixels: keep 2
        // pixels of room.
        for (; done + 10 <= count; done += 8) {
            const __m256i v = Adjust(h, Widen24(src + 3 * done));
            Store24(dst + 3 * done, v);
        }
    } else if (bpp == 4) {
        const __m256i fourth = Set(static_cast<int>(0xFF000000u));
        for (; done + 8 <= count; done += 8) {
            auto* out = reinterpret_cast<__m256i*>(dst + 4 * done);
            const __m256i v = Adjust(
                h, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * done)));
            _mm256_storeu_si256(out, _mm256_blendv_epi8(v, _mm256_loadu_si256(out), fourth));
        }
    }
    return done;
}

int HighBytesToSamples(const std::uint8_t* colours, std::uint8_t* dst, int count, int bpp) {
    int done = 0;
    if (bpp == 6) {
        // 16 bytes to 16 samples.
        const int bytes = 3 * count;
        for (; done + 16 <= bytes; done += 16) {
            const __m256i v = _mm256_cvtepu8_epi16(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(colours + done)));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 2 * done),
                                _mm256_slli_epi16(v, 8));
        }
        return done / 3;
    }
    if (bpp == 8) {
        // Four pixels (12 bytes, reading 16) to four (B, G, R, x) samples.
        const __m256i fourth = _mm256_set1_epi64x(static_cast<long long>(0xFFFF000000000000ull));
        const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
        for (; done + 6 <= count; done += 4) {
            const __m128i bgr0 = _mm_shuffle_epi8(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(colours + 3 * done)), spread);
            const __m256i samples = _mm256_slli_epi16(_mm256_cvtepu8_epi16(bgr0), 8);
            auto* out = reinterpret_cast<__m256i*>(dst + 8 * done);
            _mm256_storeu_si256(out, _mm256_blendv_epi8(samples, _mm256_loadu_si256(out), fourth));
        }
    }
    return done;
}

}  // namespace

void SetAvx2HueRows(RowSet& rows) {
    rows.hueRow = HueRow;
    rows.highBytesToSamples = HighBytesToSamples;
}

}  // namespace nodrix::imaging::rows
