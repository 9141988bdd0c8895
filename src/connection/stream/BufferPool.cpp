#include "connection/stream/BufferPool.h"

#include <algorithm>
#include <chrono>
#include <new>

#include "NodrixSdk.h"
#include "platform/Time.h"

namespace nodrix::stream {

StreamBuffer* BufferPool::Find(int id) {
    for (const auto& buffer : buffers_) {
        if (buffer->id == id) return buffer.get();
    }
    return nullptr;
}

int BufferPool::Announce(void* memory, std::size_t bytes, void* user, int* id) {
    if (id == nullptr || bytes == 0) return NODRIX_ERROR_INVALID_ARGUMENT;
    auto buffer = std::make_unique<StreamBuffer>();
    if (memory == nullptr) {
        buffer->owned.reset(new (std::nothrow) std::uint8_t[bytes]);
        if (!buffer->owned) return NODRIX_ERROR_MEMORY;
        memory = buffer->owned.get();
    }
    buffer->memory = static_cast<std::uint8_t*>(memory);
    buffer->capacity = bytes;
    buffer->user = user;
    std::lock_guard<std::mutex> lock(mutex_);
    if (buffers_.size() >= static_cast<std::size_t>(kMaxBuffers)) {
        return NODRIX_ERROR_INVALID_ARGUMENT;
    }
    try {
        buffers_.reserve(buffers_.size() + 1);
        input_.Reserve(buffers_.size() + 1);
        output_.Reserve(buffers_.size() + 1);
    } catch (const std::bad_alloc&) {
        return NODRIX_ERROR_MEMORY;
    }
    // Identifiers are never reused, so a revoked one stays unknown.
    buffer->id = nextId_++;
    *id = buffer->id;
    buffers_.push_back(std::move(buffer));
    return 0;
}

int BufferPool::Revoke(int id, void** memory, void** user) {
    std::unique_ptr<StreamBuffer> gone;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = std::find_if(buffers_.begin(), buffers_.end(),
                                     [id](const auto& buffer) { return buffer->id == id; });
        if (it == buffers_.end()) return NODRIX_ERROR_INVALID_ARGUMENT;
        const BufferState state = (*it)->state;
        if (state != BufferState::kAnnounced && state != BufferState::kHandedOut) {
            return NODRIX_ERROR_NO_CORE;
        }
        gone = std::move(*it);
        buffers_.erase(it);
    }
    if (memory != nullptr) *memory = gone->owned ? nullptr : gone->memory;
    if (user != nullptr) *user = gone->user;
    return 0;  // memory the library allocated goes with gone
}

int BufferPool::Queue(int id) {
    std::lock_guard<std::mutex> lock(mutex_);
    StreamBuffer* buffer = Find(id);
    if (buffer == nullptr) return NODRIX_ERROR_INVALID_ARGUMENT;
    if (buffer->state != BufferState::kAnnounced && buffer->state != BufferState::kHandedOut) {
        return NODRIX_ERROR_INVALID_ARGUMENT;
    }
    if (running_ && buffer->capacity < layout_.FrameBytes()) return NODRIX_ERROR_MEMORY;
    buffer->state = BufferState::kQueued;
    input_.push_back(buffer);
    return 0;
}

bool BufferPool::AllHold(std::size_t frameBytes) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::all_of(buffers_.begin(), buffers_.end(),
                       [frameBytes](const auto& buffer) { return buffer->capacity >= frameBytes; });
}

void BufferPool::Start(const StreamLayout& layout, int flags) {
    std::lock_guard<std::mutex> lock(mutex_);
    layout_ = layout;
    flags_ = flags;
    running_ = true;
    cameraLost_ = false;
    ++runs_;
    changed_.notify_all();
}

std::uint64_t BufferPool::Stop(bool cameraLost) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::uint64_t unclaimed = output_.size();
    for (const auto& buffer : buffers_) {
        if (buffer->state != BufferState::kHandedOut) buffer->state = BufferState::kAnnounced;
    }
    input_.clear();
    output_.clear();
    running_ = false;
    cameraLost_ = cameraLost;
    ++runs_;
    changed_.notify_all();
    return unclaimed;
}

void BufferPool::Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    changed_.notify_all();
}

bool BufferPool::Running() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return running_;
}

int BufferPool::Flags() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return flags_;
}

