#include "connection/RecordingQueue.h"

#include <algorithm>

namespace nodrix {

bool RecordingQueue::Allocate(std::uint32_t slotBytes, std::uint64_t memoryBytes,
                              std::uint32_t minSlots) {
    if (slotBytes == 0) return false;
    const std::uint64_t slots =
        std::clamp<std::uint64_t>(memoryBytes / slotBytes, minSlots, 0x10000);
    const std::uint64_t bytes = slots * slotBytes;
    if (bytes > static_cast<std::uint64_t>(SIZE_MAX / 2)) return false;
    // Every page is present once allocated, so that the first frames at the
    // link rate do not pay for the memory's first use.
    if (bytes > block_.Bytes() && !block_.Allocate(static_cast<std::size_t>(bytes))) {
        Free();
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    slotBytes_ = slotBytes;
    slots_ = static_cast<std::uint32_t>(slots);
    batch_ = std::max<std::uint32_t>(slots_ / 8, 1);
    oldest_ = 0;
    next_ = 0;
    filled_ = 0;
    sleeping_ = false;
    ending_ = false;
    published_.Reset();
    freed_.Reset();
    return true;
}

void RecordingQueue::Free() {
    block_.Free();
    std::lock_guard<std::mutex> lock(mutex_);
    slots_ = 0;
    batch_ = 0;
    slotBytes_ = 0;
    oldest_ = 0;
    next_ = 0;
    filled_ = 0;
}

std::uint8_t* RecordingQueue::Claim() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (slots_ == 0 || filled_ >= slots_) return nullptr;
    // The consumer holds no slot of an empty queue: the next frame may go to
    // the start, where the last ones were, still in the cache.
    if (filled_ == 0) oldest_ = next_ = 0;
    return block_.Data() + static_cast<std::size_t>(next_) * slotBytes_;
}

void RecordingQueue::Publish() {
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        next_ = next_ + 1 == slots_ ? 0 : next_ + 1;
        ++filled_;
        wake = sleeping_ && filled_ >= batch_;
        if (wake) sleeping_ = false;
    }
    if (wake) published_.Set();
}

std::uint32_t RecordingQueue::Filled(const std::uint8_t** first) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (filled_ == 0 || slots_ == 0) return 0;
    *first = block_.Data() + static_cast<std::size_t>(oldest_) * slotBytes_;
    return std::min({filled_, slots_ - oldest_, batch_});
}

void RecordingQueue::Release(std::uint32_t count) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        count = std::min(count, filled_);
        if (count > 0) oldest_ = (oldest_ + count) % slots_;
        filled_ -= count;
    }
    freed_.Set();
}

bool RecordingQueue::Wait(std::uint32_t milliseconds) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (ending_ || filled_ >= batch_) return true;
        sleeping_ = true;
    }
    // A wake-up between here and the wait leaves the event set.
    const bool woken = published_.Wait(milliseconds);
    std::lock_guard<std::mutex> lock(mutex_);
    sleeping_ = false;
    return woken;
}

void RecordingQueue::Wake() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    published_.Set();
}

}  // namespace nodrix
