#pragma once
// A lock with the semantics of a Win32 critical section: the owning thread
// may enter it again. Always held through an RAII guard (LockGuard). A lock
// given a rank takes part in the order checked by debug builds
// (LockRank.h).

#include <memory>
#include <mutex>

#include "platform/LockRank.h"

namespace nodrix::platform {

class RecursiveLock {
public:
    explicit RecursiveLock(int rank = kUnranked);
    ~RecursiveLock();
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;

    // Lowercase names so that std::lock_guard / std::unique_lock accept it.
    void lock();
    void unlock();
    bool try_lock();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    int rank_;
};

using LockGuard = std::lock_guard<RecursiveLock>;

}  // namespace nodrix::platform
