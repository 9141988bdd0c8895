#pragma once
// The counts of one camera's frame stream: what came in, what reached the
// application, and why every other frame was lost. Each frame that enters
// is counted as received once and then, unless it is still in flight, as
// delivered or under exactly one loss reason.
//
// The acquisition thread reports reads and completed frames, the readers
// of the ring report frames skipped over, the connection reports what it
// handed out. All under one lock: a handful of increments per frame.

#include <algorithm>
#include <cstdint>

#include "platform/RecursiveLock.h"

namespace nodrix::core {

struct StreamCounts {
    std::uint64_t received = 0;
    std::uint64_t delivered = 0;
    std::uint64_t lostHeader = 0;
    std::uint64_t lostPayload = 0;
    std::uint64_t lostGap = 0;
    std::uint64_t lostOverwritten = 0;
    std::uint64_t lostBufferTooSmall = 0;
    // Given up by the stream of application buffers: no empty buffer was
    // queued, or the oldest filled one was taken back for a newer frame.
    std::uint64_t lostNoBuffer = 0;
    std::uint64_t recoveries = 0;
    // Delivered, but left out of a recording whose queue was full; not a
    // loss of the stream.
    std::uint64_t notRecorded = 0;
    double receivedRate = 0.0;  // frames per second over the last second or so
    double deliveredRate = 0.0;

    std::uint64_t Lost() const {
        return lostHeader + lostPayload + lostGap + lostOverwritten + lostBufferTooSmall +
               lostNoBuffer;
    }
};

// Events per second over the last second of the monotonic clock, kept in
// ten slices of 0.1 s: an event leaves the rate once its slice is more than
// a second old, so the rate of a stream that stopped reads 0 within a
// second. Until a second has passed since the first event (or the reset),
// the rate over the time so far.
class RateMeter {
public:
    void Count(std::uint64_t nowUs);
    double Rate(std::uint64_t nowUs);
    void Reset(std::uint64_t nowUs);

private:
    static constexpr int kSlices = 10;
    static constexpr std::uint64_t kSliceUs = 100000;
    void Advance(std::uint64_t nowUs);
    std::uint64_t startUs_ = 0;
    bool started_ = false;
    std::uint64_t newestSlice_ = 0;  // nowUs / kSliceUs of the latest call
    std::uint64_t slices_[kSlices] = {};
};

class StreamStatistics {
public:
    // A new acquisition run: frame numbers are compared again only from its
    // first header on, since the camera may count on while no one reads.
    void StreamStarted();
    // The run ended: failed header tries that no later header accounted for
    // count as frames lost with their headers.
    void StreamEnded();
    // Header tries that failed, came short or timed out. A try that timed
    // out may have lost no frame (the camera keeps it for the next try), so
    // they are only counted once the next header's number shows how many
    // frames went missing meanwhile.
    void HeadersFailed(std::uint32_t count);
    // A header arrived: the frame numbers skipped since the previous header
    // are frames lost, with the failed header tries in between as far as
    // they go, and in the camera or on the way (a gap) beyond them.
    void HeaderRead(std::uint32_t frameNumber);
    // A payload that failed, came short or timed out.
    void PayloadFailed();
    // A whole frame went into the ring.
    void FrameCompleted();
    // Frames in the ring that no one took before newer ones replaced them
    // (or before the acquisition stopped).
    void Overwritten(std::uint64_t count);
    void Delivered();
    void BufferTooSmall();
    void NoBuffer(std::uint64_t count);
    void NotRecorded();

    StreamCounts Counts();
    void Reset();
    // Frames lost since the connection opened; not cleared by Reset, so a
    // delivery can tell how many were lost since the one before.
    std::uint64_t LostSinceOpen();

private:
    void Lose(std::uint64_t& reason, std::uint64_t count);
    void LoseUnreceived(std::uint64_t& reason, std::uint64_t count);

    platform::RecursiveLock lock_;
    StreamCounts counts_;
    RateMeter receivedRate_;
    RateMeter deliveredRate_;
    std::uint64_t lostSinceOpen_ = 0;
    bool haveFrameNumber_ = false;
    std::uint32_t lastFrameNumber_ = 0;
    // Failed header tries since the last header that arrived.
    std::uint64_t failedHeaderTries_ = 0;
    bool failedSinceFrame_ = false;
};

// A frame's lostBefore: the frames lost between mark, taken at the frame
// before, and lost (both LostSinceOpen values), at most what 32 bits hold;
// mark moves on to lost. A mark already past lost counts none.
inline std::uint32_t TakeLostSince(std::uint64_t lost, std::uint64_t& mark) {
    const std::uint64_t since = lost > mark ? lost - mark : 0;
    mark = std::max(mark, lost);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(since, 0xFFFFFFFFu));
}

}  // namespace nodrix::core
