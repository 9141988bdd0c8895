#pragma once
// Little-endian fields and four-character codes of AVI files, written one
// byte at a time so that neither the host's byte order nor any structure
// padding reaches the file.

#include <cstdint>

namespace nodrix::files::avi {

inline void PutLe16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void PutLe32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline std::uint32_t GetLe32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

// A four-character code as the 32-bit value whose little-endian bytes spell
// it.
constexpr std::uint32_t FourCc(const char (&code)[5]) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 8) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(code[3])) << 24);
}

}  // namespace nodrix::files::avi
