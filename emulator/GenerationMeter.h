#pragma once
// What the emulated camera spends producing frame payloads, kept apart from
// the host's side of the transfers for measurements of a whole process: the
// payload is computed on whichever thread completes the read, so a process
// or thread clock alone cannot tell the camera's work from the host's.
//
// Off unless NODRIX_EMULATOR_METER names a shared-memory block (in the object
// namespace of the process); the emulator then adds to it, after each piece
// of payload, the processor time the piece took (platform/ThreadCpuClock.h),
// the bytes and the pieces. A measuring program opens the same block and
// reads the counters before and after its run.

#include <cstddef>
#include <cstdint>

#include "emulator/TestPattern.h"

namespace nodrix::emulator {

// The block's layout: little-endian 64-bit counters, each updated atomically.
inline constexpr std::size_t kMeterNanosecondsOffset = 0;
inline constexpr std::size_t kMeterBytesOffset = 8;
inline constexpr std::size_t kMeterPiecesOffset = 16;
inline constexpr std::size_t kMeterBlockSize = 64;

// GeneratePayload, counted by the meter when one is on.
void MeteredGeneratePayload(const FrameSnapshot& frame, std::uint64_t offset, std::uint8_t* dest,
                            std::uint32_t count);

}  // namespace nodrix::emulator
