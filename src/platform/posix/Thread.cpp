#include "platform/Thread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace nodrix::platform {
namespace {

// What the thread itself touches: it may outlive the Thread object when the
// body destroys its own owner.
struct SharedState {
    std::atomic<bool> running{false};
    std::atomic<std::thread::id> id{};
};

// Raising a thread above the default needs privileges most users lack;
// the thread runs at normal priority then.
void ApplyPriority(ThreadPriority priority) {
    int nice = 0;
    switch (priority) {
        case ThreadPriority::Normal: return;
        case ThreadPriority::AboveNormal: nice = -5; break;
        case ThreadPriority::Highest: nice = -10; break;
        case ThreadPriority::TimeCritical: nice = -15; break;
    }
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    (void)setpriority(PRIO_PROCESS, tid, nice);
}

}  // namespace

struct Thread::Impl {
    std::thread thread;
    std::shared_ptr<SharedState> state;
};

Thread::Thread() : impl_(std::make_unique<Impl>()) {}

Thread::~Thread() { Join(); }

bool Thread::Start(std::function<void()> body, ThreadPriority priority) {
    if (Running()) return false;
    Join();  // reap a body that has already returned
    auto state = std::make_shared<SharedState>();
    state->running.store(true);
    impl_->state = state;
    try {
        impl_->thread = std::thread([state, priority, body = std::move(body)] {
            state->id.store(std::this_thread::get_id());
            ApplyPriority(priority);
            body();
            state->running.store(false);
        });
    } catch (...) {
        state->running.store(false);
        return false;
    }
    state->id.store(impl_->thread.get_id());
    return true;
}

bool Thread::Running() const { return impl_->state && impl_->state->running.load(); }

void Thread::Join() {
    if (!impl_->thread.joinable()) return;
    if (IsCurrentThread()) {
        impl_->thread.detach();
    } else {
        impl_->thread.join();
    }
}

bool Thread::IsCurrentThread() const {
    return impl_->state && impl_->state->id.load() == std::this_thread::get_id();
}

}  // namespace nodrix::platform
