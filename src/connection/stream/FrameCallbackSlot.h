#pragma once
// The application's frame callback of one connection. Each call runs under
// the slot's lock, so removing or replacing the callback waits for a call
// in progress. The calling thread is marked for the call's duration, so
// that the connection can refuse what would otherwise wait for the very
// call it is made from.

#include <atomic>

#include "NodrixSdkEx.h"
#include "platform/RecursiveLock.h"

namespace nodrix::stream {

class FrameCallbackSlot {
public:
    // The rank of the lock in its owner's lock order (platform/LockRank.h).
    explicit FrameCallbackSlot(int lockRank = platform::kUnranked) : lock_(lockRank) {}
    // Installs (callback non-null) or removes the callback; handle is what
    // the callback is given as its first argument. Waits for a running call.
    void Set(int handle, NodrixExFrameCallback callback, void* user);
    bool Installed() const { return installed_.load(std::memory_order_acquire); }
    // Calls the installed callback, if any, with the frame.
    void Invoke(const NodrixExFrame& frame);
    // Whether the calling thread is inside a call of this slot's callback.
    bool CallingThreadIsInCallback() const;

private:
    platform::RecursiveLock lock_;
    int handle_ = 0;
    NodrixExFrameCallback callback_ = nullptr;
    void* user_ = nullptr;
    std::atomic<bool> installed_{false};
};

}  // namespace nodrix::stream
