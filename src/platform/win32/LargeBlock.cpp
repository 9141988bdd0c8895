#include "platform/LargeBlock.h"

#include <windows.h>

namespace nodrix::platform {

LargeBlock::~LargeBlock() {
    Free();
}

void LargeBlock::Free() {
    if (data_ != nullptr) VirtualFree(data_, 0, MEM_RELEASE);
    data_ = nullptr;
    mapped_ = 0;
}

bool LargeBlock::Allocate(std::size_t bytes) {
    Free();
    if (bytes == 0) return false;
    // Large pages on Windows need a privilege a camera application does not
    // hold: committed small pages, every one touched now.
    void* block = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (block == nullptr) return false;
    data_ = static_cast<std::uint8_t*>(block);
    mapped_ = bytes;
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const std::size_t page = info.dwPageSize > 0 ? info.dwPageSize : 4096;
    for (std::size_t at = 0; at < mapped_; at += page) {
        *static_cast<volatile std::uint8_t*>(data_ + at) = 0;
    }
    return true;
}

}  // namespace nodrix::platform
