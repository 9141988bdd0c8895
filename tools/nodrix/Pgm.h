#pragma once
// Binary PGM ("P5") files of 8- or 16-bit grey images.

#include <cstdint>
#include <string>

namespace nodrix_tool {

// pixels: height rows of stride bytes, top row first; 16-bit samples are
// little-endian. 16-bit files get the maximum value 4095 (the sensor's 12
// bits) unless a sample is larger. Returns false when the file cannot be
// written.
bool WritePgm(const std::string& path, const std::uint8_t* pixels, int width, int height,
              int stride, int bits);

}  // namespace nodrix_tool
