#include "core/SerialNumber.h"

#include <cstdint>
#include <cstring>

#include "core/CNodrixU3T2Base.h"
#include "platform/Time.h"

namespace nodrix::core {

namespace {
constexpr std::uint32_t kEepromPauseMs = 10;
constexpr int kVerifyReads = 10;
}  // namespace

SerialRead ReadSerialNumber(CNodrixU3T2Base& core, char* text, std::size_t size) {
    if (text == nullptr || size == 0) {
        return SerialRead::Failed;
    }
    char bytes[kSerialNumberBytes] = {};
    int count = 0;
    bool firstReadFailed = false;
    for (int i = 0; i < kSerialNumberBytes; ++i) {
        std::uint8_t value = 0;
        if (!core.ReadConfigByte(kSerialNumberAddress + i, &value)) {
            firstReadFailed = i == 0;
            break;
        }
        if (value == 0xFF) {
            break;
        }
        bytes[count++] = static_cast<char>(value);
        platform::SleepMs(kEepromPauseMs);
    }
    if (firstReadFailed) {
        return SerialRead::Failed;
    }
    if (count == 0) {
        return SerialRead::Empty;
    }
    std::size_t length = static_cast<std::size_t>(count);
    if (length > size - 1) {
        length = size - 1;
    }
    std::memcpy(text, bytes, length);
    text[length] = '\0';
    return SerialRead::Text;
}

VerifiedWrite WriteConfigByteVerified(CNodrixU3T2Base& core, int address, int value) {
    if (!core.WriteConfigByte(address, value)) {
        return VerifiedWrite::WriteFailed;
    }
    for (int i = 0; i < kVerifyReads; ++i) {
        std::uint8_t back = 0;
        if (!core.ReadConfigByte(address, &back)) {
            return VerifiedWrite::ReadBackFailed;
        }
        if (back == static_cast<std::uint8_t>(value)) {
            break;
        }
        core.WriteConfigByte(address, value);
    }
    return VerifiedWrite::Written;
}

}  // namespace nodrix::core
