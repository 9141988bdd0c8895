#include "platform/ThreadLocal.h"

#include <atomic>
#include <utility>
#include <vector>

namespace nodrix::platform {
namespace {

// Native thread-local storage destroys these as each thread ends.
thread_local std::vector<std::pair<std::uint64_t, std::unique_ptr<ThreadValue>>> t_values;

std::atomic<std::uint64_t> g_nextKey{1};

}  // namespace

ThreadSlot::ThreadSlot() : key_(g_nextKey.fetch_add(1)) {}

// Keys are never reused, so values left by running threads are never found
// by a later slot; they go with their threads.
ThreadSlot::~ThreadSlot() = default;

ThreadValue* ThreadSlot::Get() const {
    for (const auto& [key, value] : t_values) {
        if (key == key_) return value.get();
    }
    return nullptr;
}

void ThreadSlot::Set(std::unique_ptr<ThreadValue> value) {
    t_values.emplace_back(key_, std::move(value));
}

}  // namespace nodrix::platform