StreamBuffer* BufferPool::TakeEmpty(bool* recycled) {
    std::lock_guard<std::mutex> lock(mutex_);
    *recycled = false;
    if (!running_) return nullptr;
    StreamBuffer* buffer = nullptr;
    if (!input_.empty()) {
        buffer = input_.front();
        input_.pop_front();
    } else if ((flags_ & NODRIXEX_STREAM_RECYCLE_OLDEST) != 0 && !output_.empty()) {
        buffer = output_.front();
        output_.pop_front();
        *recycled = true;
    }
    if (buffer != nullptr) buffer->state = BufferState::kFilling;
    return buffer;
}

void BufferPool::GiveBack(StreamBuffer* buffer) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (buffer->state != BufferState::kFilling) return;  // a stop took it back already
    buffer->state = BufferState::kQueued;
    input_.push_front(buffer);
}

void BufferPool::Publish(StreamBuffer* buffer) {
    bool waiting = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (buffer->state != BufferState::kFilling) return;
        buffer->state = BufferState::kFilled;
        output_.push_back(buffer);
        waiting = waiters_ > 0;
    }
    // Woken after the unlock, the waiter finds the mutex free instead of
    // going back to sleep on it until this thread lets go; with no waiter
    // there is no one to wake. A wait that begins after the unlock sees the
    // buffer before it sleeps.
    if (waiting) changed_.notify_one();
}

void BufferPool::HandOut(StreamBuffer& buffer, NodrixExStreamBuffer* out, HandOutNote* note) {
    buffer.state = BufferState::kHandedOut;
    NodrixExStreamBuffer& b = *out;
    b.id = buffer.id;
    b.pixels = buffer.memory;
    b.user = buffer.user;
    b.capacity = buffer.capacity;
    b.bytes = layout_.FrameBytes();
    b.width = layout_.width;
    b.height = layout_.height;
    b.bitsPerPixel = layout_.bitsPerPixel;
    b.stride = layout_.stride;
    b.metadata = buffer.metadata;
    note->lostMark = buffer.lostMark;
    note->cameraValuesSet = buffer.cameraValuesSet;
}

int BufferPool::Wait(int timeoutMs, NodrixExStreamBuffer* out, HandOutNote* note) {
    std::unique_lock<std::mutex> lock(mutex_);
    const std::uint64_t runs = runs_;
    const std::uint64_t cancels = cancels_;
    const auto deadline =
        std::chrono::steady_clock::now() +
        std::chrono::milliseconds(
            timeoutMs > 0 ? platform::ScaledWaitMs(static_cast<std::uint32_t>(timeoutMs)) : 0);
    for (;;) {
        if (released_) return kWaitStopped;
        if (cancelSticky_ || cancels_ != cancels) return kWaitCancelled;
        if (runs_ != runs) return cameraLost_ ? kWaitFailed : kWaitStopped;
        if (!output_.empty()) {
            StreamBuffer* buffer = output_.front();
            output_.pop_front();
            HandOut(*buffer, out, note);
            return kWaitBuffer;
        }
        if (cameraLost_) return kWaitFailed;
        if (!running_) return kWaitStopped;
        if (timeoutMs == 0) return kWaitTimeout;
        ++waiters_;
        const std::cv_status status = timeoutMs < 0
                                          ? (changed_.wait(lock), std::cv_status::no_timeout)
                                          : changed_.wait_until(lock, deadline);
        --waiters_;
        if (status == std::cv_status::timeout) {
            // One more look: a frame published just at the deadline.
            if (!output_.empty() && runs_ == runs && cancels_ == cancels && !cancelSticky_ &&
                !released_) {
                continue;
            }
            if (runs_ == runs && cancels_ == cancels && !cancelSticky_ && !released_) {
                return kWaitTimeout;
            }
        }
    }
}

void BufferPool::CancelWaits(bool sticky) {
    std::lock_guard<std::mutex> lock(mutex_);
    cancelSticky_ = sticky;
    ++cancels_;
    changed_.notify_all();
}

void BufferPool::FillInfo(NodrixExStreamInfo* info) const {
    std::lock_guard<std::mutex> lock(mutex_);
    info->running = running_ ? 1 : 0;
    info->announced = static_cast<int>(buffers_.size());
    int queued = 0;
    int filled = 0;
    for (const auto& buffer : buffers_) {
        if (buffer->state == BufferState::kQueued || buffer->state == BufferState::kFilling) {
            ++queued;
        }
        if (buffer->state == BufferState::kFilled) ++filled;
    }
    info->queued = queued;
    info->filled = filled;
    info->flags = running_ ? flags_ : 0;
}

}  // namespace nodrix::stream
