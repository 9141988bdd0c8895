#include "core/FrameRing.h"

#include <chrono>
#include <cstring>
#include <new>
#include <utility>

namespace nodrix::core {

FrameRing::FrameRing() = default;

bool FrameRing::Allocate(std::size_t capacity) {
    kept_.store(0);
    for (std::uint32_t i = 0; i < kSlots; ++i) {
        platform::LockGuard guard(locks_[i]);
        infos_[i] = SlotInfo{};
        buffers_[i].reset();
        buffers_[i].reset(new (std::nothrow) std::uint8_t[capacity]);
        if (!buffers_[i]) {
            return false;
        }
        // Zeroed so that a copy-out before the first frame yields black, not
        // whatever the allocator left.
        std::memset(buffers_[i].get(), 0, capacity);
    }
    {
        platform::LockGuard guard(asideLock_);
        asideInfo_ = SlotInfo{};
        asideBuffer_.reset();
        asideBuffer_.reset(new (std::nothrow) std::uint8_t[capacity]);
        if (!asideBuffer_) {
            return false;
        }
    }
    capacity_ = capacity;
    return true;
}

void FrameRing::Free() {
    kept_.store(0);
    for (std::uint32_t i = 0; i < kSlots; ++i) {
        platform::LockGuard guard(locks_[i]);
        infos_[i] = SlotInfo{};
        buffers_[i].reset();
    }
    {
        platform::LockGuard guard(asideLock_);
        asideInfo_ = SlotInfo{};
        asideBuffer_.reset();
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
    return FillNext(
        [&](std::uint8_t* buffer, std::size_t capacity) {
            if (bytes > capacity) return false;
            std::memcpy(buffer, src, bytes);
            return true;
        },
        0);
}

std::uint64_t FrameRing::NowUs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

FrameRing::SlotInfo FrameRing::Info(std::uint32_t slot) const {
    if (slot >= kSlots) return {};
    platform::LockGuard guard(locks_[slot]);
    return infos_[slot];
}

void FrameRing::SetAsideIfKept(std::uint32_t slot) {
    const std::uint64_t kept = kept_.load();
    if (kept == 0 || infos_[slot].sequence != kept) return;
    platform::LockGuard guard(asideLock_);
    if (!asideBuffer_) return;
    std::swap(buffers_[slot], asideBuffer_);
    std::swap(infos_[slot], asideInfo_);
}

std::uint64_t FrameRing::CopyOutNewest(std::uint8_t* dst, const FrameGeometry& geometry,
                                       FrameOrientation orientation, bool keep, SlotInfo* info) {
    if (dst == nullptr) return 0;
    // A reader held up for three frames may find its buffer emptied by a
    // failed read; it then takes the newest frame again. Each retry follows
    // a completed fill, so a few suffice.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::uint64_t stored = Stored();
        if (stored == 0) return 0;
        const std::uint32_t slot = NewestSlotAfter(stored);
        platform::LockGuard guard(locks_[slot]);
        if (!buffers_[slot] || geometry.FrameBytes() > capacity_) return 0;
        const std::uint64_t sequence = infos_[slot].sequence;
        if (sequence == 0) continue;
        CopyFrameOriented(dst, buffers_[slot].get(), geometry, orientation);
        if (keep) kept_.store(sequence);
        if (info != nullptr) *info = infos_[slot];
        return sequence;
    }
    return 0;
}

bool FrameRing::CopyOutKept(std::uint8_t* dst, const FrameGeometry& geometry,
                            FrameOrientation orientation) {
    const std::uint64_t kept = kept_.load();
    if (dst == nullptr || kept == 0 || geometry.FrameBytes() > capacity_) return false;
    for (std::uint32_t slot = 0; slot < kSlots; ++slot) {
        platform::LockGuard guard(locks_[slot]);
        if (buffers_[slot] && infos_[slot].sequence == kept) {
            CopyFrameOriented(dst, buffers_[slot].get(), geometry, orientation);
            return true;
        }
    }
    platform::LockGuard guard(asideLock_);
    if (!asideBuffer_ || asideInfo_.sequence != kept) return false;
    CopyFrameOriented(dst, asideBuffer_.get(), geometry, orientation);
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
