#pragma once
// The requests the emulated driver received, newest last, in a fixed ring so
// that logging costs nothing per frame. Tests read it to assert the exact
// bytes a caller sent.

#include <array>
#include <cstdint>
#include <vector>

#include "platform/DriverPort.h"

namespace nodrix::emulator {

struct LoggedRequest {
    static constexpr std::uint32_t kInputBytes = 128;

    std::uint64_t sequence = 0;
    int camera = -1;  // -1: the handle named no camera
    platform::DriverHandle handle = platform::kInvalidDriverHandle;
    std::uint32_t code = 0;
    bool overlapped = false;  // submitted with an overlapped record
    std::uint32_t inSize = 0;
    std::uint32_t outSize = 0;
    std::uint32_t inCopied = 0;  // bytes of input kept below
    std::array<std::uint8_t, kInputBytes> input{};
};

// The setup fields of a logged control request (0x220020).
struct ControlSetup {
    std::uint8_t requestType = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::uint16_t length = 0;
    std::uint32_t timeout = 0;
    std::uint8_t endpoint = 0;
    std::uint32_t dataOffset = 0;
    std::uint32_t dataLength = 0;
    std::array<std::uint8_t, 64> data{};
};

// False unless the entry is a control request with a whole record.
bool DecodeControlRequest(const LoggedRequest& entry, ControlSetup& setup);

class RequestLog {
public:
    static constexpr std::size_t kCapacity = 4096;

    void Add(int camera, platform::DriverHandle handle, std::uint32_t code, bool overlapped,
             const void* in, std::uint32_t inSize, std::uint32_t outSize);
    std::vector<LoggedRequest> Entries() const;
    void Clear();

private:
    std::vector<LoggedRequest> ring_ = std::vector<LoggedRequest>(kCapacity);
    std::size_t count_ = 0;
    std::uint64_t sequence_ = 0;
};

}  // namespace nodrix::emulator
