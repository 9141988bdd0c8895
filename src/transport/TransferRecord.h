#pragma once
// The driver's transfer record (38 bytes) and the control request built on
// it (the record followed by 64 data bytes), written and read field by field.

#include <cstddef>
#include <cstdint>

namespace nodrix::transport {

inline constexpr std::size_t kTransferRecordSize = 38;
inline constexpr std::size_t kControlDataSize = 64;
inline constexpr std::size_t kControlRequestSize = kTransferRecordSize + kControlDataSize;  // 102
// Seconds the driver waits for a control transfer.
inline constexpr std::uint32_t kControlTimeoutSeconds = 3;

// Field offsets inside the record.
namespace record_offset {
inline constexpr std::size_t kRequestType = 0;
inline constexpr std::size_t kRequest = 1;
inline constexpr std::size_t kValue = 2;
inline constexpr std::size_t kIndex = 4;
inline constexpr std::size_t kLength = 6;
inline constexpr std::size_t kTimeout = 8;
inline constexpr std::size_t kReserved = 12;
inline constexpr std::size_t kEndpoint = 13;
inline constexpr std::size_t kDriverStatus = 14;
inline constexpr std::size_t kUsbStatus = 18;
inline constexpr std::size_t kPacketOffset = 22;
inline constexpr std::size_t kPacketLength = 26;
inline constexpr std::size_t kDataOffset = 30;
inline constexpr std::size_t kDataLength = 34;
}  // namespace record_offset

struct TransferRecord {
    std::uint8_t requestType = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::uint16_t length = 0;
    std::uint32_t timeoutSeconds = 0;
    std::uint8_t endpoint = 0;
    std::uint32_t driverStatus = 0;
    std::uint32_t usbStatus = 0;
    std::uint32_t packetOffset = 0;
    std::uint32_t packetLength = 0;
    std::uint32_t dataOffset = 0;
    std::uint32_t dataLength = 0;
};

// Writes the record into out (kTransferRecordSize bytes); the reserved byte is 0.
void WriteTransferRecord(const TransferRecord& record, std::uint8_t* out);
TransferRecord ReadTransferRecord(const std::uint8_t* in);

// The record of a queued bulk transfer: zero but for the endpoint.
TransferRecord QueuedTransferRecord(std::uint8_t endpoint);
// The record heading a direct transfer of count bytes through one buffer.
TransferRecord DirectTransferRecord(std::uint8_t endpoint, std::uint32_t count);

// A control request on endpoint 0: the record (length 102, 3 s, data at 38,
// 64 data bytes) and up to 64 bytes of data; the rest of the 102 bytes zero.
struct ControlSetup {
    std::uint8_t requestType = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
};
// Fills out (kControlRequestSize bytes). Fails when dataCount exceeds 64.
bool BuildControlRequest(const ControlSetup& setup, const std::uint8_t* data, std::size_t dataCount,
                         std::uint8_t* out);
// The driver's answer counts the record too: the data bytes are the count
// less the record when it is at least that long, else the count itself.
std::uint32_t ControlDataBytes(std::uint32_t returned);

}  // namespace nodrix::transport
