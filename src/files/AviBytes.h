#pragma once
// Little-endian fields (the platform's helpers) and four-character codes of
// AVI files, written one byte at a time so that neither the host's byte
// order nor any structure padding reaches the file.

#include <cstdint>

#include "platform/LittleEndian.h"

namespace nodrix::files::avi {

using platform::GetLe32;
using platform::PutLe16;
using platform::PutLe32;

// A four-character code as the 32-bit value whose little-endian bytes spell
// it.
constexpr std::uint32_t FourCc(const char (&code)[5]) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 8) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(code[3])) << 24);
}

}  // namespace nodrix::files::avi
