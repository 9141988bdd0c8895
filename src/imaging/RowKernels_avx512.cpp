// Row loops that need AVX-512: a 256-entry byte table looked up 64 bytes at
// a time with two 128-entry byte permutes; colour to grey with the pixels
// spread or gathered by byte permutes.

// GCC 12's AVX-512 headers fill the unused half of some results from a
// self-initialised variable, which -Wmaybe-uninitialized reports at every
// use; the values are never read.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <immintrin.h>

#include <algorithm>

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

// The first n of 64 byte lanes (n 0..64).
inline __mmask64 Lanes(int n) {
    return n >= 64 ? ~0ull : (1ull << n) - 1;
}

// Sixteen (B, G, R, x) pixels to sixteen 32-bit lanes holding
// 11 B + 59 G + 30 R.
inline __m512i Weighted(__m512i bgrx) {
    const __m512i weights = _mm512_set1_epi32(0x001E3B0B);  // 11, 59, 30, 0
    return _mm512_madd_epi16(_mm512_maddubs_epi16(bgrx, weights), _mm512_set1_epi16(1));
}

// 64 weighted sums to grey bytes, the first count of them stored; sum / 100
// is exactly the high half of sum * 41944 shifted right by 6 for sums up to
// 25500.
inline void StoreGrey(std::uint8_t* dst, __m512i s0, __m512i s1, __m512i s2, __m512i s3,
                      int count = 64) {
    const __m512i divide = _mm512_set1_epi16(static_cast<short>(41944));
    const __m512i a = _mm512_srli_epi16(_mm512_mulhi_epu16(_mm512_packus_epi32(s0, s1), divide), 6);
    const __m512i b = _mm512_srli_epi16(_mm512_mulhi_epu16(_mm512_packus_epi32(s2, s3), divide), 6);
    // The packs interleave the four inputs by 32-bit groups within each
    // 128-bit lane.
    const __m512i order =
        _mm512_setr_epi32(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
    const __m512i grey = _mm512_permutexvar_epi32(order, _mm512_packus_epi16(a, b));
    if (count == 64)
        _mm512_storeu_si512(dst, grey);
    else
        _mm512_mask_storeu_epi8(dst, Lanes(count), grey);
}

// The last pixels of a row are loaded and stored under masks, so the loops
// do whole rows and never touch memory past them.
inline void Grey32Block(const std::uint8_t* s, std::uint8_t* d, int n) {
    auto load = [&](int first) {
        const int bytes = 4 * std::clamp(n - first, 0, 16);
        return Weighted(_mm512_maskz_loadu_epi8(Lanes(bytes), s + 4 * first));
    };
    StoreGrey(d, load(0), load(16), load(32), load(48), n);
}

int Grey32(const std::uint8_t* src, std::uint8_t* dst, int count) {
    int done = 0;
    for (; done + 64 <= count; done += 64) {
        const std::uint8_t* s = src + 4 * done;
        StoreGrey(dst + done, Weighted(_mm512_loadu_si512(s)), Weighted(_mm512_loadu_si512(s + 64)),
                  Weighted(_mm512_loadu_si512(s + 128)), Weighted(_mm512_loadu_si512(s + 192)));
    }
    if (done < count) Grey32Block(src + 4 * done, dst + done, count - done);
    return count;
}

// 24-bit pixels stay in 16-bit lanes: 22 B + 60 R and 118 G each fit a
// signed 16-bit pair sum, so two byte multiply-adds give twice the weighted
// sum without the widening to 32 bits that 32-bit pixels take.
struct Grey24Indices {
    // For 32 pixels in the 128 bytes of two vectors, starting at byte 0 or
    // 32: blue and red of pixel j as pair j, and green with itself (its
    // partner's weight is zero).
    std::uint8_t blueRed[2][64];
    std::uint8_t green[2][64];
    // The low bytes of the 16-bit lanes of two vectors.
    std::uint8_t low[64];
};

constexpr Grey24Indices MakeGrey24Indices() {
    Grey24Indices t{};
    for (int half = 0; half < 2; ++half)
        for (int j = 0; j < 32; ++j) {
            const int b = 32 * half + 3 * j;
            t.blueRed[half][2 * j] = static_cast<std::uint8_t>(b);
            t.blueRed[half][2 * j + 1] = static_cast<std::uint8_t>(b + 2);
            t.green[half][2 * j] = static_cast<std::uint8_t>(b + 1);
            t.green[half][2 * j + 1] = static_cast<std::uint8_t>(b + 1);
        }
    for (int j = 0; j < 32; ++j) {
        t.low[j] = static_cast<std::uint8_t>(2 * j);
        t.low[32 + j] = static_cast<std::uint8_t>(64 + 2 * j);
    }
    return t;
}

constexpr Grey24Indices kGrey24 = MakeGrey24Indices();

class Grey24Kernel {
public:
    Grey24Kernel()
        : blueRed0_(_mm512_loadu_si512(kGrey24.blueRed[0])),
          blueRed1_(_mm512_loadu_si512(kGrey24.blueRed[1])),
          green0_(_mm512_loadu_si512(kGrey24.green[0])),
          green1_(_mm512_loadu_si512(kGrey24.green[1])),
          low_(_mm512_loadu_si512(kGrey24.low)) {}

    // 64 pixels in the 192 bytes of a, b and c to 64 grey bytes.
    __m512i operator()(__m512i a, __m512i b, __m512i c) const {
        return Grey(Twice(a, b, blueRed0_, green0_), Twice(b, c, blueRed1_, green1_));
    }

private:
    // Twice the weighted sums 59 G + 30 R + 11 B of 32 pixels.
    static __m512i Twice(__m512i a, __m512i b, __m512i blueRed, __m512i green) {
        const __m512i br = _mm512_permutex2var_epi8(a, blueRed, b);
        const __m512i g = _mm512_permutex2var_epi8(a, green, b);
        return _mm512_add_epi16(_mm512_maddubs_epi16(br, _mm512_set1_epi16(0x3C16)),  // 22, 60
                                _mm512_maddubs_epi16(g, _mm512_set1_epi16(0x0076)));  // 118, 0
    }

    // (2 sum) / 200 is the high half of 2 sum * 41944 shifted right by 7
    // for doubled sums up to 51000.
    __m512i Grey(__m512i twice0, __m512i twice1) const {
        const __m512i divide = _mm512_set1_epi16(static_cast<short>(41944));
        const __m512i a = _mm512_srli_epi16(_mm512_mulhi_epu16(twice0, divide), 7);
        const __m512i b = _mm512_srli_epi16(_mm512_mulhi_epu16(twice1, divide), 7);
        return _mm512_permutex2var_epi8(a, low_, b);
    }

    __m512i blueRed0_, blueRed1_, green0_, green1_, low_;
};

int Grey24(const std::uint8_t* src, std::uint8_t* dst, int count) {
    const Grey24Kernel grey;
    int done = 0;
    for (; done + 64 <= count; done += 64) {
        const std::uint8_t* s = src + 3 * done;
        _mm512_storeu_si512(dst + done, grey(_mm512_loadu_si512(s), _mm512_loadu_si512(s + 64),
                                             _mm512_loadu_si512(s + 128)));
    }
    if (done < count) {
        // The last pixels loaded and stored under masks, never touching
        // memory past the row.
        const std::uint8_t* s = src + 3 * done;
        const int bytes = 3 * (count - done);
        auto load = [&](int first) {
            return _mm512_maskz_loadu_epi8(Lanes(std::clamp(bytes - first, 0, 64)), s + first);
        };
        _mm512_mask_storeu_epi8(dst + done, Lanes(count - done), grey(load(0), load(64), load(128)));
    }
    return count;
}

}  // namespace

void AddAvx512Rows(RowSet& s) {
    s.lookup8 = Lookup8;
    s.lookupBgrx8 = LookupBgrx8;
    s.grey24 = Grey24;
    s.grey32 = Grey32;
}

}  // namespace nodrix::imaging::rows
