#pragma once
// The connection's live image parameter block as a dialog sees it: every
// read and write holds the lock under which the worker converts a frame, so
// a frame is converted with the values before or after a change, never
// while one is half made.

#include "pipeline/ParameterBlocks.h"
#include "platform/RecursiveLock.h"

namespace nodrix::settings {

class LiveImageBlock {
public:
    // Without a lock for a block nobody else uses.
    explicit LiveImageBlock(ImageParameters* block, platform::RecursiveLock* lock = nullptr)
        : block_(block), lock_(lock) {}

    // Runs access on the block under the lock and returns its result.
    template <typename Access>
    auto With(Access&& access) const {
        if (lock_ == nullptr) return access(*block_);
        platform::LockGuard guard(*lock_);
        return access(*block_);
    }

private:
    ImageParameters* block_;
    platform::RecursiveLock* lock_;
};

}  // namespace nodrix::settings
