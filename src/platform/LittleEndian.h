#pragma once
// Reading and writing little-endian fields of file headers, driver records
// and camera headers one byte at a time, independent of the host's byte
// order and of any structure padding. The one copy of these helpers in the
// library; the emulator keeps its own on purpose (emulator/LittleEndian.h).

#include <cstdint>

namespace nodrix::platform {

inline void PutLe16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void PutLe32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void PutLe64(std::uint8_t* at, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline std::uint16_t GetLe16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

inline std::uint32_t GetLe32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

inline std::uint64_t GetLe64(const std::uint8_t* at) {
    return static_cast<std::uint64_t>(GetLe32(at)) |
           (static_cast<std::uint64_t>(GetLe32(at + 4)) << 32);
}

}  // namespace nodrix::platform
