// The controller firmware's vendor requests on endpoint 0.

#include <algorithm>
#include <cstring>

#include "emulator/BusDevices.h"
#include "emulator/EmulatedCamera.h"
#include "emulator/LittleEndian.h"

namespace nodrix::emulator {
namespace {

// The request type each vendor request must carry.
int ExpectedRequestType(std::uint8_t request) {
    switch (request) {
        case 0x30: case 0x3C: case 0x3E: case 0xC0: case 0xD0: return 0x40;
        case 0x31: case 0x3D: case 0x3F: case 0xB0: case 0xB1: case 0xC3: case 0xD1: return 0xC0;
        case 0xC2: case 0xCC: return 0x42;
        default: return -1;
    }
}

}  // namespace

void EmulatedCamera::FillInfoBlock(std::uint8_t request, std::array<std::uint8_t, 64>& data) const {
    data.fill(0);
    if (request == 0xB0) {
        const char name[] = "NodrixT520 emulated";
        std::memcpy(data.data(), name, sizeof(name) - 1);
        PutLe16(&data[24], firmwareVersion_);
        PutLe16(&data[26], productId_);
        PutLe16(&data[28], fpgaVersion_);
    } else {
        const std::size_t n = std::min<std::size_t>(serial_.size(), 32);
        std::memcpy(data.data(), serial_.data(), n);
        PutLe16(&data[32], productId_);
    }
}

bool EmulatedCamera::VendorRequest(std::uint8_t requestType, std::uint8_t request,
                                   std::uint16_t value, std::uint16_t index,
                                   std::array<std::uint8_t, 64>& data, std::uint32_t& answered,
                                   std::uint64_t nowUs) {
    answered = 0;
    if (!present_) return false;
    if (ExpectedRequestType(request) != requestType) return false;
    switch (request) {
        case 0x30:
            if (value > kMaxBusBytes || !BusWrite(static_cast<std::uint8_t>(index), data.data(),
                                                  value, nowUs)) {
                return false;
            }
            answered = value;
            return true;
        case 0x31:
            if (value > kMaxBusBytes || (index & 1) == 0) return false;
            data.fill(0);
            if (!BusRead(static_cast<std::uint8_t>(index), data.data(), value, nowUs)) return false;
            answered = value;
            return true;
        case 0x3C:
            controlByte_ = data[0];
            answered = 1;
            return true;
        case 0x3D:
            data.fill(0);
            data[0] = controlByte_;
            answered = 1;
            return true;
        case 0x3E:
            words3E_[static_cast<std::uint16_t>((data[0] << 8) | data[1])] =
                static_cast<std::uint16_t>((data[2] << 8) | data[3]);
            answered = 4;
            return true;
        case 0x3F: {
            data.fill(0);
            auto it = words3E_.find(value);
            PutLe16(data.data(), it == words3E_.end() ? 0 : it->second);
            answered = 2;
            return true;
        }
        case 0xB0:
        case 0xB1:
            FillInfoBlock(request, data);
            answered = 64;
            return true;
        case 0xC0:
            StopStream();
            return true;
        case 0xC2:
            RequestHeader(nowUs);
            return true;
        case 0xC3: {
            data.fill(0);
            const bool configured =
                !faults_.fpgaNeverReady &&
                nowUs - poweredAtUs_ >= static_cast<std::uint64_t>(fpgaReadyDelayMs_) * 1000;
            data[0] = configured ? 1 : 0;
            answered = 64;
            return true;
        }
        case 0xCC:
            return true;
        case 0xD0:
            wordsD0_[static_cast<std::uint16_t>((value & 0x8000) | (index & 0x7FFF))] =
                GetLe32(data.data());
            answered = 4;
            return true;
        case 0xD1: {
            auto it = wordsD0_.find(index);
            data.fill(0);
            PutLe16(data.data(), static_cast<std::uint16_t>(it == wordsD0_.end() ? 0 : it->second));
            answered = 64;
            return true;
        }
        default:
            return false;
    }
}

}  // namespace nodrix::emulator
