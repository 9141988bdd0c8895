// Transfers to and from the camera's frame memory.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Time.h"
#include "transport/CNodrixCy3.h"
#include "transport/DriverRequests.h"

namespace nodrix {

using platform::DriverHandle;
using platform::kInvalidDriverHandle;
using transport::MemoryDirection;

namespace {

constexpr std::uint32_t kMemoryBlock = 4096;
constexpr std::uint32_t kMemoryPiece = 0x1000000;
constexpr std::uint32_t kStoredFrameBlock = 16384;
constexpr std::uint32_t kStoredFramePiece = 0x400000;
constexpr std::uint32_t kMemoryReadTimeoutMs = 3000;
// FPGA registers of the stored-frame stride (units of 256 bytes, LSB first)
// and of the memory read mode.
constexpr std::uint8_t kStrideRegister = 120;
constexpr std::uint8_t kMemoryModeRegister = 63;
constexpr std::uint8_t kMemoryModeRead = 2;

// Camera memory moves whole blocks: the count rounded down to a block, plus
// one block.
std::uint64_t BlockTotal(std::uint64_t count, std::uint32_t block) {
    return (count & ~static_cast<std::uint64_t>(block - 1)) + block;
}

}  // namespace

int CNodrixCy3::MemoryTransfer(MemoryDirection direction, std::uint64_t address,
                               std::uint8_t* buffer, std::uint64_t bufferBytes, std::uint64_t total,
                               std::uint32_t pieceLimit) {
    bool opened = false;
    const DriverHandle handle = AcquireDataHandle(&opened);
    if (handle == kInvalidDriverHandle) return 0;

    // The block the camera moves beyond the caller's buffer goes through a
    // buffer of our own, so no byte outside the caller's is read or written.
    std::vector<std::uint8_t> bounce;
    int ok = 1;
    for (std::uint64_t done = 0; done < total;) {
        const std::uint32_t piece =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(pieceLimit, total - done));
        std::uint8_t command[transport::kMemoryCommandSize];
        transport::BuildMemoryCommand(direction, address, piece, command);
        std::uint32_t sent = 0;
        if (!BulkWrite(handle, command, sizeof(command), transport::kEndpointBulkOut, &sent) ||
            sent != sizeof(command)) {
            ok = 0;
            break;
        }

        const bool direct = done + piece <= bufferBytes;
        const std::uint64_t inBuffer = done < bufferBytes ? bufferBytes - done : 0;
        std::uint8_t* data = direct ? buffer + done : nullptr;
        if (!direct) {
            bounce.assign(piece, 0);
            if (direction == MemoryDirection::Write && inBuffer > 0) {
                std::memcpy(bounce.data(), buffer + done, static_cast<std::size_t>(inBuffer));
            }
            data = bounce.data();
        }
        std::uint32_t moved = 0;
        const int transferOk =
            direction == MemoryDirection::Read
                ? BulkRead(handle, data, piece, transport::kEndpointBulkIn, &moved,
                           kMemoryReadTimeoutMs)
                : BulkWrite(handle, data, piece, transport::kEndpointBulkOut, &moved);
        if (!transferOk) platform::SleepMs(1);
        if (moved != piece) {
            ok = 0;
            break;
        }
        if (!direct && direction == MemoryDirection::Read && inBuffer > 0) {
            std::memcpy(buffer + done, bounce.data(), static_cast<std::size_t>(inBuffer));
        }
        address += piece;
        done += piece;
    }
    ReleaseDataHandle(opened);
    return ok;
}

int CNodrixCy3::ReadCameraMemory(std::uint64_t address, std::uint8_t* destination,
                                 std::uint32_t count) {
    if (destination == nullptr && count > 0) return 0;
    return MemoryTransfer(MemoryDirection::Read, address, destination, count,
                          BlockTotal(count, kMemoryBlock), kMemoryPiece);
}

int CNodrixCy3::WriteCameraMemory(std::uint64_t address, const std::uint8_t* source,
                                  std::uint32_t count) {
    if (source == nullptr && count > 0) return 0;
    // Only read from: the write direction never stores into the buffer.
    return MemoryTransfer(MemoryDirection::Write, address, const_cast<std::uint8_t*>(source), count,
                          BlockTotal(count, kMemoryBlock), kMemoryPiece);
}

int CNodrixCy3::ReadStoredFrame(transport::FrameDescriptor& frame, std::uint32_t* count) {
    if (count == nullptr || *count > frame.capacity || (frame.buffer == nullptr && *count > 0)) {
        return 0;
    }
    std::uint8_t stride[4];
    for (int i = 0; i < 4; ++i) {
        if (!ReadFpgaRegister(static_cast<std::uint8_t>(kStrideRegister + i), &stride[i])) return 0;
    }
    const std::uint64_t strideUnits = static_cast<std::uint64_t>(stride[0]) |
                                      (static_cast<std::uint64_t>(stride[1]) << 8) |
                                      (static_cast<std::uint64_t>(stride[2]) << 16) |
                                      (static_cast<std::uint64_t>(stride[3]) << 24);
    const std::uint64_t start = static_cast<std::uint64_t>(frame.frameNumber) * strideUnits * 256;
    if (!WriteFpgaRegister(kMemoryModeRegister, kMemoryModeRead)) return 0;

    const std::uint64_t total = BlockTotal(*count, kStoredFrameBlock);
    if (!MemoryTransfer(MemoryDirection::Read, start, frame.buffer, frame.capacity, total,
                        kStoredFramePiece)) {
        return 0;
    }
    *count = static_cast<std::uint32_t>(std::min<std::uint64_t>(total, frame.capacity));
    return 1;
}

}  // namespace nodrix
