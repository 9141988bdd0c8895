#pragma once
// A lock with the semantics of a Win32 critical section: the owning thread
// may enter it again. Always held through an RAII guard (LockGuard).

#include <memory>
#include <mutex>

namespace nodrix::platform {

class RecursiveLock {
public:
    RecursiveLock();
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
};

using LockGuard = std::lock_guard<RecursiveLock>;

}  // namespace nodrix::platform
