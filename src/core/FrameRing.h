#pragma once
// The ring of four frame buffers between the acquisition thread and the
// connection. The thread reads each frame straight into the buffer at the
// write index and advances it; the connection copies out the newest
// completed buffer (write index - 1) while the next one fills. Each buffer
// has its own lock, held for the fill and for the copy out, so that a reader
// slower than three frames never sees a buffer half overwritten: the writer
// waits for it instead. Each buffer also records which frame it holds, so
// that a reader who reaches a buffer after a failed fill takes nothing from
// it.
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

    // What a filled buffer holds besides the pixels.
    struct SlotInfo {
        std::uint64_t sequence = 0;     // 1 + the count of frames stored before it; 0: none
        std::uint32_t frameNumber = 0;  // from the frame's header
        std::uint64_t completedUs = 0;  // monotonic time when the payload was complete
    };

    // Fills the buffer at the write index in place: read(buffer, capacity)
    // returns whether a whole frame arrived. On success the buffer is
    // published (the write index advances); on failure it holds no frame.
    // Called by the acquisition thread.
    template <typename Read>
    bool FillNext(Read&& read, std::uint32_t frameNumber) {
        const std::uint64_t stored = Stored();
        const std::uint32_t slot = static_cast<std::uint32_t>(stored % kSlots);
        if (!FillSlot(slot, read, stored + 1, frameNumber)) return false;
        stored_.store(stored + 1, std::memory_order_release);
        return true;
    }
    // Likewise buffer 0, without touching the indices (the synchronous
    // single capture).
    template <typename Read>
    bool FillFirst(Read&& read, std::uint32_t frameNumber) {
        // Numbered apart from the ring's frames, so that no two frames share
        // a sequence.
        return FillSlot(0, read, kSingleCapture | ++singleCaptures_, frameNumber);
    }

    // Copies bytes from src into the buffer at the write index and advances
    // the index (after 3 comes 0).
    bool StoreNext(const std::uint8_t* src, std::size_t bytes);

    // Copies the newest completed frame out to dst with the orientation and
    // returns the frame count it stands for (0 when there is none); a buffer
    // emptied under the reader by a failed read is passed over for the then
    // newest one. With keep, that frame stays available to CopyOutKept until
    // the next kept one: the writer moves it aside rather than overwrite it.
    // What the frame's buffer records goes to info when given.
    std::uint64_t CopyOutNewest(std::uint8_t* dst, const FrameGeometry& geometry,
                                FrameOrientation orientation, bool keep = false,
                                SlotInfo* info = nullptr);
    // Copies the kept frame out again; false when there is none.
    bool CopyOutKept(std::uint8_t* dst, const FrameGeometry& geometry,
                     FrameOrientation orientation);
    SlotInfo Info(std::uint32_t slot) const;

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
    std::uint64_t Taken() const { return taken_.load(std::memory_order_acquire); }
    bool HasUntakenFrame() const { return Stored() != Taken(); }

private:
    template <typename Read>
    bool FillSlot(std::uint32_t slot, Read& read, std::uint64_t sequence,
                  std::uint32_t frameNumber) {
        platform::LockGuard guard(locks_[slot]);
        if (!buffers_[slot]) return false;
        SetAsideIfKept(slot);
        infos_[slot] = SlotInfo{};
        if (!read(buffers_[slot].get(), capacity_)) return false;
        infos_[slot] = SlotInfo{sequence, frameNumber, NowUs()};
        return true;
    }
    static std::uint64_t NowUs();
    // Called with the slot's lock held.
    void SetAsideIfKept(std::uint32_t slot);

    std::array<std::unique_ptr<std::uint8_t[]>, kSlots> buffers_;
    std::array<SlotInfo, kSlots> infos_{};
    mutable std::array<platform::RecursiveLock, kSlots> locks_;
    std::size_t capacity_ = 0;
    std::atomic<std::uint64_t> stored_{0};
    std::atomic<std::uint64_t> taken_{0};
    // The kept frame once its slot was needed again: a fifth buffer that
    // trades places with the slot.
    std::atomic<std::uint64_t> kept_{0};
    static constexpr std::uint64_t kSingleCapture = std::uint64_t{1} << 63;
    std::uint64_t singleCaptures_ = 0;
    std::unique_ptr<std::uint8_t[]> asideBuffer_;
    SlotInfo asideInfo_{};
    mutable platform::RecursiveLock asideLock_;  // taken after a slot's lock, never before
};

}  // namespace nodrix::core
