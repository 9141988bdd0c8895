#pragma once
// The writers behind the still image dispatcher. Each takes an output image
// whose buffer row 0 is the top of the picture, returns true when the whole
// file was written, and removes a file it created but could not complete.

#include <cstdint>
#include <vector>

#include "imaging/CDibImage.h"

namespace nodrix::files {

// The 14-byte file header, the 40-byte info header and (for 8 bits) the
// 1024-byte colour table of the image's BMP file. Empty when the file would
// not fit the 32-bit size field.
std::vector<std::uint8_t> BmpHeaders(const imaging::CDibImage& image);

bool WriteBmp(const char* fileName, const imaging::CDibImage& image);
// The buffer as it stands: top row first, rows padded to 4 bytes, no header.
bool WriteRaw(const char* fileName, const imaging::CDibImage& image);
// Progressive JPEG, grey for 8/16 bits, RGB for the colour formats.
bool WriteJpeg(const char* fileName, const imaging::CDibImage& image, int quality);
bool WritePng(const char* fileName, const imaging::CDibImage& image);
// Uncompressed TIFF in one strip.
bool WriteTiff(const char* fileName, const imaging::CDibImage& image);

}  // namespace nodrix::files
