#include "transport/CNodrixCy3.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "transport/DriverRequests.h"
#include "transport/LittleEndian.h"

namespace nodrix {

using platform::DriverHandle;
using platform::kInvalidDriverHandle;
using transport::ControlSetup;

CNodrixCy3::CNodrixCy3(platform::DriverPort& port, const platform::Guid* interfaceClass)
    : CFx3Api(port, interfaceClass) {}

CNodrixCy3::~CNodrixCy3() {
    Close();
}

void CNodrixCy3::Close() {
    CloseDataHandle();
    requestBuffer_.reset();
}

int CNodrixCy3::SelectDevice(int tableIndex) {
    CloseDataHandle();
    if (!IsDevicePresent(tableIndex)) return 0;
    selectedIndex_ = tableIndex;
    return 1;
}

bool CNodrixCy3::ClaimDevice(int tableIndex) {
    transport::DeviceEntry entry;
    if (!GetEntry(tableIndex, &entry) || entry.productId == 0) return false;
    if (claim_ && claim_->Path() == entry.path) return true;
    std::unique_ptr<transport::DeviceClaim> claim =
        transport::DeviceClaim::Take(Port(), entry.path);
    if (!claim) return false;
    claim_ = std::move(claim);
    return true;
}

bool CNodrixCy3::AllocateRequestBuffer() {
    if (requestBuffer_ == nullptr) {
        // Left uninitialised: only the part a transfer uses is ever written.
        requestBuffer_.reset(new (std::nothrow) std::uint8_t[transport::kRequestBufferSize]);
    }
    return requestBuffer_ != nullptr;
}

// --- the data handle ---

int CNodrixCy3::EnsureDataHandle() {
    if (dataHandle_.load() != kInvalidDriverHandle) return 1;
    const DriverHandle handle = OpenDevice(selectedIndex_.load(), true);
    if (handle == kInvalidDriverHandle) return 0;
    DriverHandle expected = kInvalidDriverHandle;
    if (!dataHandle_.compare_exchange_strong(expected, handle)) Port().Close(handle);
    return 1;
}

void CNodrixCy3::CloseDataHandle() {
    platform::LockGuard guard(dataHandleLock_);
    const DriverHandle handle = dataHandle_.exchange(kInvalidDriverHandle);
    if (handle != kInvalidDriverHandle) Port().Close(handle);
}

DriverHandle CNodrixCy3::AcquireDataHandle(bool* opened) {
    *opened = false;
    if (dataHandle_.load() == kInvalidDriverHandle) {
        if (!EnsureDataHandle()) return kInvalidDriverHandle;
        *opened = true;
    }
    return dataHandle_.load();
}

void CNodrixCy3::ReleaseDataHandle(bool opened) {
    if (opened) CloseDataHandle();
}

// --- control requests ---

CNodrixCy3::ControlReply CNodrixCy3::ControlTransfer(DriverHandle handle, const ControlSetup& setup,
                                                     const std::uint8_t* data, std::size_t count) {
    ControlReply reply;
    std::uint8_t request[transport::kControlRequestSize];
    if (!transport::BuildControlRequest(setup, data, count, request)) return reply;
    std::uint32_t returned = 0;
    if (!Port().IoControl(handle, transport::kIoctlControlTransfer, request, sizeof(request),
                          request, sizeof(request), &returned)) {
        return reply;
    }
    reply.ok = true;
    reply.dataBytes =
        std::min<std::uint32_t>(transport::ControlDataBytes(returned), transport::kControlDataSize);
    std::memcpy(reply.data, request + transport::kTransferRecordSize, reply.dataBytes);
    return reply;
}

CNodrixCy3::ControlReply CNodrixCy3::VendorRequest(const ControlSetup& setup,
                                                   const std::uint8_t* data, std::size_t count) {
    const DriverHandle handle = OpenDevice(selectedIndex_.load(), false);
    if (handle == kInvalidDriverHandle) return ControlReply{};
    ControlReply reply = ControlTransfer(handle, setup, data, count);
    Port().Close(handle);
    return reply;
}

bool CNodrixCy3::SimpleIoControl(std::uint32_t code, void* in, std::uint32_t inSize, void* out,
                                 std::uint32_t outSize, std::uint32_t* returned) {
    const DriverHandle handle = OpenDevice(selectedIndex_.load(), false);
    if (handle == kInvalidDriverHandle) return false;
    std::uint32_t ignored = 0;
    const bool ok = Port().IoControl(handle, code, in, inSize, out, outSize,
                                     returned != nullptr ? returned : &ignored);
    Port().Close(handle);
    return ok;
}

int CNodrixCy3::I2cWrite(std::uint8_t busAddress, const std::uint8_t* data, int count,
                         std::uint32_t /*timeoutMs: the driver's own 3 s apply*/) {
    if (count < 0 || count > transport::kMaxBusTransfer || (count > 0 && data == nullptr)) return 0;
    const ControlSetup setup{transport::kRequestTypeVendorOut, transport::kRequestBusWrite,
                             static_cast<std::uint16_t>(count), busAddress};
    return VendorRequest(setup, data, static_cast<std::size_t>(count)).ok ? 1 : 0;
}

int CNodrixCy3::I2cRead(std::uint8_t busAddress, std::uint8_t* data, int count,
                        std::uint32_t /*timeoutMs*/) {
    if (count < 0 || count > transport::kMaxBusTransfer || (count > 0 && data == nullptr)) return 0;
    const ControlSetup setup{transport::kRequestTypeVendorIn, transport::kRequestBusRead,
                             static_cast<std::uint16_t>(count),
                             static_cast<std::uint16_t>(busAddress | 1)};
    const ControlReply reply = VendorRequest(setup);
    // Fewer bytes than asked for is a failed read, not stale data.
    if (!reply.ok || reply.dataBytes < static_cast<std::uint32_t>(count)) return 0;
    std::memcpy(data, reply.data, static_cast<std::size_t>(count));
    return 1;
}

int CNodrixCy3::WriteControlByte(std::uint8_t value) {
    const ControlSetup setup{transport::kRequestTypeVendorOut, transport::kRequestWriteControlByte,
                             0, 0};
    return VendorRequest(setup, &value, 1).ok ? 1 : 0;
}

int CNodrixCy3::ReadControlByte(std::uint8_t* value) {
    const ControlSetup setup{transport::kRequestTypeVendorIn, transport::kRequestReadControlByte, 0,
                             0};
    const ControlReply reply = VendorRequest(setup);
    if (!reply.ok) return 0;
    if (reply.dataBytes > 0 && value != nullptr) *value = reply.data[0];
    return 1;
}

int CNodrixCy3::VendorWrite3E(std::uint16_t first, std::uint16_t second) {
    const std::uint8_t data[4] = {
        static_cast<std::uint8_t>(first >> 8), static_cast<std::uint8_t>(first),
        static_cast<std::uint8_t>(second >> 8), static_cast<std::uint8_t>(second)};
    const ControlSetup setup{transport::kRequestTypeVendorOut, transport::kRequestWrite3E, 0, 0};
    return VendorRequest(setup, data, sizeof(data)).ok ? 1 : 0;
}

int CNodrixCy3::VendorRead3F(std::uint16_t argument, std::uint16_t* result) {
    const ControlSetup setup{transport::kRequestTypeVendorIn, transport::kRequestRead3F, argument,
                             0};
    const ControlReply reply = VendorRequest(setup);
    if (!reply.ok) return 0;
    if (reply.dataBytes > 0 && result != nullptr) *result = transport::GetLe16(reply.data);
    return 1;
}

int CNodrixCy3::VendorWriteD0(std::uint16_t selector, std::uint32_t value) {
    std::uint8_t data[4];
    transport::PutLe32(data, value);
    const ControlSetup setup{transport::kRequestTypeVendorOut, transport::kRequestWriteD0,
                             static_cast<std::uint16_t>(selector & 0x8000),
                             static_cast<std::uint16_t>(selector & 0x7FFF)};
    return VendorRequest(setup, data, sizeof(data)).ok ? 1 : 0;
}

int CNodrixCy3::VendorReadD1(std::uint16_t argument, std::uint16_t* result) {
    const ControlSetup setup{transport::kRequestTypeVendorIn, transport::kRequestReadD1, 0,
                             argument};
    const ControlReply reply = VendorRequest(setup);
    if (!reply.ok) return 0;
    if (result != nullptr) {
        *result =
            reply.dataBytes == transport::kControlDataSize ? transport::GetLe16(reply.data) : 0;
    }
    return 1;
}

int CNodrixCy3::ReadInfoBlock(std::uint8_t request, std::uint8_t* block) {
    const ControlSetup setup{transport::kRequestTypeVendorIn, request, 0, 0};
    const ControlReply reply = VendorRequest(setup);
    if (!reply.ok) return 0;
    if (reply.dataBytes == transport::kControlDataSize && block != nullptr) {
        std::memcpy(block, reply.data, transport::kControlDataSize);
    }
    return 1;
}

int CNodrixCy3::ReadFirmwareInfo(std::uint8_t* block) {
    return ReadInfoBlock(transport::kRequestFirmwareInfo, block);
}

int CNodrixCy3::ReadFirmwareInfoB1(std::uint8_t* block) {
    return ReadInfoBlock(transport::kRequestFirmwareInfoB1, block);
}

int CNodrixCy3::VendorCommandC0() {
    const ControlSetup setup{transport::kRequestTypeVendorOut, transport::kRequestCommandC0, 0, 0};
    return VendorRequest(setup).ok ? 1 : 0;
}

int CNodrixCy3::VendorCommandCC() {
    const ControlSetup setup{transport::kRequestTypeVendorOutEndpoint, transport::kRequestCommandCC,
                             0, 0};
    return VendorRequest(setup).ok ? 1 : 0;
}

int CNodrixCy3::ReadFpgaReady(std::uint8_t* ready) {
    const ControlSetup setup{transport::kRequestTypeVendorIn, transport::kRequestFpgaReady, 0, 0};
    const ControlReply reply = VendorRequest(setup);
    if (!reply.ok) return 0;
    if (reply.dataBytes == transport::kControlDataSize && ready != nullptr) *ready = reply.data[0];
    return 1;
}

// --- requests without a record ---

int CNodrixCy3::GetSpeed(std::uint32_t* speed) {
    std::uint8_t in[4] = {};
    std::uint8_t out[4] = {};
    std::uint32_t returned = 0;
    if (!SimpleIoControl(transport::kIoctlGetSpeed, in, sizeof(in), out, sizeof(out), &returned)) {
        return 0;
    }
    if (speed != nullptr) *speed = transport::GetLe32(out);
    return 1;
}

int CNodrixCy3::ResetPort() {
    return SimpleIoControl(transport::kIoctlResetPort, nullptr, 0, nullptr, 0, nullptr) ? 1 : 0;
}

int CNodrixCy3::ResetDataPipe(std::uint8_t endpoint) {
    return SimpleIoControl(transport::kIoctlResetPipe, &endpoint, 1, nullptr, 0, nullptr) ? 1 : 0;
}

}  // namespace nodrix
