#pragma once
// Reading and writing a mask file's bytes.

#include <cstdint>
#include <vector>

namespace nodrix::files {

// Reads the file into bytes, at most one byte more than a complete mask
// file holds (enough to tell an oversized file from a complete one). False
// when it cannot be opened or read.
bool ReadMaskFileBytes(const char* fileName, std::vector<std::uint8_t>& bytes);

// Writes the bytes as the whole file (an existing file is emptied, a missing
// one created). False when the file cannot be opened or not all bytes were
// written.
bool WriteMaskFileBytes(const char* fileName, const std::vector<std::uint8_t>& bytes);

}  // namespace nodrix::files
