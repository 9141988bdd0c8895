#include "emulator/CameraMemory.h"

#include <algorithm>
#include <cstring>

namespace nodrix::emulator {

void CameraMemory::Read(std::uint64_t address, std::uint8_t* dest, std::uint32_t count) const {
    while (count > 0) {
        const std::uint64_t page = address / kPageSize;
        const std::uint64_t offset = address % kPageSize;
        const std::uint32_t n =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(count, kPageSize - offset));
        auto it = pages_.find(page);
        if (it == pages_.end()) {
            std::memset(dest, 0, n);
        } else {
            std::memcpy(dest, it->second.get() + offset, n);
        }
        dest += n;
        address += n;
        count -= n;
    }
}

void CameraMemory::Write(std::uint64_t address, const std::uint8_t* src, std::uint32_t count) {
    while (count > 0) {
        const std::uint64_t page = address / kPageSize;
        const std::uint64_t offset = address % kPageSize;
        const std::uint32_t n =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(count, kPageSize - offset));
        auto& slot = pages_[page];
        if (!slot) {
            slot = std::make_unique<std::uint8_t[]>(kPageSize);
            std::memset(slot.get(), 0, kPageSize);
        }
        std::memcpy(slot.get() + offset, src, n);
        src += n;
        address += n;
        count -= n;
    }
}

}  // namespace nodrix::emulator
