#pragma once
// The kernel driver's I/O control codes, the camera's endpoints and vendor
// requests, and the register devices on the camera's bus.

#include <cstdint>

namespace nodrix::transport {

// I/O control codes of the controller's driver.
inline constexpr std::uint32_t kIoctlControlTransfer = 0x220020;
inline constexpr std::uint32_t kIoctlDirectTransfer = 0x220024;
inline constexpr std::uint32_t kIoctlResetPipe = 0x22002C;
inline constexpr std::uint32_t kIoctlResetPort = 0x220030;
inline constexpr std::uint32_t kIoctlAbortPipe = 0x220044;
inline constexpr std::uint32_t kIoctlQueuedTransfer = 0x22004B;
inline constexpr std::uint32_t kIoctlGetSpeed = 0x22004C;

// Bus speed code of a SuperSpeed link.
inline constexpr std::uint32_t kSpeedSuperSpeed = 4;

// Endpoints.
inline constexpr std::uint8_t kEndpointControl = 0x00;
inline constexpr std::uint8_t kEndpointBulkIn = 0x81;
inline constexpr std::uint8_t kEndpointStreamIn = 0x83;
inline constexpr std::uint8_t kEndpointBulkOut = 0x01;

// Request types: vendor requests to the device or to an endpoint.
inline constexpr std::uint8_t kRequestTypeVendorIn = 0xC0;
inline constexpr std::uint8_t kRequestTypeVendorOut = 0x40;
inline constexpr std::uint8_t kRequestTypeVendorOutEndpoint = 0x42;

// Vendor request codes.
inline constexpr std::uint8_t kRequestBusWrite = 0x30;
inline constexpr std::uint8_t kRequestBusRead = 0x31;
inline constexpr std::uint8_t kRequestWriteControlByte = 0x3C;
inline constexpr std::uint8_t kRequestReadControlByte = 0x3D;
inline constexpr std::uint8_t kRequestWrite3E = 0x3E;
inline constexpr std::uint8_t kRequestRead3F = 0x3F;
inline constexpr std::uint8_t kRequestFirmwareInfo = 0xB0;
inline constexpr std::uint8_t kRequestFirmwareInfoB1 = 0xB1;
inline constexpr std::uint8_t kRequestCommandC0 = 0xC0;
inline constexpr std::uint8_t kRequestFrameHeader = 0xC2;
inline constexpr std::uint8_t kRequestFpgaReady = 0xC3;
inline constexpr std::uint8_t kRequestCommandCC = 0xCC;
inline constexpr std::uint8_t kRequestWriteD0 = 0xD0;
inline constexpr std::uint8_t kRequestReadD1 = 0xD1;

// Devices on the camera's register bus, 8-bit address form (write address;
// the read address has bit 0 set).
inline constexpr std::uint8_t kBusFpga = 0x40;
inline constexpr std::uint8_t kBusAux = 0x5A;
inline constexpr std::uint8_t kBusEeprom = 0xA2;

// Largest register-bus transfer a control request carries.
inline constexpr int kMaxBusTransfer = 64;
// Largest queued or direct transfer, and the size of the request buffer the
// core allocates for direct transfers (the largest transfer plus its record).
inline constexpr std::uint32_t kMaxBulkTransfer = 0x4000000;
inline constexpr std::uint32_t kRequestBufferSize = kMaxBulkTransfer + 38;

// Firmware information block: the firmware version lives at offset 24.
inline constexpr int kFirmwareInfoSize = 64;
inline constexpr int kFirmwareVersionOffset = 24;

}  // namespace nodrix::transport
