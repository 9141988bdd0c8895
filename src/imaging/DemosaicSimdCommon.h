#pragma once
// Pieces shared by the vectorised demosaic runs. A run works on pairs of
// output pixels: column c at column parity 0 and c+1 at parity 1. With the
// source rows split into the pair's even and odd columns, every colour is a
// fixed combination of neighbouring lanes:
//   blue  uses the odd columns of its rows:  even 3a+b, odd 3b+a
//         (a, b = the vertical sums 3*near+far at columns c-1 and c+1);
//   red   uses the even columns of its rows: even 3m+a, odd 3m+b
//         (a, m, b = the vertical sums at columns c-2, c and c+2);
//   green even = (redNear[c-1] + blueNear[c]) / 2,
//         odd  = (blueNear[c] + redNear[c+1]) / 2.
// Blue takes its rows from (r, r-2) on row parity 0 and (r-1, r+1) on row
// parity 1; red the other pair. This is the per-phase formula regrouped.
//
// Results leave the arithmetic as bytes or words in the order
// [even pixels of the pair run, odd pixels]; the shuffle masks below put
// them into pixel order.

#include <array>
#include <cstdint>

#include "imaging/DemosaicSpans.h"

namespace nodrix::imaging::demosaic {

struct RowSet {
    const std::uint8_t* blueNear;
    const std::uint8_t* blueFar;
    const std::uint8_t* redNear;
    const std::uint8_t* redFar;
};

inline RowSet SelectRows(const SpanArgs& a) {
    if (a.rowParity == 0) return RowSet{a.rows[2], a.rows[0], a.rows[1], a.rows[3]};
    return RowSet{a.rows[1], a.rows[3], a.rows[2], a.rows[0]};
}

// Runs step(offset) from offset 0 in steps of kStep pixels. A count that is
// not a whole number of steps gets one more step ending at the last pixel
// pair (it recomputes a few pixels, with the same values), so at most an
// odd last pixel is left to the formula. Returns the pixels done.
template <int kStep, typename Step>
inline int Steps(int count, Step step) {
    if (count < kStep) return 0;
    int done = 0;
    for (; done + kStep <= count; done += kStep) step(done);
    if (done < count) {
        const int last = (count - kStep) & ~1;
        step(last);
        done = last + kStep;
    }
    return done;
}

// Byte t of output register `reg` (16 bytes), taking colour `channel` (0
// blue, 1 green, 2 red) from a register holding `pairs` even pixels followed
// by `pairs` odd pixels of sampleBytes each; 0x80 (zero) elsewhere.
constexpr std::array<std::uint8_t, 16> ShuffleMask(int reg, int channel, int sampleBytes,
                                                   int pixelBytes, int pairs) {
    std::array<std::uint8_t, 16> m{};
    for (int i = 0; i < 16; ++i) {
        const int t = reg * 16 + i;
        const int pixel = t / pixelBytes;
        const int slot = (t % pixelBytes) / sampleBytes;
        const int byte = t % sampleBytes;
        if (slot != channel) {
            m[i] = 0x80;
            continue;
        }
        const int index = (pixel % 2 == 0) ? pixel / 2 : pairs + pixel / 2;
        m[i] = static_cast<std::uint8_t>(index * sampleBytes + byte);
    }
    return m;
}

// Bytes of output register `reg` that belong to the fourth sample of a pixel
// (kept from the destination), as 0xFF.
constexpr std::array<std::uint8_t, 16> KeepMask(int reg, int sampleBytes, int pixelBytes) {
    std::array<std::uint8_t, 16> m{};
    for (int i = 0; i < 16; ++i) {
        const int t = reg * 16 + i;
        m[i] = ((t % pixelBytes) / sampleBytes == 3) ? 0xFF : 0x00;
    }
    return m;
}

}  // namespace nodrix::imaging::demosaic
