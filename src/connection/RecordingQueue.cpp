#include "connection/RecordingQueue.h"

#include <algorithm>

namespace nodrix {

bool RecordingQueue::Allocate(std::uint32_t slotBytes, std::uint64_t memoryBytes,
                              std::uint32_t minSlots) {
    Free();
    if (slotBytes == 0) return false;
    const std::uint64_t slots =
        std::clamp<std::uint64_t>(memoryBytes / slotBytes, minSlots, 0x10000);
    const std::uint64_t bytes = slots * slotBytes;
    if (bytes > static_cast<std::uint64_t>(SIZE_MAX / 2)) return false;
    // Every page is present once allocated, so that the first frames at the
    // link rate do not pay for the memory's first use.
    if (!block_.Allocate(static_cast<std::size_t>(bytes))) return false;
    slotBytes_ = slotBytes;
    slots_ = static_cast<std::uint32_t>(slots);
    batch_ = std::max<std::uint32_t>(slots_ / 8, 1);
    return true;
}

void RecordingQueue::Free() {
    block_.Free();
    slots_ = 0;
    batch_ = 0;
    slotBytes_ = 0;
    publishedCount_ = 0;
    released_ = 0;
    published_.Reset();
    freed_.Reset();
}

std::uint8_t* RecordingQueue::Claim() {
    const std::uint32_t next = publishedCount_.load(std::memory_order_relaxed);
    if (slots_ == 0 || next - released_.load(std::memory_order_acquire) >= slots_) return nullptr;
    return block_.Data() + static_cast<std::size_t>(next % slots_) * slotBytes_;
}

void RecordingQueue::Publish() {
    publishedCount_.fetch_add(1, std::memory_order_release);
    published_.Set();
}

std::uint32_t RecordingQueue::Filled(const std::uint8_t** first) const {
    const std::uint32_t oldest = released_.load(std::memory_order_relaxed);
    const std::uint32_t filled = publishedCount_.load(std::memory_order_acquire) - oldest;
    if (filled == 0 || slots_ == 0) return 0;
    const std::uint32_t at = oldest % slots_;
    *first = block_.Data() + static_cast<std::size_t>(at) * slotBytes_;
    return std::min({filled, slots_ - at, batch_});
}

void RecordingQueue::Release(std::uint32_t count) {
    released_.fetch_add(count, std::memory_order_release);
    freed_.Set();
}

}  // namespace nodrix
