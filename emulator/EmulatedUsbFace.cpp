// The emulated cameras' USB face: descriptors, vendor control transfers and
// the bulk endpoints, with nothing of the kernel driver's request records.
// The driver-level face above decodes its requests into these same camera
// operations.

#include <algorithm>
#include <array>
#include <cstring>

#include "emulator/DriverProtocol.h"
#include "emulator/EmulatedDriver.h"
#include "emulator/LittleEndian.h"

namespace nodrix::emulator {
namespace {

constexpr std::uint8_t kDescriptorDevice = 1;
constexpr std::uint8_t kDescriptorConfiguration = 2;
constexpr std::uint8_t kDescriptorInterface = 4;
constexpr std::uint8_t kDescriptorEndpoint = 5;
constexpr std::uint8_t kVendorSpecific = 0xFF;
constexpr std::uint8_t kBulk = 2;
constexpr std::uint16_t kSuperSpeedPacket = 1024;
constexpr std::uint16_t kHighSpeedPacket = 512;
constexpr std::uint8_t kEndpoints[] = {kEndpointBulkIn, kEndpointBulkOut, kEndpointStreamIn};

}  // namespace

std::uint16_t EmulatedDriver::UsbProductId(int camera) const {
    const AllLocks guard(*this);
    EmulatedCamera* cam = CameraLocked(camera);
    return cam == nullptr ? 0 : cam->ProductId();
}

std::uint32_t EmulatedDriver::UsbSpeedMbps() const {
    switch (config_.busSpeed) {
        case 1:
            return 1;  // the system writes 1.5
        case 2:
            return 12;
        case 3:
            return 480;
        default:
            return 5000;
    }
}

std::vector<std::uint8_t> EmulatedDriver::UsbDescriptors(int camera) const {
    const std::uint16_t product = UsbProductId(camera);
    const bool super = config_.busSpeed >= 4;
    std::vector<std::uint8_t> d = {18, kDescriptorDevice, 0, 0, 0, 0, 0, 0};
    PutLe16(&d[2], super ? 0x0300 : 0x0200);
    d[7] = super ? 9 : 64;  // endpoint 0 packet size (a power of two at SuperSpeed)
    d.resize(18);
    PutLe16(&d[8], config_.vendorId);
    PutLe16(&d[10], product);
    PutLe16(&d[12], 0x0100);
    d[17] = 1;  // one configuration

    const std::size_t config = d.size();
    const std::uint8_t total = 9 + 9 + 7 * sizeof(kEndpoints);
    d.insert(d.end(), {9, kDescriptorConfiguration, total, 0, 1, 1, 0, 0x80, 112});
    d.insert(d.end(), {9, kDescriptorInterface, 0, 0, static_cast<std::uint8_t>(sizeof(kEndpoints)),
                       kVendorSpecific, 0, 0, 0});
    const std::uint16_t packet = super ? kSuperSpeedPacket : kHighSpeedPacket;
    for (std::uint8_t endpoint : kEndpoints) {
        d.insert(d.end(),
                 {7, kDescriptorEndpoint, endpoint, kBulk, static_cast<std::uint8_t>(packet & 0xFF),
                  static_cast<std::uint8_t>(packet >> 8), 0});
    }
    PutLe16(&d[config + 2], static_cast<std::uint16_t>(d.size() - config));
    return d;
}

EmulatedDriver::UsbOutcome EmulatedDriver::UsbControl(int camera, std::uint8_t requestType,
                                                      std::uint8_t request, std::uint16_t value,
                                                      std::uint16_t index, std::uint8_t* data,
                                                      std::uint16_t length, std::uint32_t& moved) {
    moved = 0;
    const AllLocks guard(*this);
    ServiceLocked();
    EmulatedCamera* cam = CameraLocked(camera);
    if (cam == nullptr || !cam->Present()) return UsbOutcome::NoDevice;
    // The firmware works on a 64-byte buffer; longer data stages stall.
    if (length > kControlDataSize || (length > 0 && data == nullptr)) return UsbOutcome::Stall;
    std::array<std::uint8_t, 64> buffer{};
    const bool in = (requestType & 0x80) != 0;
    if (!in && length > 0) std::memcpy(buffer.data(), data, length);
    std::uint32_t answered = 0;
    if (!cam->VendorRequest(requestType, request, value, index, buffer, answered,
                            ClockUs())) {
        return UsbOutcome::Stall;
    }
    if (in) {
        moved = std::min<std::uint32_t>(answered, length);
        std::memcpy(data, buffer.data(), moved);
    } else {
        moved = length;
    }
    PokePendingLocked(camera);
    return UsbOutcome::Done;
}

EmulatedDriver::UsbOutcome EmulatedDriver::UsbBulk(int camera, std::uint8_t endpoint,
                                                   std::uint8_t* buffer, std::uint32_t capacity,
                                                   std::uint32_t& moved) {
    moved = 0;
    const AllLocks guard(*this);
    ServiceLocked();
    EmulatedCamera* cam = CameraLocked(camera);
    if (cam == nullptr || !cam->Present()) return UsbOutcome::NoDevice;
    switch (cam->BulkTransfer(endpoint, buffer, capacity, moved, ClockUs())) {
        case ReadOutcome::Pending:
            return UsbOutcome::Pending;
        case ReadOutcome::Done:
            return UsbOutcome::Done;
        case ReadOutcome::Failed:
        default:
            return UsbOutcome::Stall;
    }
}

void EmulatedDriver::UsbClearHalt(int camera, std::uint8_t endpoint) {
    const AllLocks guard(*this);
    EmulatedCamera* cam = CameraLocked(camera);
    if (cam != nullptr && endpoint == kEndpointBulkIn) cam->DropEndpointData();
}

void EmulatedDriver::UsbReset(int camera) {
    const AllLocks guard(*this);
    if (EmulatedCamera* cam = CameraLocked(camera)) cam->StopStream();
}

std::uint32_t EmulatedDriver::UsbIdleMs(std::uint32_t cap) {
    const AllLocks guard(*this);
    const std::uint64_t now = NowUs();
    const std::uint64_t next = NextEventUsLocked();
    if (next == kNever || next <= now) return next == kNever ? cap : 0;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>((next - now + 999) / 1000, cap));
}

}  // namespace nodrix::emulator
