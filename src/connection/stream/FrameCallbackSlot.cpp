#include "connection/stream/FrameCallbackSlot.h"

namespace nodrix::stream {
namespace {

// The slot whose callback the current thread is running, if any.
thread_local const FrameCallbackSlot* t_runningSlot = nullptr;

// Marks the thread for one call; nested calls (a callback of one connection
// that makes another connection deliver) restore the outer mark.
class RunningMark {
public:
    explicit RunningMark(const FrameCallbackSlot* slot) : previous_(t_runningSlot) {
        t_runningSlot = slot;
    }
    ~RunningMark() { t_runningSlot = previous_; }
    RunningMark(const RunningMark&) = delete;
    RunningMark& operator=(const RunningMark&) = delete;

private:
    const FrameCallbackSlot* previous_;
};

}  // namespace

void FrameCallbackSlot::Set(int handle, NodrixExFrameCallback callback, void* user) {
    platform::LockGuard guard(lock_);
    handle_ = handle;
    callback_ = callback;
    user_ = user;
    installed_.store(callback != nullptr, std::memory_order_release);
}

void FrameCallbackSlot::Invoke(const NodrixExFrame& frame) {
    if (!Installed()) return;
    platform::LockGuard guard(lock_);
    if (callback_ == nullptr) return;
    RunningMark mark(this);
    // A C++ application's callback may throw; the worker goes on with the
    // next frame rather than ending the process.
    try {
        callback_(handle_, &frame, user_);
    } catch (...) {
    }
}

bool FrameCallbackSlot::CallingThreadIsInCallback() const {
    return t_runningSlot == this;
}

}  // namespace nodrix::stream
