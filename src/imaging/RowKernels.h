#pragma once
// Vectorised inner loops of the reductions, colour to grey and brightness,
// over one row of contiguous pixels. Each returns how many pixels (or
// samples) it did from the start; the scalar loop does the rest. Null
// members: no vectorised loop at the active level.

#include <cstdint>

namespace nodrix::imaging::rows {

// count 16-bit samples to count bytes.
using SamplesToBytes = int (*)(const std::uint8_t* src, std::uint8_t* dst, int count);
// count pixels.
using PixelsFn = int (*)(const std::uint8_t* src, std::uint8_t* dst, int count);
// count samples multiplied by factor, truncated, limited to the sample range.
using ScaleFn = int (*)(const std::uint8_t* src, std::uint8_t* dst, int count, float factor);

// offset + gain * sample / 128 limited to 0..maxValue, the gains and
// offsets alternating from pixel to pixel starting with index 0. Only for
// gains 0..256 and offsets -16384..16384 (the caller checks).
using GainOffsetFn = int (*)(const std::uint8_t* src, std::uint8_t* dst, int count,
                             const int gain[2], const int offset[2], int maxValue);

// Sums of the samples at even and at odd positions from the start (added to
// sums[0] and sums[1]).
using ParitySumFn = int (*)(const std::uint8_t* src, int count, std::uint64_t sums[2]);
// Sum of bits 2-9 of 16-bit samples (added to sum).
using LevelSumFn = int (*)(const std::uint8_t* src, int count, std::uint64_t& sum);

// Sharpens one row of 8-bit samples, step samples per pixel (1 or 3):
// samples [2 step, count - 2 step) of out get s + strength * (s - blur) / 10
// with blur the 4 x 4 box mean of rows[0..3] (rows r-2..r+1, each count
// samples long) over the samples 2 step before to 1 step after. sums is
// scratch of count entries.
using SharpenRowFn = void (*)(const std::uint8_t* const rows[4], std::uint8_t* out, int count,
                              int step, int strength, std::uint16_t* sums);

// count bytes through a 256-entry table.
using LookupFn = void (*)(const std::uint8_t* table, const std::uint8_t* src, std::uint8_t* dst,
                          int count);

// count pixels of four bytes: the first three through a 256-entry table, the
// fourth kept.
using LookupBgrxFn = void (*)(const std::uint8_t* table, const std::uint8_t* src, std::uint8_t* dst,
                              int count);
// count 16-bit samples through a 65536-entry table (one spare entry after it
// may be read).
using Lookup16Fn = int (*)(const std::uint16_t* table, const std::uint8_t* src, std::uint8_t* dst,
                           int count);

struct RowSet {
    SamplesToBytes highByte = nullptr;   // bits 8-15
    SamplesToBytes bits4To11 = nullptr;  // bits 4-11
    SamplesToBytes bits2To9 = nullptr;   // bits 2-9
    PixelsFn bgrx32To24 = nullptr;       // drop the fourth byte
    PixelsFn bgrx64To24Bits4To11 = nullptr;
    PixelsFn bgrx64To24High = nullptr;
    PixelsFn grey24 = nullptr;  // (59 G + 30 R + 11 B) / 100 from 24-bit pixels
    PixelsFn grey32 = nullptr;  // the same from 32-bit pixels
    ScaleFn scale8 = nullptr;   // count bytes
    ScaleFn scale16 = nullptr;  // count 16-bit samples
    GainOffsetFn gainOffset8 = nullptr;
    GainOffsetFn gainOffset16 = nullptr;
    ParitySumFn paritySum8 = nullptr;
    ParitySumFn paritySum16 = nullptr;
    LevelSumFn levelSum16 = nullptr;
    SharpenRowFn sharpenRow8 = nullptr;
    LookupFn lookup8 = nullptr;
    LookupBgrxFn lookupBgrx8 = nullptr;
    Lookup16Fn lookup16 = nullptr;
};

RowSet Avx2Rows();
// The AVX2 set plus the loops that need AVX-512 (byte permutes).
RowSet Avx512Rows();
const RowSet& ActiveRows();

}  // namespace nodrix::imaging::rows
