#include "core/StreamStatistics.h"

#include <algorithm>

#include "platform/Time.h"

namespace nodrix::core {
namespace {

constexpr std::uint64_t kRateWindowUs = 1000000;
// A jump this large is no gap but a camera that started counting afresh
// (power-up, replug) or a number that repeated.
constexpr std::uint32_t kLargestGap = 0x10000;

}  // namespace

void RateMeter::Roll(std::uint64_t nowUs) {
    if (windowStartUs_ == 0) windowStartUs_ = nowUs;  // the first window opens
    const std::uint64_t elapsed = nowUs - windowStartUs_;
    if (elapsed < kRateWindowUs) return;
    rate_ = static_cast<double>(events_) * 1e6 / static_cast<double>(elapsed);
    events_ = 0;
    windowStartUs_ = nowUs;
    windowCompleted_ = true;
}

void RateMeter::Count(std::uint64_t nowUs) {
    Roll(nowUs);
    ++events_;
}

double RateMeter::Rate(std::uint64_t nowUs) {
    Roll(nowUs);
    if (windowCompleted_ || nowUs == windowStartUs_) return rate_;
    return static_cast<double>(events_) * 1e6 / static_cast<double>(nowUs - windowStartUs_);
}

void RateMeter::Reset(std::uint64_t nowUs) {
    windowStartUs_ = nowUs;
    events_ = 0;
    rate_ = 0.0;
    windowCompleted_ = false;
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
    counts_ = StreamCounts{};
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
