#pragma once
// The frames between the acquisition and the recording's writer: slots of
// one frame chunk each, side by side in one block, filled in order by the
// worker that converts the frames and written in order by the recording
// thread, several neighbours at a time. One producer, one consumer; a full
// queue refuses the frame (the acquisition never waits for the disk); a
// producer that may wait sleeps until the consumer frees a slot.

#include <atomic>
#include <cstdint>

#include "platform/Event.h"
#include "platform/LargeBlock.h"

namespace nodrix {

class RecordingQueue {
public:
    // Makes slots of slotBytes each: as many as fit memoryBytes, at least
    // minSlots. False when the memory is missing.
    bool Allocate(std::uint32_t slotBytes, std::uint64_t memoryBytes, std::uint32_t minSlots);
    void Free();

    // Producer: the next free slot, or null when every slot is taken.
    std::uint8_t* Claim();
    // Producer: the claimed slot is filled; wakes the consumer.
    void Publish();
    // Producer: waits until the consumer frees a slot or the time is over.
    void WaitForSlot(std::uint32_t milliseconds) { freed_.Wait(milliseconds); }

    // Consumer: the filled slots from the oldest on that lie side by side
    // (the rest follows from the block's start), at most an eighth of the
    // queue, so that the producer gets slots back while the rest is being
    // written; 0 when none.
    std::uint32_t Filled(const std::uint8_t** first) const;
    // Consumer: count slots written, free again; wakes the producer.
    void Release(std::uint32_t count);
    // Consumer: waits until a slot is published or the time is over.
    void Wait(std::uint32_t milliseconds) { published_.Wait(milliseconds); }
    // Wakes the consumer without a frame (the recording is to end).
    void Wake() { published_.Set(); }

    std::uint32_t Slots() const { return slots_; }

private:
    // On large pages: the worker's copy into a slot and the system's copy
    // out of it into the file then miss the page tables rarely; on small
    // pages the writer's share alone came to more than a memcpy of the
    // frame beyond what a bare write of the same bytes costs.
    platform::LargeBlock block_;
    std::uint32_t slotBytes_ = 0;
    std::uint32_t slots_ = 0;
    std::uint32_t batch_ = 0;  // most slots handed to the consumer at once
    // Slots published and released since the start; they wrap together.
    std::atomic<std::uint32_t> publishedCount_{0};
    std::atomic<std::uint32_t> released_{0};
    platform::Event published_{platform::EventReset::Auto, false};
    platform::Event freed_{platform::EventReset::Auto, false};
};

}  // namespace nodrix
