#pragma once
// Vectorised inner loops of the reductions, colour to grey and brightness,
// over one row of contiguous pixels. Each returns how many pixels (or
// samples) it did from the start; the scalar loop does the rest. Null
// members: no vectorised loop at the active level.

#include <cstdint>

namespace nodrix::imaging::rows {

// count 16-bit samples to count bytes: each sample shifted right by shift
// (0..8), limited to 255.
using SamplesToBytes = int (*)(const std::uint8_t* src, std::uint8_t* dst, int count, int shift);
// count pixels of four 16-bit samples to B, G, R bytes, each as SamplesToBytes.
using Bgrx64ToBytes = int (*)(const std::uint8_t* src, std::uint8_t* dst, int count, int shift);
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
// Sum of the 16-bit samples shifted right by shift (0..8) and limited to
// 255 (added to sum).
using LevelSumFn = int (*)(const std::uint8_t* src, int count, int shift, std::uint64_t& sum);

// Sharpens one row, step samples per pixel (1, 3 or 4): samples
// [2 step, count - 2 step) of out get s + strength * (s - blur) / 10
// (truncated toward zero, limited to the sample range) with blur the 4 x 4
// box mean of rows[0..3] (rows r-2..r+1, each count samples long) over the
// samples 2 step before to 1 step after. With step 4 the fourth sample of
// every pixel in out keeps its value. Strength 0..30; sums is scratch of
// count entries.
using SharpenRow8Fn = void (*)(const std::uint8_t* const rows[4], std::uint8_t* out, int count,
                               int step, int strength, std::uint16_t* sums);
// The same on 16-bit samples.
using SharpenRow16Fn = void (*)(const std::uint8_t* const rows[4], std::uint8_t* out, int count,
                                int step, int strength, std::int32_t* sums);

// count bytes through a 256-entry table.
using LookupFn = void (*)(const std::uint8_t* table, const std::uint8_t* src, std::uint8_t* dst,
                          int count);

// count pixels of four bytes: the first three through a 256-entry table, the
// fourth kept.
using LookupBgrxFn = void (*)(const std::uint8_t* table, const std::uint8_t* src, std::uint8_t* dst,
                              int count);
// A curve over 16-bit samples, in whichever of its forms a run uses.
struct Curve16 {
    const std::uint16_t* table = nullptr;  // 65536 entries and one spare that may be read
    float factor = 1.0f;                   // int((sample - start) * factor) in single precision
    float factorLow = 0.0f;                // the part of the slope factor leaves out
    double slope = 0.0;                    // trunc((sample - start) * slope) in double precision
    int start = 0;
};
// count 16-bit samples through the curve, each result limited to 0..65535.
// With keepFourth, count is four samples per pixel and the fourth sample of
// every pixel in dst keeps its value.
using Run16Fn = int (*)(const Curve16& curve, const std::uint8_t* src, std::uint8_t* dst, int count,
                        bool keepFourth);

// Hue and saturation in the integer hexcone model (HueSaturation.cpp), with
// the rotation as sector and offset, the saturation and lightness tables
// as the formulas they are built from, and the reciprocal table itself.
struct HueRowParams {
    int sector = 0;
    int offset = 0;
    int saturationScale = 0;  // (saturation + 256) * 256
    bool dark = false;        // the lightness formula that darkens
    int lightnessFactor = 0;  // k' of the lightness table
    const std::uint32_t* recip = nullptr;  // 0xFF0000 / i, 256 entries
};
// count pixels of bpp bytes (3 or 4, blue, green, red first; a fourth byte
// of dst keeps its value) from src to dst, which may be the same memory.
using HueRowFn = int (*)(const HueRowParams& h, const std::uint8_t* src, std::uint8_t* dst,
                         int count, int bpp);
// count pixels of bpp bytes (6 or 8) in place: bytes of blue, green, red
// (24-bit pixels in colours) become the high bytes of the samples with a
// zero low byte; a fourth sample keeps its value.
using HighBytesToSamplesFn = int (*)(const std::uint8_t* colours, std::uint8_t* dst, int count,
                                     int bpp);

struct RowSet {
    SamplesToBytes topBytes = nullptr;
    PixelsFn bgrx32To24 = nullptr;  // drop the fourth byte
    Bgrx64ToBytes bgrx64To24Top = nullptr;
    PixelsFn grey24 = nullptr;  // (59 G + 30 R + 11 B) / 100 from 24-bit pixels
    PixelsFn grey32 = nullptr;  // the same from 32-bit pixels
    ScaleFn scale8 = nullptr;   // count bytes
    Run16Fn scale16 = nullptr;   // curve.factor and curve.start
    Run16Fn line16 = nullptr;    // curve.slope and curve.start
    // int((sample - start) * factor + (sample - start) * factorLow) in single
    // precision with one rounding of the sum: a slope some 48 bits wide.
    Run16Fn split16 = nullptr;
    Run16Fn lookup16 = nullptr;  // curve.table
    GainOffsetFn gainOffset8 = nullptr;
    GainOffsetFn gainOffset16 = nullptr;
    ParitySumFn paritySum8 = nullptr;
    ParitySumFn paritySum16 = nullptr;
    LevelSumFn levelSum16 = nullptr;
    SharpenRow8Fn sharpenRow8 = nullptr;
    SharpenRow16Fn sharpenRow16 = nullptr;
    HueRowFn hueRow = nullptr;
    HighBytesToSamplesFn highBytesToSamples = nullptr;
    LookupFn lookup8 = nullptr;
    LookupBgrxFn lookupBgrx8 = nullptr;
    PixelsFn greyToBgr = nullptr;  // each grey byte three times, as B, G and R
};

// What each instruction set adds to a set; the dispatcher (SimdDispatch.h)
// alone decides which of these run.
// The SSSE3 byte shuffles (grey to B, G, R).
void AddSsse3Rows(RowSet& rows);
// The AVX2 reductions, sums and grey conversions.
void AddAvx2Rows(RowSet& rows);
// The 16-bit curve runs of each level; the FMA ones fuse a multiply and an
// add.
void SetAvx2Curves16(RowSet& rows);
void SetFmaCurves16(RowSet& rows);
void SetAvx512Curves16(RowSet& rows);
// The sharpening rows.
void SetAvx2SharpenRows(RowSet& rows);
// Hue and saturation rows.
void SetAvx2HueRows(RowSet& rows);
// The loops that need AVX-512 (byte permutes), over an AVX2 set.
void AddAvx512Rows(RowSet& rows);
// The set of this process.
const RowSet& ActiveRows();

}  // namespace nodrix::imaging::rows
