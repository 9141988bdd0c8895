#pragma once
// The binary configuration file: 8-byte records of two little-endian 32-bit
// integers; a remainder of fewer than 8 bytes is ignored.

#include <cstdint>
#include <utility>
#include <vector>

namespace nodrix::settings {

using ConfigPair = std::pair<std::int32_t, std::int32_t>;

// Reads every whole record of the file. False when it cannot be opened or
// read.
bool ReadConfigFile(const char* fileName, std::vector<ConfigPair>& pairs);

}  // namespace nodrix::settings
