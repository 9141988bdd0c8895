#include "platform/RecursiveLock.h"

namespace nodrix::platform {

struct RecursiveLock::Impl {
    std::recursive_mutex mutex;
};

RecursiveLock::RecursiveLock(int rank) : impl_(std::make_unique<Impl>()), rank_(rank) {}
RecursiveLock::~RecursiveLock() = default;

void RecursiveLock::lock() {
    LockOrderEntering(this, rank_);
    impl_->mutex.lock();
    LockOrderEntered(this, rank_);
}

void RecursiveLock::unlock() {
    impl_->mutex.unlock();
    LockOrderLeft(this, rank_);
}

bool RecursiveLock::try_lock() {
    // A lock that is only tried cannot wait for another: no order to keep.
    if (!impl_->mutex.try_lock()) return false;
    LockOrderEntered(this, rank_);
    return true;
}

}  // namespace nodrix::platform
