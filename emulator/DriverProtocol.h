#pragma once
// The kernel driver's request codes and record layout as the emulated driver
// decodes them, with the status values it reports.

#include <cstdint>

namespace nodrix::emulator {

// I/O control codes.
inline constexpr std::uint32_t kIoctlControlTransfer = 0x220020;
inline constexpr std::uint32_t kIoctlDirectTransfer = 0x220024;
inline constexpr std::uint32_t kIoctlResetPipe = 0x22002C;
inline constexpr std::uint32_t kIoctlResetPort = 0x220030;
inline constexpr std::uint32_t kIoctlAbortPipe = 0x220044;
inline constexpr std::uint32_t kIoctlQueuedTransfer = 0x22004B;
inline constexpr std::uint32_t kIoctlGetSpeed = 0x22004C;

// Transfer record: 38 bytes, little-endian, packed.
inline constexpr std::uint32_t kRecordSize = 38;
inline constexpr std::uint32_t kRecRequestType = 0;
inline constexpr std::uint32_t kRecRequest = 1;
inline constexpr std::uint32_t kRecValue = 2;
inline constexpr std::uint32_t kRecIndex = 4;
inline constexpr std::uint32_t kRecLength = 6;
inline constexpr std::uint32_t kRecTimeout = 8;
inline constexpr std::uint32_t kRecEndpoint = 13;
inline constexpr std::uint32_t kRecDriverStatus = 14;
inline constexpr std::uint32_t kRecUsbStatus = 18;
inline constexpr std::uint32_t kRecDataOffset = 30;
inline constexpr std::uint32_t kRecDataLength = 34;

// A control request: the record followed by 64 data bytes.
inline constexpr std::uint32_t kControlDataSize = 64;
inline constexpr std::uint32_t kControlRequestSize = kRecordSize + kControlDataSize;

// Endpoints.
inline constexpr std::uint8_t kEndpointBulkIn = 0x81;
inline constexpr std::uint8_t kEndpointStreamIn = 0x83;
inline constexpr std::uint8_t kEndpointBulkOut = 0x01;

// Status values the driver writes into a record (NTSTATUS / USBD_STATUS).
inline constexpr std::uint32_t kStatusUnsuccessful = 0xC0000001u;
inline constexpr std::uint32_t kStatusCancelled = 0xC0000120u;
inline constexpr std::uint32_t kStatusNoSuchDevice = 0xC000000Eu;
inline constexpr std::uint32_t kUsbStatusStall = 0xC0000004u;
inline constexpr std::uint32_t kUsbStatusCanceled = 0xC0010000u;
inline constexpr std::uint32_t kUsbStatusDeviceGone = 0xC0007000u;
inline constexpr std::uint32_t kUsbStatusXactError = 0xC0000011u;

// Frame header on the bulk endpoint.
inline constexpr std::uint32_t kFrameHeaderSize = 64;
inline constexpr std::uint32_t kHeaderWidth = 0;
inline constexpr std::uint32_t kHeaderHeight = 2;
inline constexpr std::uint32_t kHeaderBytesPerSample = 4;
inline constexpr std::uint32_t kHeaderTimestampMs = 8;
inline constexpr std::uint32_t kHeaderPayloadSize = 16;
inline constexpr std::uint32_t kHeaderFrameNumber = 32;
inline constexpr std::uint32_t kHeaderTriggerCount = 36;

}  // namespace nodrix::emulator
