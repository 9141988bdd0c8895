#pragma once
// The frame formats a recording can write, and how one frame of each lies in
// the file: its bitmap header values and the bytes of its rows.

#include <cstdint>

namespace nodrix::files {

enum class RecordFormat : int {
    // 24-bit bottom-up bitmap frames in a single RIFF of at most 4 GiB, the
    // index written at the end: the layout recordings have always had.
    kClassic = 0,
    // The same frames in a file of any length (OpenDML), kept playable
    // while it is written.
    kBgr24 = 1,
    // 8-bit grey with a grey colour table, rows bottom first.
    kGrey8 = 2,
    // 16-bit grey samples, little-endian, rows top first, under the four
    // character code 'Y1' 0 16.
    kGrey16 = 3,
};

inline constexpr int kRecordFormatCount = 4;

struct FrameLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bitCount = 0;
    // 0: a bitmap whose rows run from the bottom up; else a four-character
    // code, rows from the top down.
    std::uint32_t compression = 0;
    std::uint32_t stride = 0;      // bytes of one row in the file
    std::uint32_t frameBytes = 0;  // stride x height
    std::uint32_t paletteEntries = 0;
    bool bottomUp = true;
};

// The layout of a width x height frame; frameBytes 0 when the size is empty
// or the frame would not fit 32 bits.
FrameLayout LayoutOf(RecordFormat format, int width, int height);

}  // namespace nodrix::files
