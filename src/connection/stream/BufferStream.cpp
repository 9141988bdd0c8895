#include "connection/stream/BufferStream.h"

#include <new>

#include "core/StreamStatistics.h"

namespace nodrix::stream {
namespace {

// Raw buffers of the conversion: enough for the camera to go on while one
// frame converts and one waits.
constexpr int kRawBuffers = 3;

}  // namespace

BufferStream::BufferStream(StreamHost& host, BufferPool& pool) : host_(host), pool_(pool) {}

BufferStream::~BufferStream() {
    Stop();
}

bool BufferStream::Start(const StreamPlan& plan) {
    plan_ = plan;
    current_ = nullptr;
    currentRaw_ = -1;
    lastLostMark_ = plan.lostMarkAtStart;
    pending_.assign(static_cast<std::size_t>(kMaxBuffers) + 1, Pending{});
    pendingHead_ = 0;
    pendingCount_ = 0;
    raw_.clear();
    freeRaw_.clear();
    if (!plan.zeroCopy) {
        for (int i = 0; i < kRawBuffers; ++i) {
            raw_.emplace_back(new (std::nothrow) std::uint8_t[plan.rawBytes]);
            if (!raw_.back()) return false;
            freeRaw_.push_back(i);
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = false;
        lost_ = false;
        delivering_ = false;
    }
    pool_.Start(plan.layout, plan.flags);
    thread_ = std::make_unique<platform::Thread>();
    if (!thread_->Start([this] { ThreadMain(); })) {
        thread_.reset();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        pool_.Stop(false);
        return false;
    }
    return true;
}

void BufferStream::Stop() {
    if (!thread_) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
        wake_.notify_all();
        drained_.notify_all();
    }
    thread_->Join();
    thread_.reset();
    // Frames converted or waiting when the stream stopped never reach the
    // application, nor do the filled buffers no one waited for.
    std::uint64_t unclaimed = pendingCount_;
    pendingCount_ = 0;
    unclaimed += pool_.Stop(false);
    host_.Statistics().Overwritten(unclaimed);
    raw_.clear();
    freeRaw_.clear();
}

std::uint8_t* BufferStream::NextDestination(std::size_t payloadBytes, std::size_t* capacity,
                                            bool* behind) {
    bool recycled = false;
    StreamBuffer* buffer = pool_.TakeEmpty(&recycled);
    // The frame the recycled buffer held is given up for the new one.
    if (recycled) host_.Statistics().NoBuffer(1);
    if (buffer == nullptr) return nullptr;
    if (plan_.zeroCopy) {
        current_ = buffer;
        *capacity = buffer->capacity;
        return buffer->memory;
    }
    int raw = -1;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!freeRaw_.empty()) {
            raw = freeRaw_.back();
            freeRaw_.pop_back();
        }
    }
    if (raw < 0 || plan_.rawBytes < payloadBytes) {
        // The conversion is behind by all its raw buffers: this frame
        // cannot be taken, though an empty buffer was queued for it.
        *behind = raw < 0;
        if (raw >= 0) {
            std::lock_guard<std::mutex> lock(mutex_);
            freeRaw_.push_back(raw);
        }
        pool_.GiveBack(buffer);
        return nullptr;
    }
    current_ = buffer;
    currentRaw_ = raw;
    *capacity = plan_.rawBytes;
    return raw_[static_cast<std::size_t>(raw)].get();
}

void BufferStream::Stamp(StreamBuffer& buffer, std::uint32_t frameNumber,
                         std::uint64_t completedUs) {
    buffer.metadata = plan_.stamp;
    buffer.metadata.frameNumber = frameNumber;
    buffer.metadata.timestampUs = completedUs;
    buffer.lostMark = host_.Statistics().LostSinceOpen();
    // Counted from the frame completed before: what the hand-out counts
    // from the frame handed out before, as long as each completed frame is
    // handed out. The frame callback sees it so.
    buffer.metadata.lostBefore = core::TakeLostSince(buffer.lostMark, lastLostMark_);
    buffer.cameraValuesSet = false;
}

