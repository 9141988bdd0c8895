#include "platform/ThreadLocal.h"

#include <windows.h>

#include <new>

namespace nodrix::platform {
namespace {

// Fiber-local storage runs this as each thread ends (before the runtime
// tears down its emulated thread-local storage) and, for every thread
// still holding a value, when the slot is freed.
void WINAPI DeleteValue(void* value) {
    delete static_cast<ThreadValue*>(value);
}

}  // namespace

ThreadSlot::ThreadSlot() : key_(FlsAlloc(DeleteValue)) {}

ThreadSlot::~ThreadSlot() {
    if (key_ != FLS_OUT_OF_INDEXES) FlsFree(static_cast<DWORD>(key_));
    key_ = FLS_OUT_OF_INDEXES;
}

ThreadValue* ThreadSlot::Get() const {
    if (key_ == FLS_OUT_OF_INDEXES) return nullptr;
    return static_cast<ThreadValue*>(FlsGetValue(static_cast<DWORD>(key_)));
}

void ThreadSlot::Set(std::unique_ptr<ThreadValue> value) {
    if (key_ == FLS_OUT_OF_INDEXES || !FlsSetValue(static_cast<DWORD>(key_), value.get())) {
        throw std::bad_alloc();
    }
    value.release();
}

}  // namespace nodrix::platform
