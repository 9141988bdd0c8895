#pragma once
// Where the acquisition thread puts frames when someone else owns the
// memory they land in. While a sink is set, the thread asks it for the
// next destination before each payload and tells it how the read went;
// the ring of four buffers only takes what finds no destination. Every
// call comes from the acquisition thread; the sink must not block.

#include <cstddef>
#include <cstdint>

namespace nodrix::core {

class FrameSink {
public:
    virtual ~FrameSink() = default;

    // Memory for the next frame's payload of payloadBytes bytes (capacity
    // receives its size), or null when there is none: the frame is then
    // read into the ring and given up as a frame without a buffer.
    virtual std::uint8_t* NextDestination(std::size_t payloadBytes, std::size_t* capacity) = 0;
    // The payload read into destination ended: whole or not (a failed or
    // cut-short read, which leaves the memory to the sink again). A whole
    // frame was counted as received before this call.
    virtual void FrameRead(std::uint8_t* destination, bool whole, std::uint32_t frameNumber,
                           std::uint64_t completedUs) = 0;
    // The acquisition thread ends; failed: the camera is gone.
    virtual void AcquisitionEnded(bool failed) = 0;
};

}  // namespace nodrix::core
