#include "platform/Event.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/Time.h"

namespace nodrix::platform {

struct Event::Impl {
    std::mutex mutex;
    std::condition_variable signalled;
    bool manual = false;
    bool set = false;
};

Event::Event(EventReset reset, bool initiallySet) : impl_(std::make_unique<Impl>()) {
    impl_->manual = reset == EventReset::Manual;
    impl_->set = initiallySet;
}

Event::~Event() = default;

void Event::Set() {
    std::lock_guard<std::mutex> guard(impl_->mutex);
    impl_->set = true;
    if (impl_->manual) {
        impl_->signalled.notify_all();
    } else {
        impl_->signalled.notify_one();
    }
}

void Event::Reset() {
    std::lock_guard<std::mutex> guard(impl_->mutex);
    impl_->set = false;
}

bool Event::Wait(std::uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(impl_->mutex);
    const auto isSet = [this] { return impl_->set; };
    if (timeoutMs == kInfinite) {
        impl_->signalled.wait(lock, isSet);
    } else {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(ScaledWaitMs(timeoutMs));
        if (!impl_->signalled.wait_until(lock, deadline, isSet)) return false;
    }
    if (!impl_->manual) impl_->set = false;
    return true;
}

}  // namespace nodrix::platform
