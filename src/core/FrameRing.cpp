#include "core/FrameRing.h"

#include <cstring>
#include <new>

namespace nodrix::core {

FrameRing::FrameRing() = default;

bool FrameRing::Allocate(std::size_t capacity) {
    for (std::uint32_t i = 0; i < kSlots; ++i) {
        platform::LockGuard guard(locks_[i]);
        buffers_[i].reset();
        buffers_[i].reset(new (std::nothrow) std::uint8_t[capacity]);
        if (!buffers_[i]) {
            return false;
        }
        // Zeroed so that a copy-out before the first frame yields black, not
        // whatever the allocator left.
        std::memset(buffers_[i].get(), 0, capacity);
    }
    capacity_ = capacity;
    return true;
}

void FrameRing::Free() {
    for (std::uint32_t i = 0; i < kSlots; ++i) {
        platform::LockGuard guard(locks_[i]);
        buffers_[i].reset();
    }
    capacity_ = 0;
}

bool FrameRing::Ready() const {
    for (const auto& buffer : buffers_) {
        if (!buffer) {
            return false;
        }
    }
    return capacity_ > 0;
}

bool FrameRing::StoreNext(const std::uint8_t* src, std::size_t bytes) {
    const std::uint64_t stored = Stored();
    const std::uint32_t slot = static_cast<std::uint32_t>(stored % kSlots);
    {
        platform::LockGuard guard(locks_[slot]);
        if (!buffers_[slot] || bytes > capacity_) {
            return false;
        }
        std::memcpy(buffers_[slot].get(), src, bytes);
    }
    stored_.store(stored + 1, std::memory_order_release);
    return true;
}

bool FrameRing::StoreFirst(const std::uint8_t* src, std::size_t bytes) {
    platform::LockGuard guard(locks_[0]);
    if (!buffers_[0] || bytes > capacity_) {
        return false;
    }
    std::memcpy(buffers_[0].get(), src, bytes);
    return true;
}

bool FrameRing::CopyOut(std::uint32_t slot, std::uint8_t* dst, const FrameGeometry& geometry,
                        FrameOrientation orientation) {
    if (slot >= kSlots || dst == nullptr) {
        return false;
    }
    platform::LockGuard guard(locks_[slot]);
    if (!buffers_[slot] || geometry.FrameBytes() > capacity_) {
        return false;
    }
    CopyFrameOriented(dst, buffers_[slot].get(), geometry, orientation);
    return true;
}

}  // namespace nodrix::core
