#pragma once
// The frames between the acquisition and the recording's writer: slots of
// one frame chunk each, side by side in one block, filled in order by the
// worker that converts the frames and written in order by the recording
// thread, several neighbours at a time. One producer, one consumer; a full
// queue refuses the frame (the acquisition never waits for the disk); a
// producer that may wait sleeps until the consumer frees a slot.
//
// When the writer keeps up, the queue empties after every write and the next
// frame goes to the block's start again: the same few slots are filled and
// written over and over while they are still in the processor's cache,
// instead of a slot last touched a whole queue's worth of frames ago. The
// writer is woken once a full write is queued, not for every frame: a
// sleep and a wake-up cost about what the copy of a frame costs.

#include <cstdint>
#include <mutex>

#include "platform/Event.h"
#include "platform/LargeBlock.h"

namespace nodrix {

class RecordingQueue {
public:
    // Makes slots of slotBytes each: as many as fit memoryBytes, at least
    // minSlots, and empties the queue. The memory of an earlier call is kept
    // when it is large enough: allocating and touching tens of megabytes
    // for every recording would delay its start. False when the memory is
    // missing.
    bool Allocate(std::uint32_t slotBytes, std::uint64_t memoryBytes, std::uint32_t minSlots);
    void Free();

    // Producer: the next free slot, or null when every slot is taken.
    std::uint8_t* Claim();
    // Producer: the claimed slot is filled; wakes a sleeping consumer once a
    // full write is queued.
    void Publish();
    // Producer: waits until the consumer frees a slot or the time is over.
    void WaitForSlot(std::uint32_t milliseconds) { freed_.Wait(milliseconds); }

    // Consumer: the filled slots from the oldest on that lie side by side
    // (the rest follows from the block's start), at most an eighth of the
    // queue, so that the producer gets slots back while the rest is being
    // written; 0 when none.
    std::uint32_t Filled(const std::uint8_t** first);
    // Consumer: count slots written, free again; wakes the producer.
    void Release(std::uint32_t count);
    // Consumer: waits until a full write (an eighth of the queue) is queued,
    // the time is over or the end is asked for; at once when one of them
    // holds already. False when the time ran out.
    bool Wait(std::uint32_t milliseconds);
    // Wakes the consumer, and keeps it from sleeping again until the next
    // Allocate: the recording is to end, and what is queued goes out now.
    void Wake();

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
    // Under mutex_: the oldest filled slot, the next slot to fill, how many
    // are filled (the consumer's slots stay filled until released), whether
    // the consumer sleeps and whether the end was asked for.
    std::mutex mutex_;
    std::uint32_t oldest_ = 0;
    std::uint32_t next_ = 0;
    std::uint32_t filled_ = 0;
    bool sleeping_ = false;
    bool ending_ = false;
    platform::Event published_{platform::EventReset::Auto, false};
    platform::Event freed_{platform::EventReset::Auto, false};
};

}  // namespace nodrix
