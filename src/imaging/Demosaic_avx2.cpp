// The demosaic runs for processors with AVX2: 32 pixels per step from an
// 8-bit source, 16 from a 16-bit one. The 256-bit packing and shuffles work
// per 128-bit half, so each half holds one run of consecutive pixels and is
// stored as such.

#include "imaging/Demosaic8Avx2Colours.inl"

namespace nodrix::imaging::demosaic {

namespace {

inline __m256i Broadcast(const std::array<std::uint8_t, 16>& m) {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(m.data())));
}

// Writes the halves of regs[0..count) in stream order: the low halves
// (first run of pixels) then the high halves. With keep, the bytes of the
// fourth sample are kept from the destination.
inline void StoreHalves(const __m256i* regs, int count, std::uint8_t* out, const __m128i* keep) {
    if (keep == nullptr && count == 3) {
        auto* d = reinterpret_cast<__m256i*>(out);
        _mm256_storeu_si256(d, _mm256_permute2x128_si256(regs[0], regs[1], 0x20));
        _mm256_storeu_si256(d + 1, _mm256_permute2x128_si256(regs[2], regs[0], 0x30));
        _mm256_storeu_si256(d + 2, _mm256_permute2x128_si256(regs[1], regs[2], 0x31));
        return;
    }
    for (int half = 0; half < 2; ++half) {
        for (int i = 0; i < count; ++i) {
            __m128i v =
                half == 0 ? _mm256_castsi256_si128(regs[i]) : _mm256_extracti128_si256(regs[i], 1);
            auto* d = reinterpret_cast<__m128i*>(out + 16 * (half * count + i));
            if (keep != nullptr) v = _mm_or_si128(v, _mm_and_si128(_mm_loadu_si128(d), keep[i]));
            _mm_storeu_si128(d, v);
        }
    }
}

// Shuffles the three colour registers into pixel order for pixels of
// kPixelBytes bytes made of kSampleBytes samples, kPairs pairs per half.
template <int kSampleBytes, int kPixelBytes, int kPairs>
inline void Interleave(__m256i blue, __m256i green, __m256i red, std::uint8_t* out) {
    constexpr int kRegs = kPixelBytes * 2 * kPairs / 16;
    static constexpr auto kMasks = [] {
        std::array<std::array<std::array<std::uint8_t, 16>, 3>, 4> m{};
        for (int i = 0; i < kRegs; ++i)
            for (int ch = 0; ch < 3; ++ch)
                m[i][ch] = ShuffleMask(i, ch, kSampleBytes, kPixelBytes, kPairs);
        return m;
    }();
    static constexpr auto kKeep = [] {
        std::array<std::array<std::uint8_t, 16>, 4> m{};
        for (int i = 0; i < kRegs; ++i) m[i] = KeepMask(i, kSampleBytes, kPixelBytes);
        return m;
    }();
    __m256i regs[kRegs];
    for (int i = 0; i < kRegs; ++i) {
        regs[i] =
            _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(blue, Broadcast(kMasks[i][0])),
                                            _mm256_shuffle_epi8(green, Broadcast(kMasks[i][1]))),
                            _mm256_shuffle_epi8(red, Broadcast(kMasks[i][2])));
    }
    if constexpr (kPixelBytes == 4 * kSampleBytes) {
        __m128i keep[kRegs];
        for (int i = 0; i < kRegs; ++i)
            keep[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kKeep[i].data()));
        StoreHalves(regs, kRegs, out, keep);
    } else {
        StoreHalves(regs, kRegs, out, nullptr);
    }
}

template <bool kVectorFormula, int kPixelBytes>
int Span8(const SpanArgs& a) {
    const RowSet r = SelectRows(a);
    const Factors8 f = ShiftedFactors<kVectorFormula>(a);
    return Steps<32>(a.count, [&](int done) {
        const Colours8 c = Colours8At<kVectorFormula>(r, a.column + done, f);
        Interleave<1, kPixelBytes, 8>(c.blue, c.green, c.red,
                                      a.out + static_cast<std::ptrdiff_t>(kPixelBytes) * done);
    });
}

