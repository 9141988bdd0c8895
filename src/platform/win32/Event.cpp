#include "platform/Event.h"

#include <windows.h>

#include "platform/Time.h"

namespace nodrix::platform {

struct Event::Impl {
    HANDLE handle = nullptr;
};

Event::Event(EventReset reset, bool initiallySet) : impl_(std::make_unique<Impl>()) {
    impl_->handle = CreateEventA(nullptr, reset == EventReset::Manual ? TRUE : FALSE,
                                 initiallySet ? TRUE : FALSE, nullptr);
}

Event::~Event() {
    if (impl_->handle) CloseHandle(impl_->handle);
}

void Event::Set() {
    if (impl_->handle) SetEvent(impl_->handle);
}

void Event::Reset() {
    if (impl_->handle) ResetEvent(impl_->handle);
}

bool Event::Wait(std::uint32_t timeoutMs) {
    if (!impl_->handle) return false;
    const DWORD wait = timeoutMs == kInfinite ? INFINITE : ScaledWaitMs(timeoutMs);
    return WaitForSingleObject(impl_->handle, wait) == WAIT_OBJECT_0;
}

}  // namespace nodrix::platform
