#pragma once
// A thread with a Win32 priority. The body is stopped by a flag of its
// owner; Join waits for it to end. Destroying a running Thread joins it.

#include <functional>
#include <memory>

namespace nodrix::platform {

enum class ThreadPriority { Normal, AboveNormal, Highest, TimeCritical };

class Thread {
public:
    Thread();
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts body on a new thread. Fails when a thread is already running.
    bool Start(std::function<void()> body, ThreadPriority priority = ThreadPriority::Normal);
    bool Running() const;
    // Waits for the body to return. Safe to call when nothing runs, and from
    // the thread itself (then it detaches instead of deadlocking).
    void Join();
    bool IsCurrentThread() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace nodrix::platform
