#pragma once
// Significant bits of 16-bit samples and their reduction to 8 bits. A 16-bit
// sample may carry fewer significant bits than its width (the camera sends
// 12); every reduction to 8 bits keeps the top eight significant ones and
// saturates what lies above the range, so no value ever wraps.

#include <algorithm>
#include <cstdint>

namespace nodrix::imaging {

// Significant bits of a 16-bit sample lie in 8..16; anything else is taken
// as the full 16.
inline int TopByteShift(int significantBits) {
    return (significantBits >= 8 && significantBits <= 16 ? significantBits : 16) - 8;
}

// The reduction kernels' parameter: a pointer to the source image's
// significant bits (int); none means full 16-bit samples.
inline int TopByteShiftOf(const void* param) {
    return TopByteShift(param != nullptr ? *static_cast<const int*>(param) : 16);
}

inline std::uint8_t TopByte(std::uint32_t sample, int shift) {
    return static_cast<std::uint8_t>(std::min<std::uint32_t>(sample >> shift, 255u));
}

// The same of a little-endian sample in memory.
inline std::uint8_t TopByteAt(const std::uint8_t* p, int shift) {
    return TopByte(static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8),
                   shift);
}

}  // namespace nodrix::imaging
