#pragma once
// What the camera core hands the transport for one frame: the 64-byte frame
// header as it came from the camera, the frame number taken from it, and the
// transfer buffer the payload goes into.

#include <cstdint>

#include "transport/LittleEndian.h"

namespace nodrix::transport {

inline constexpr int kFrameHeaderSize = 64;
inline constexpr int kFrameHeaderPayloadSizeOffset = 16;
inline constexpr int kFrameHeaderFrameNumberOffset = 32;

struct FrameDescriptor {
    // The header as received; the other bytes are passed on untouched.
    std::uint8_t header[kFrameHeaderSize] = {};
    // Copied from header offset 32 by the header exchange.
    std::uint32_t frameNumber = 0;
    // The transfer buffer (not owned) and its capacity in bytes.
    std::uint8_t* buffer = nullptr;
    std::uint32_t capacity = 0;
    // Size of one frame in bytes, for the stream endpoint's single read.
    std::uint32_t frameSize = 0;
    // The payload's bulk reads: 0 for the usual pieces of 512 KiB, else
    // reads of up to this many bytes (memory that is the frame's final
    // place takes the payload in as few transfers as the driver allows).
    std::uint32_t pieceBytes = 0;

    // The payload size the camera announced in the header.
    std::uint32_t PayloadSize() const { return GetLe32(header + kFrameHeaderPayloadSizeOffset); }
};

}  // namespace nodrix::transport