void BufferStream::FrameRead(std::uint8_t* /*destination*/, bool whole, std::uint32_t frameNumber,
                             std::uint64_t completedUs) {
    StreamBuffer* buffer = current_;
    const int raw = currentRaw_;
    current_ = nullptr;
    currentRaw_ = -1;
    if (buffer == nullptr) return;
    if (!whole) {
        if (raw >= 0) {
            std::lock_guard<std::mutex> lock(mutex_);
            freeRaw_.push_back(raw);
        }
        pool_.GiveBack(buffer);
        return;
    }
    Stamp(*buffer, frameNumber, completedUs);
    // The common case wakes the waiting thread and nothing else.
    if (raw < 0 && !host_.FrameCallbackInstalled()) {
        pool_.Publish(buffer);
        return;
    }
    PushPending(Pending{buffer, raw});
}

bool BufferStream::PushPending(const Pending& pending) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (pendingCount_ == pending_.size()) return false;  // cannot be: a buffer each
    pending_[(pendingHead_ + pendingCount_) % pending_.size()] = pending;
    ++pendingCount_;
    wake_.notify_one();
    return true;
}

void BufferStream::AcquisitionEnded(bool failed) {
    if (!failed) return;
    std::lock_guard<std::mutex> lock(mutex_);
    lost_ = true;
    wake_.notify_one();
}

void BufferStream::Drain() {
    std::unique_lock<std::mutex> lock(mutex_);
    ++drainers_;
    drained_.wait(lock, [this] { return stop_ || (pendingCount_ == 0 && !delivering_); });
    --drainers_;
}

bool BufferStream::CanResume(const StreamPlan& plan) const {
    const StreamLayout& now = plan_.layout;
    const StreamLayout& next = plan.layout;
    return next.width == now.width && next.height == now.height &&
           next.bitsPerPixel == now.bitsPerPixel && next.stride == now.stride &&
           plan.zeroCopy == plan_.zeroCopy && plan.flags == plan_.flags &&
           plan.rawBytes <= plan_.rawBytes;
}

void BufferStream::Resume(const StreamPlan& plan) {
    // Only the acquisition thread reads the stamp, and it has not started.
    plan_.stamp = plan.stamp;
}

void BufferStream::ThreadMain() {
    for (;;) {
        Pending next;
        bool lost = false;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            delivering_ = false;
            if (drainers_ > 0 && pendingCount_ == 0) drained_.notify_all();
            wake_.wait(lock, [this] { return stop_ || lost_ || pendingCount_ > 0; });
            if (stop_) return;
            if (pendingCount_ > 0) {
                next = pending_[pendingHead_];
                pendingHead_ = (pendingHead_ + 1) % pending_.size();
                --pendingCount_;
                delivering_ = true;
            } else {
                lost = true;
                lost_ = false;
            }
        }
        if (lost) {
            // Every frame read before the camera went is out; the buffers
            // go back to the application and the waiters hear of the loss.
            host_.Statistics().Overwritten(pool_.Stop(true));
            host_.StreamLost();
            continue;
        }
        Deliver(next);
    }
}

void BufferStream::Deliver(const Pending& pending) {
    StreamBuffer& buffer = *pending.buffer;
    if (pending.raw >= 0) {
        const bool converted = host_.ConvertFrame(raw_[static_cast<std::size_t>(pending.raw)].get(),
                                                  buffer.memory, buffer.metadata);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            freeRaw_.push_back(pending.raw);
        }
        if (!converted) {
            host_.Statistics().Overwritten(1);
            pool_.GiveBack(&buffer);
            return;
        }
    }
    if (host_.FrameCallbackInstalled()) {
        host_.StampCameraValues(buffer.metadata);
        buffer.cameraValuesSet = true;
        NodrixExFrame view = {};
        view.size = sizeof view;
        view.width = plan_.layout.width;
        view.height = plan_.layout.height;
        view.bitsPerPixel = plan_.layout.bitsPerPixel;
        view.stride = plan_.layout.stride;
        view.topRowFirst = 1;
        view.pixels = buffer.memory;
        view.bytes = plan_.layout.FrameBytes();
        view.metadata = buffer.metadata;
        host_.CallFrameCallback(view);
    }
    pool_.Publish(&buffer);
}

}  // namespace nodrix::stream
