#pragma once
// What the viewer computes from a frame: the histogram with its clipping
// counts, a focus measure, and the picture as display colours. Pure
// functions of their arguments; the buffers are the caller's, kept from
// frame to frame.

#include <array>
#include <cstdint>
#include <vector>

#include "Frame.h"

namespace nodrix_viewer {

struct Histogram {
    static constexpr int kBins = 256;
    std::array<std::uint32_t, kBins> bins{};  // over 0 .. the frame's largest sample
    std::uint64_t samples = 0;
    std::uint64_t saturated = 0;  // at the largest sample value or above
    std::uint64_t black = 0;      // at 0
    int low = 0;                  // 0.5 % of the samples are below
    int high = 0;                 // 0.5 % of the samples are above
    double mean = 0.0;
    std::vector<std::uint32_t> counts;  // one per sample value
};

void ComputeHistogram(const Frame& frame, Histogram& histogram);

// Mean squared difference of neighbouring samples in the middle half of
// the picture, on the 8-bit scale: larger when the picture is sharper.
double FocusMeasure(const Frame& frame);

enum class Mapping { kLinear, kAutoContrast };

struct DisplayOptions {
    Mapping mapping = Mapping::kLinear;
    bool markClipping = false;  // saturated red, black blue
    bool operator==(const DisplayOptions&) const = default;
};

inline constexpr std::uint32_t kMarkSaturated = 0xFFFF2020u;  // ARGB
inline constexpr std::uint32_t kMarkBlack = 0xFF2040FFu;

// Display colour (ARGB) of every sample value. Linear shows the top eight
// significant bits; auto contrast stretches the histogram's low..high.
void BuildLookup(const Frame& frame, const Histogram& histogram, const DisplayOptions& options,
                 std::vector<std::uint32_t>& lookup);

// What a lookup is built from: equal keys give the same lookup, so it is
// built again only when the key changes (a 16-bit lookup has 65536 entries).
struct LookupKey {
    int bytesPerSample = 0;
    int significantBits = 0;
    DisplayOptions options;
    int low = 0, high = 0;  // the stretch, with auto contrast only
    bool operator==(const LookupKey&) const = default;
};
LookupKey KeyOf(const Frame& frame, const Histogram& histogram, const DisplayOptions& options);

// Writes the picture as ARGB pixels, rows `pitch` bytes apart.
void RenderPicture(const Frame& frame, const std::vector<std::uint32_t>& lookup, std::uint8_t* out,
                   int pitch);

// The source column (or row) of each of `count` screen pixels, for a
// picture `size` samples long whose first sample begins `start` screen
// pixels before the first of them and that is shown `scale` screen pixels
// per sample: the sample under each screen pixel's centre, within 0..size-1.
void SampleIndices(int count, float start, float scale, int size, std::vector<int>& out);

// Writes the picture as it is shown: screen pixel (i, j) is the display
// colour of sample (columns[i], rows[j]), so the picture is mapped and
// scaled in one pass into a texture of the size it is shown at. Nothing is
// written unless every index lies inside the frame (SampleIndices makes them).
void RenderScaled(const Frame& frame, const std::vector<std::uint32_t>& lookup,
                  const std::vector<int>& columns, const std::vector<int>& rows, std::uint8_t* out,
                  int pitch);

}  // namespace nodrix_viewer
