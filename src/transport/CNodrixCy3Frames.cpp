// Frame headers and frame payloads from the bulk endpoints.
#include <algorithm>
#include <cstring>

#include "transport/CNodrixCy3.h"
#include "transport/DriverRequests.h"

namespace nodrix {

using platform::DriverHandle;
using platform::kInvalidDriverHandle;

namespace {

constexpr int kHeaderTries = 30;
constexpr std::uint32_t kHeaderTimeoutMs = 200;
// The camera model whose firmware recovers a lost header by itself.
constexpr std::uint16_t kSelfRecoveringProduct = 0x33A0;
constexpr std::uint32_t kSelfRecoveryWaitMs = 200;
// Pulsing this FPGA register restarts the camera's header logic.
constexpr std::uint8_t kHeaderResetRegister = 108;
constexpr std::uint32_t kHeaderRetryDelayMs = 10;
constexpr std::uint32_t kPayloadPiece = 0x80000;

}  // namespace

int CNodrixCy3::ReadStatusBlock(transport::FrameDescriptor& frame) {
    if (readsInterrupted_.load()) return 0;
    bool opened = false;
    const DriverHandle handle = AcquireDataHandle(&opened);
    if (handle == kInvalidDriverHandle) return 0;

    bool requested = SendFrameHeaderRequest(handle) != 0;
    for (int attempt = 1; requested && attempt <= kHeaderTries; ++attempt) {
        std::uint8_t header[transport::kFrameHeaderSize];
        std::uint32_t received = 0;
        if (BulkRead(handle, header, sizeof(header), transport::kEndpointBulkIn, &received,
                     kHeaderTimeoutMs) &&
            received == sizeof(header)) {
            std::memcpy(frame.header, header, sizeof(header));
            frame.frameNumber =
                transport::GetLe32(header + transport::kFrameHeaderFrameNumberOffset);
            return 1;  // the data handle stays open for the payload
        }
        // A stop ends the exchange between tries, not after the last one.
        if (readsInterrupted_.load()) break;
        failedHeaderReads_.fetch_add(1);
        if (attempt == kHeaderTries) break;
        // Looked up only when a try failed: the device table is shared by
        // every connection of the process, and a frame's header needs none.
        transport::DeviceEntry entry;
        const bool selfRecovering =
            GetEntry(selectedIndex_.load(), &entry) && entry.productId == kSelfRecoveringProduct;
        if (selfRecovering) {
            PauseBetweenTries(kSelfRecoveryWaitMs);
        } else {
            WriteFpgaRegister(kHeaderResetRegister, 1);
            WriteFpgaRegister(kHeaderResetRegister, 0);
        }
        PauseBetweenTries(kHeaderRetryDelayMs);
        if (readsInterrupted_.load()) break;
        requested = SendFrameHeaderRequest(handle) != 0;
    }
    ReleaseDataHandle(opened);
    return 0;
}

int CNodrixCy3::ReadFrameData(transport::FrameDescriptor& frame, std::uint32_t timeoutMs) {
    const std::uint32_t size = frame.PayloadSize();
    if (size > frame.capacity || (size > 0 && frame.buffer == nullptr)) return 0;
    // Each piece is a queued read, which a stop interrupts: the frame is
    // then incomplete and fails as a whole.
    if (readsInterrupted_.load()) return 0;
    bool opened = false;
    const DriverHandle handle = AcquireDataHandle(&opened);
    if (handle == kInvalidDriverHandle) return 0;

    const std::uint32_t pieceBytes = frame.pieceBytes == 0
                                         ? kPayloadPiece
                                         : std::min(frame.pieceBytes, transport::kMaxBulkTransfer);
    int ok = 1;
    for (std::uint32_t done = 0; done < size;) {
        const std::uint32_t piece = std::min(pieceBytes, size - done);
        std::uint32_t received = 0;
        // A piece that came short leaves a hole in the frame: the read failed.
        if (!BulkRead(handle, frame.buffer + done, piece, transport::kEndpointBulkIn, &received,
                      timeoutMs) ||
            received != piece) {
            ok = 0;
            break;
        }
        done += piece;
    }
    ReleaseDataHandle(opened);
    return ok;
}

int CNodrixCy3::ReadStreamBlock(transport::FrameDescriptor& frame) {
    if (frame.frameSize > frame.capacity || (frame.frameSize > 0 && frame.buffer == nullptr)) {
        return 0;
    }
    bool opened = false;
    const DriverHandle handle = AcquireDataHandle(&opened);
    if (handle == kInvalidDriverHandle) return 0;
    std::uint32_t received = 0;
    const bool ok = TransferAsync5000(handle, frame.buffer, frame.frameSize,
                                      transport::kEndpointStreamIn, &received) &&
                    received == frame.frameSize;
    if (!ok) ReleaseDataHandle(opened);
    return ok ? 1 : 0;
}

}  // namespace nodrix
