#pragma once
// The ring of four frame buffers between the acquisition thread and the
// connection. The thread fills the buffer at the write index and advances
// it; the connection copies out the newest completed buffer (write index - 1)
// while the next one fills. Each buffer has its own lock, held for the copy
// in and the copy out, so that a reader slower than three frames never sees
// a buffer half overwritten: the writer waits for it instead.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/FrameCopy.h"
#include "platform/RecursiveLock.h"

namespace nodrix::core {

class FrameRing {
public:
    static constexpr std::uint32_t kSlots = 4;

    FrameRing();
    FrameRing(const FrameRing&) = delete;
    FrameRing& operator=(const FrameRing&) = delete;

    // Replaces every buffer with one of capacity bytes. On an allocation
    // failure the buffers replaced until then stay and the result is false.
    bool Allocate(std::size_t capacity);
    void Free();
    std::size_t Capacity() const { return capacity_; }
    bool Ready() const;

    // Copies bytes from src into the buffer at the write index and advances
    // the index (after 3 comes 0). Called by the acquisition thread.
    bool StoreNext(const std::uint8_t* src, std::size_t bytes);
    // Copies bytes from src into buffer 0 without touching the indices (the
    // synchronous single capture).
    bool StoreFirst(const std::uint8_t* src, std::size_t bytes);

    // Copies buffer slot out to dst with the orientation; geometry.FrameBytes()
    // must not exceed the capacity.
    bool CopyOut(std::uint32_t slot, std::uint8_t* dst, const FrameGeometry& geometry,
                 FrameOrientation orientation);

    // Frames stored so far; the write index is this count modulo 4.
    std::uint64_t Stored() const { return stored_.load(std::memory_order_acquire); }
    std::uint32_t WriteIndex() const { return static_cast<std::uint32_t>(Stored() % kSlots); }
    // The newest completed buffer after `stored` frames (write index - 1).
    static std::uint32_t NewestSlotAfter(std::uint64_t stored) {
        return static_cast<std::uint32_t>((stored + kSlots - 1) % kSlots);
    }
    std::uint32_t NewestSlot() const { return NewestSlotAfter(Stored()); }

    // The reader has taken every frame up to `stored` (a count it read).
    // Counting frames rather than comparing ring indices keeps a reader that
    // fell exactly four frames behind from taking them for none.
    void MarkTaken(std::uint64_t stored) { taken_.store(stored, std::memory_order_release); }
    void MarkAllTaken() { MarkTaken(Stored()); }
    bool HasUntakenFrame() const { return Stored() != taken_.load(std::memory_order_acquire); }

private:
    std::array<std::unique_ptr<std::uint8_t[]>, kSlots> buffers_;
    std::array<platform::RecursiveLock, kSlots> locks_;
    std::size_t capacity_ = 0;
    std::atomic<std::uint64_t> stored_{0};
    std::atomic<std::uint64_t> taken_{0};
};

}  // namespace nodrix::core
