#include "core/StreamStatistics.h"

#include <algorithm>

#include "platform/Time.h"

namespace nodrix::core {
namespace {

// A jump this large is no gap but a camera that started counting afresh
// (power-up, replug) or a number that repeated.
constexpr std::uint32_t kLargestGap = 0x10000;

}  // namespace

void RateMeter::Advance(std::uint64_t nowUs) {
    if (!started_) {
        started_ = true;
        startUs_ = nowUs;
        newestSlice_ = nowUs / kSliceUs;
        return;
    }
    const std::uint64_t slice = nowUs / kSliceUs;
    if (slice <= newestSlice_) return;  // same slice, or a clock read earlier
    const std::uint64_t passed = std::min<std::uint64_t>(slice - newestSlice_, kSlices);
    for (std::uint64_t i = 1; i <= passed; ++i) slices_[(newestSlice_ + i) % kSlices] = 0;
    newestSlice_ = slice;
}

void RateMeter::Count(std::uint64_t nowUs) {
    Advance(nowUs);
    ++slices_[newestSlice_ % kSlices];
}

double RateMeter::Rate(std::uint64_t nowUs) {
    Advance(nowUs);
    std::uint64_t events = 0;
    for (const std::uint64_t count : slices_) events += count;
    if (events == 0) return 0.0;
    // The slices span from the start of the oldest kept one to now; less
    // while the first second is not over.
    const std::uint64_t oldestStartUs =
        newestSlice_ + 1 >= kSlices ? (newestSlice_ + 1 - kSlices) * kSliceUs : 0;
    const std::uint64_t fromUs = std::max(oldestStartUs, startUs_);
    const std::uint64_t spanUs = nowUs > fromUs ? nowUs - fromUs : 0;
    // A first event read back at once: taken as one slice's worth.
    return static_cast<double>(events) * 1e6 / static_cast<double>(std::max(spanUs, kSliceUs));
}

void RateMeter::Reset(std::uint64_t nowUs) {
    started_ = false;
    for (std::uint64_t& count : slices_) count = 0;
    Advance(nowUs);
}

void StreamStatistics::Lose(std::uint64_t& reason, std::uint64_t count) {
    reason += count;
    lostSinceOpen_ += count;
}

// A frame that never came in whole: received and lost at once.
void StreamStatistics::LoseUnreceived(std::uint64_t& reason, std::uint64_t count) {
    if (count == 0) return;
    counts_.received += count;
    Lose(reason, count);
    receivedRate_.Count(platform::MonotonicMicroseconds());
}

void StreamStatistics::StreamStarted() {
    platform::LockGuard guard(lock_);
    haveFrameNumber_ = false;
    failedHeaderTries_ = 0;
}

void StreamStatistics::StreamEnded() {
    platform::LockGuard guard(lock_);
    LoseUnreceived(counts_.lostHeader, failedHeaderTries_);
    failedHeaderTries_ = 0;
}

void StreamStatistics::HeadersFailed(std::uint32_t count) {
    if (count == 0) return;
    platform::LockGuard guard(lock_);
    failedHeaderTries_ += count;
    failedSinceFrame_ = true;
}

void StreamStatistics::HeaderRead(std::uint32_t frameNumber) {
    platform::LockGuard guard(lock_);
    // Without a number before this one, every failed try is taken for a
    // frame lost.
    std::uint64_t withHeaders = failedHeaderTries_;
    std::uint64_t inGap = 0;
    if (haveFrameNumber_) {
        const std::uint32_t skipped = frameNumber - lastFrameNumber_ - 1;  // modulo 2^32
        const std::uint64_t missing = skipped < kLargestGap ? skipped : 0;
        withHeaders = std::min(withHeaders, missing);
        inGap = missing - withHeaders;
    }
    LoseUnreceived(counts_.lostHeader, withHeaders);
    LoseUnreceived(counts_.lostGap, inGap);
    haveFrameNumber_ = true;
    lastFrameNumber_ = frameNumber;
    failedHeaderTries_ = 0;
}

void StreamStatistics::PayloadFailed() {
    platform::LockGuard guard(lock_);
    LoseUnreceived(counts_.lostPayload, 1);
    failedSinceFrame_ = true;
}

void StreamStatistics::FrameCompleted() {
    platform::LockGuard guard(lock_);
    ++counts_.received;
    receivedRate_.Count(platform::MonotonicMicroseconds());
    if (failedSinceFrame_) {
        ++counts_.recoveries;
        failedSinceFrame_ = false;
    }
}

void StreamStatistics::Overwritten(std::uint64_t count) {
    if (count == 0) return;
    platform::LockGuard guard(lock_);
    Lose(counts_.lostOverwritten, count);
}

void StreamStatistics::Delivered() {
    platform::LockGuard guard(lock_);
    ++counts_.delivered;
    deliveredRate_.Count(platform::MonotonicMicroseconds());
}

void StreamStatistics::BufferTooSmall() {
    platform::LockGuard guard(lock_);
    Lose(counts_.lostBufferTooSmall, 1);
}

void StreamStatistics::NoBuffer(std::uint64_t count) {
    if (count == 0) return;
    platform::LockGuard guard(lock_);
    Lose(counts_.lostNoBuffer, count);
}

void StreamStatistics::NotRecorded() {
    platform::LockGuard guard(lock_);
    ++counts_.notRecorded;
}

StreamCounts StreamStatistics::Counts() {
    platform::LockGuard guard(lock_);
    const std::uint64_t now = platform::MonotonicMicroseconds();
    counts_.receivedRate = receivedRate_.Rate(now);
    counts_.deliveredRate = deliveredRate_.Rate(now);
    return counts_;
}

void StreamStatistics::Reset() {
    platform::LockGuard guard(lock_);
    // Frames in flight (received, not yet delivered or lost) will be
    // counted as one or the other after the reset: they stay received, so
    // that the balance holds exactly once the acquisition stops.
    const std::uint64_t settled = counts_.delivered + counts_.Lost();
    const std::uint64_t inFlight = counts_.received > settled ? counts_.received - settled : 0;
    counts_ = StreamCounts{};
    counts_.received = inFlight;
    const std::uint64_t now = platform::MonotonicMicroseconds();
    receivedRate_.Reset(now);
    deliveredRate_.Reset(now);
    failedSinceFrame_ = false;
}

std::uint64_t StreamStatistics::LostSinceOpen() {
    platform::LockGuard guard(lock_);
    return lostSinceOpen_;
}

}  // namespace nodrix::core