// ---- 16-bit source ----

inline __m256i Odd16(__m256i v) {
    return _mm256_srli_epi32(v, 16);
}
inline __m256i Even16(__m256i v) {
    return _mm256_and_si256(v, _mm256_set1_epi32(0xFFFF));
}
inline __m256i Vertical16(__m256i n, __m256i f) {
    return _mm256_add_epi32(_mm256_add_epi32(_mm256_slli_epi32(n, 1), n), f);
}
inline __m256i Scale16(__m256i sum, __m256i factor) {
    return _mm256_srli_epi32(_mm256_mullo_epi32(sum, factor), 11);
}

template <int kPixelBytes>
int Span16(const SpanArgs& a) {
    const RowSet r = SelectRows(a);
    const __m256i blueFactor = _mm256_set1_epi32(a.blueFactor);
    const __m256i redFactor = _mm256_set1_epi32(a.redFactor);
    auto load = [](const std::uint8_t* row, int column) { return Load(row + 2 * column); };
    return Steps<16>(a.count, [&](int done) {
        const int x = a.column + done;
        const __m256i bnL = load(r.blueNear, x - 2), bnC = load(r.blueNear, x);
        const __m256i bfL = load(r.blueFar, x - 2), bfC = load(r.blueFar, x);
        const __m256i rnL = load(r.redNear, x - 2), rnC = load(r.redNear, x);
        const __m256i rnR = load(r.redNear, x + 2);
        const __m256i rfL = load(r.redFar, x - 2), rfC = load(r.redFar, x);
        const __m256i rfR = load(r.redFar, x + 2);

        const __m256i pa = Vertical16(Odd16(bnL), Odd16(bfL));
        const __m256i pb = Vertical16(Odd16(bnC), Odd16(bfC));
        const __m256i ab = _mm256_add_epi32(pa, pb);
        const __m256i blueEven = _mm256_add_epi32(ab, _mm256_slli_epi32(pa, 1));
        const __m256i blueOdd = _mm256_add_epi32(ab, _mm256_slli_epi32(pb, 1));

        const __m256i left = Vertical16(Even16(rnL), Even16(rfL));
        const __m256i mid = Vertical16(Even16(rnC), Even16(rfC));
        const __m256i right = Vertical16(Even16(rnR), Even16(rfR));
        const __m256i mid3 = _mm256_add_epi32(_mm256_slli_epi32(mid, 1), mid);
        const __m256i redEven = _mm256_add_epi32(mid3, left);
        const __m256i redOdd = _mm256_add_epi32(mid3, right);

        const __m256i centre = Even16(bnC);
        const __m256i greenEven = _mm256_srli_epi32(_mm256_add_epi32(Odd16(rnL), centre), 1);
        const __m256i greenOdd = _mm256_srli_epi32(_mm256_add_epi32(centre, Odd16(rnC)), 1);

        Interleave<2, kPixelBytes, 4>(
            _mm256_packus_epi32(Scale16(blueEven, blueFactor), Scale16(blueOdd, blueFactor)),
            _mm256_packus_epi32(greenEven, greenOdd),
            _mm256_packus_epi32(Scale16(redEven, redFactor), Scale16(redOdd, redFactor)),
            a.out + static_cast<std::ptrdiff_t>(kPixelBytes) * done);
    });
}

}  // namespace

int SpanVector8Avx2(const SpanArgs& a) {
    return a.dstBpp == 3 ? Span8<true, 3>(a) : 0;
}

int SpanPlain8Avx2(const SpanArgs& a) {
    if (a.dstBpp == 3) return Span8<false, 3>(a);
    if (a.dstBpp == 4) return Span8<false, 4>(a);
    return 0;
}

int SpanPlain16Avx2(const SpanArgs& a) {
    if (a.dstBpp == 6) return Span16<6>(a);
    if (a.dstBpp == 8) return Span16<8>(a);
    return 0;
}

}  // namespace nodrix::imaging::demosaic
