#include "platform/RecursiveLock.h"

#include <windows.h>

namespace nodrix::platform {

struct RecursiveLock::Impl {
    CRITICAL_SECTION section;
};

RecursiveLock::RecursiveLock(int rank) : impl_(std::make_unique<Impl>()), rank_(rank) {
    InitializeCriticalSection(&impl_->section);
}

RecursiveLock::~RecursiveLock() {
    DeleteCriticalSection(&impl_->section);
}

void RecursiveLock::lock() {
    LockOrderEntering(this, rank_);
    EnterCriticalSection(&impl_->section);
    LockOrderEntered(this, rank_);
}

void RecursiveLock::unlock() {
    LeaveCriticalSection(&impl_->section);
    LockOrderLeft(this, rank_);
}

bool RecursiveLock::try_lock() {
    // A lock that is only tried cannot wait for another: no order to keep.
    if (TryEnterCriticalSection(&impl_->section) == FALSE) return false;
    LockOrderEntered(this, rank_);
    return true;
}

}  // namespace nodrix::platform
