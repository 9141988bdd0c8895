// The sharpening rows of RowKernels.h for processors with AVX2: column sums
// of the four rows first, then the box of four column sums, the difference
// and its tenths per lane.

#include <immintrin.h>

#include "imaging/RowKernels.h"

namespace nodrix::imaging::rows {

namespace {

// Every fourth sample (16 lanes of 8 or 8 lanes of 16 bits): the fourth
// samples of 32-bit and 64-bit pixels, kept from the destination.
inline __m128i FourthBytes() {
    return _mm_set1_epi32(static_cast<int>(0xFF000000u));
}
inline __m128i FourthWords() {
    return _mm_set1_epi64x(static_cast<long long>(0xFFFF000000000000ull));
}

inline void Store(std::uint8_t* out, __m128i v, bool keepFourth, __m128i fourth) {
    auto* d = reinterpret_cast<__m128i*>(out);
    if (keepFourth) v = _mm_blendv_epi8(v, _mm_loadu_si128(d), fourth);
    _mm_storeu_si128(d, v);
}

// strength * difference / 10 truncated toward zero, for products within
// +-7650: the high half of |x| * 6554 is |x| / 10 exactly there.
inline __m256i TenthsTowardZero16(__m256i x) {
    const __m256i q = _mm256_mulhi_epu16(_mm256_abs_epi16(x), _mm256_set1_epi16(6554));
    return _mm256_sign_epi16(q, x);
}

void SharpenRow8(const std::uint8_t* const rows[4], std::uint8_t* out, int count, int step,
                 int strength, std::uint16_t* sums) {
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        __m256i sum = _mm256_setzero_si256();
        for (int k = 0; k < 4; ++k)
            sum = _mm256_add_epi16(sum, _mm256_cvtepu8_epi16(_mm_loadu_si128(
                                            reinterpret_cast<const __m128i*>(rows[k] + i))));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + i), sum);
    }
    for (; i < count; ++i)
        sums[i] = static_cast<std::uint16_t>(rows[0][i] + rows[1][i] + rows[2][i] + rows[3][i]);

    const bool keepFourth = step == 4;
    const int first = 2 * step;
    const int last = count - 2 * step;  // exclusive
    const __m256i c = _mm256_set1_epi16(static_cast<short>(strength));
    auto load = [&](int at) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sums + at));
    };
    i = first;
    for (; i + 16 <= last; i += 16) {
        const __m256i box = _mm256_add_epi16(_mm256_add_epi16(load(i - 2 * step), load(i - step)),
                                             _mm256_add_epi16(load(i), load(i + step)));
        const __m256i s =
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[2] + i)));
        const __m256i d = _mm256_sub_epi16(s, _mm256_srli_epi16(box, 4));
        const __m256i v = _mm256_add_epi16(s, TenthsTowardZero16(_mm256_mullo_epi16(d, c)));
        const __m256i bytes = _mm256_packus_epi16(v, v);
        Store(out + i, _mm256_castsi256_si128(_mm256_permute4x64_epi64(bytes, 0x08)), keepFourth,
              FourthBytes());
    }
    for (; i < last; ++i) {
        if (keepFourth && i % 4 == 3) continue;
        const int blur = (sums[i - 2 * step] + sums[i - step] + sums[i] + sums[i + step]) >> 4;
        const int s = rows[2][i];
        const int v = s + (strength * (s - blur)) / 10;
        out[i] = static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
    }
}

inline __m256i Widen16(const std::uint8_t* p) {
    return _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

inline int Sample16(const std::uint8_t* row, int i) {
    return row[2 * i] | (row[2 * i + 1] << 8);
}

// Products up to 30 * 65535 in magnitude are exact in single precision, and
// their tenths truncated from the single-precision product by 0.1f are the
// integer quotients toward zero over that whole range.
void SharpenRow16(const std::uint8_t* const rows[4], std::uint8_t* out, int count, int step,
                  int strength, std::int32_t* sums) {
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i sum =
            _mm256_add_epi32(_mm256_add_epi32(Widen16(rows[0] + 2 * i), Widen16(rows[1] + 2 * i)),
                             _mm256_add_epi32(Widen16(rows[2] + 2 * i), Widen16(rows[3] + 2 * i)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + i), sum);
    }
    for (; i < count; ++i)
        sums[i] = Sample16(rows[0], i) + Sample16(rows[1], i) + Sample16(rows[2], i) +
                  Sample16(rows[3], i);

    const bool keepFourth = step == 4;
    const int first = 2 * step;
    const int last = count - 2 * step;  // exclusive
    const __m256i c = _mm256_set1_epi32(strength);
    const __m256 tenth = _mm256_set1_ps(0.1f);
    auto load = [&](int at) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sums + at));
    };
    i = first;
    for (; i + 8 <= last; i += 8) {
        const __m256i box = _mm256_add_epi32(_mm256_add_epi32(load(i - 2 * step), load(i - step)),
                                             _mm256_add_epi32(load(i), load(i + step)));
        const __m256i s = Widen16(rows[2] + 2 * i);
        const __m256i d = _mm256_mullo_epi32(_mm256_sub_epi32(s, _mm256_srli_epi32(box, 4)), c);
        const __m256i q = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(d), tenth));
        const __m256i v = _mm256_add_epi32(s, q);
        // The saturating pack limits to 0..65535.
        const __m256i words = _mm256_packus_epi32(v, v);
        Store(out + 2 * i, _mm256_castsi256_si128(_mm256_permute4x64_epi64(words, 0x08)),
              keepFourth, FourthWords());
    }
    for (; i < last; ++i) {
        if (keepFourth && i % 4 == 3) continue;
        const int blur = (sums[i - 2 * step] + sums[i - step] + sums[i] + sums[i + step]) >> 4;
        const int s = Sample16(rows[2], i);
        int v = s + (strength * (s - blur)) / 10;
        v = v < 0 ? 0 : (v > 65535 ? 65535 : v);
        out[2 * i] = static_cast<std::uint8_t>(v);
        out[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
    }
}

}  // namespace

void SetAvx2SharpenRows(RowSet& rows) {
    rows.sharpenRow8 = SharpenRow8;
    rows.sharpenRow16 = SharpenRow16;
}

}  // namespace nodrix::imaging::rows
