#include "platform/RecursiveLock.h"

namespace nodrix::platform {

struct RecursiveLock::Impl {
    std::recursive_mutex mutex;
};

RecursiveLock::RecursiveLock() : impl_(std::make_unique<Impl>()) {}
RecursiveLock::~RecursiveLock() = default;

void RecursiveLock::lock() { impl_->mutex.lock(); }
void RecursiveLock::unlock() { impl_->mutex.unlock(); }
bool RecursiveLock::try_lock() { return impl_->mutex.try_lock(); }

}  // namespace nodrix::platform
