// Stopping the frame reads from another thread: a flag the reads look at
// between tries and pieces, and an abort of the read that is pending, the
// same abort a read sends when its own time runs out.
#include "transport/CNodrixCy3.h"

namespace nodrix {

void CNodrixCy3::InterruptReads() {
    readsInterrupted_.store(true);
    interruption_.Set();
    // A read registers itself before it is queued and looks at the flag
    // after: either it sees the flag and aborts itself, or it is counted
    // here and aborted now. With no read in flight the pipe is left alone.
    if (readsInFlight_.load() == 0) return;
    platform::LockGuard guard(dataHandleLock_);
    const platform::DriverHandle handle = dataHandle_.load();
    if (handle != platform::kInvalidDriverHandle) AbortPipe(handle);
}

void CNodrixCy3::AllowReads() {
    interruption_.Reset();
    readsInterrupted_.store(false);
}

void CNodrixCy3::PauseBetweenTries(std::uint32_t ms) {
    interruption_.Wait(ms);
}

}  // namespace nodrix
