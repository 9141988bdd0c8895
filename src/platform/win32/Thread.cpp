#include "platform/Thread.h"

#include <windows.h>

#include <atomic>

namespace nodrix::platform {
namespace {

// What the thread itself touches: it may outlive the Thread object when the
// body destroys its own owner.
struct SharedState {
    std::atomic<bool> running{false};
    std::function<void()> body;
};

DWORD WINAPI ThreadEntry(void* parameter) {
    auto* held = static_cast<std::shared_ptr<SharedState>*>(parameter);
    std::shared_ptr<SharedState> state = std::move(*held);
    delete held;
    state->body();
    state->body = nullptr;
    state->running.store(false);
    return 0;
}

int Win32Priority(ThreadPriority priority) {
    switch (priority) {
        case ThreadPriority::AboveNormal: return THREAD_PRIORITY_ABOVE_NORMAL;
        case ThreadPriority::Highest: return THREAD_PRIORITY_HIGHEST;
        case ThreadPriority::TimeCritical: return THREAD_PRIORITY_TIME_CRITICAL;
        case ThreadPriority::Normal: break;
    }
    return THREAD_PRIORITY_NORMAL;
}

}  // namespace

struct Thread::Impl {
    HANDLE handle = nullptr;
    DWORD id = 0;
    std::shared_ptr<SharedState> state;
};

Thread::Thread() : impl_(std::make_unique<Impl>()) {}

Thread::~Thread() { Join(); }

bool Thread::Start(std::function<void()> body, ThreadPriority priority) {
    if (Running()) return false;
    Join();  // reap a body that has already returned
    auto state = std::make_shared<SharedState>();
    state->body = std::move(body);
    state->running.store(true);
    auto* held = new std::shared_ptr<SharedState>(state);
    DWORD id = 0;
    // Suspended, so that the priority holds from the body's first instruction.
    HANDLE handle = CreateThread(nullptr, 0, ThreadEntry, held, CREATE_SUSPENDED, &id);
    if (!handle) {
        delete held;
        return false;
    }
    SetThreadPriority(handle, Win32Priority(priority));
    impl_->handle = handle;
    impl_->id = id;
    impl_->state = state;
    ResumeThread(handle);
    return true;
}

bool Thread::Running() const { return impl_->state && impl_->state->running.load(); }

void Thread::Join() {
    if (!impl_->handle) return;
    if (!IsCurrentThread()) WaitForSingleObject(impl_->handle, INFINITE);
    CloseHandle(impl_->handle);
    impl_->handle = nullptr;
    impl_->id = 0;
}

bool Thread::IsCurrentThread() const {
    return impl_->handle && impl_->id == GetCurrentThreadId();
}

}  // namespace nodrix::platform
