#include "transport/TransferRecord.h"

#include <cstring>

#include "transport/LittleEndian.h"

namespace nodrix::transport {

void WriteTransferRecord(const TransferRecord& record, std::uint8_t* out) {
    using namespace record_offset;
    out[kRequestType] = record.requestType;
    out[kRequest] = record.request;
    PutLe16(out + kValue, record.value);
    PutLe16(out + kIndex, record.index);
    PutLe16(out + kLength, record.length);
    PutLe32(out + kTimeout, record.timeoutSeconds);
    out[kReserved] = 0;
    out[kEndpoint] = record.endpoint;
    PutLe32(out + kDriverStatus, record.driverStatus);
    PutLe32(out + kUsbStatus, record.usbStatus);
    PutLe32(out + kPacketOffset, record.packetOffset);
    PutLe32(out + kPacketLength, record.packetLength);
    PutLe32(out + kDataOffset, record.dataOffset);
    PutLe32(out + kDataLength, record.dataLength);
}

TransferRecord ReadTransferRecord(const std::uint8_t* in) {
    using namespace record_offset;
    TransferRecord record;
    record.requestType = in[kRequestType];
    record.request = in[kRequest];
    record.value = GetLe16(in + kValue);
    record.index = GetLe16(in + kIndex);
    record.length = GetLe16(in + kLength);
    record.timeoutSeconds = GetLe32(in + kTimeout);
    record.endpoint = in[kEndpoint];
    record.driverStatus = GetLe32(in + kDriverStatus);
    record.usbStatus = GetLe32(in + kUsbStatus);
    record.packetOffset = GetLe32(in + kPacketOffset);
    record.packetLength = GetLe32(in + kPacketLength);
    record.dataOffset = GetLe32(in + kDataOffset);
    record.dataLength = GetLe32(in + kDataLength);
    return record;
}

TransferRecord QueuedTransferRecord(std::uint8_t endpoint) {
    TransferRecord record;
    record.endpoint = endpoint;
    return record;
}

TransferRecord DirectTransferRecord(std::uint8_t endpoint, std::uint32_t count) {
    TransferRecord record;
    record.endpoint = endpoint;
    record.dataOffset = static_cast<std::uint32_t>(kTransferRecordSize);
    record.dataLength = count;
    return record;
}

bool BuildControlRequest(const ControlSetup& setup, const std::uint8_t* data, std::size_t dataCount,
                         std::uint8_t* out) {
    if (dataCount > kControlDataSize || (dataCount > 0 && data == nullptr)) return false;
    std::memset(out, 0, kControlRequestSize);
    TransferRecord record;
    record.requestType = setup.requestType;
    record.request = setup.request;
    record.value = setup.value;
    record.index = setup.index;
    // The driver expects the size of the whole request here, not of its data.
    record.length = static_cast<std::uint16_t>(kControlRequestSize);
    record.timeoutSeconds = kControlTimeoutSeconds;
    record.endpoint = 0;
    record.dataOffset = static_cast<std::uint32_t>(kTransferRecordSize);
    record.dataLength = static_cast<std::uint32_t>(kControlDataSize);
    WriteTransferRecord(record, out);
    if (dataCount > 0) std::memcpy(out + kTransferRecordSize, data, dataCount);
    return true;
}

std::uint32_t ControlDataBytes(std::uint32_t returned) {
    return returned >= kTransferRecordSize
               ? returned - static_cast<std::uint32_t>(kTransferRecordSize)
               : returned;
}

}  // namespace nodrix::transport
