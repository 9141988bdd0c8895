#pragma once
// The 32-byte command that precedes each piece of a camera-memory transfer
// on the bulk OUT endpoint.

#include <cstddef>
#include <cstdint>

namespace nodrix::transport {

inline constexpr std::size_t kMemoryCommandSize = 32;

enum class MemoryDirection { Read, Write };

// Writes "AU3R"/"AU3W", 2, the 64-bit camera address, the piece length and
// twelve zero bytes into out (kMemoryCommandSize bytes).
void BuildMemoryCommand(MemoryDirection direction, std::uint64_t address, std::uint32_t length,
                        std::uint8_t* out);

}  // namespace nodrix::transport
