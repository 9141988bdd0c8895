#pragma once
// Size of the transfer buffer and of each ring buffer for a window: room for
// 128 extra rows and columns beyond the frame, rounded up to 8 KiB, so that a
// payload a little larger than announced still lands inside the buffer.

#include <cstdint>

namespace nodrix::core {

inline constexpr std::uint64_t kBufferGranule = 8192;
inline constexpr std::uint64_t kBufferMargin = 128;

inline constexpr std::uint64_t TransferCapacity(std::uint32_t width, std::uint32_t height,
                                                std::uint32_t bytesPerPixel) {
    const std::uint64_t raw =
        (std::uint64_t{width} + kBufferMargin) * (std::uint64_t{height} + kBufferMargin) *
        bytesPerPixel;
    return (raw + kBufferGranule - 1) & ~(kBufferGranule - 1);
}

static_assert(TransferCapacity(1, 1, 1) == 24576);

}  // namespace nodrix::core
