#pragma once
// Win32-style event objects: auto-reset (one waiter released per Set) or
// manual-reset (stays set and releases every waiter until Reset).

#include <cstdint>
#include <memory>

namespace nodrix::platform {

inline constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

enum class EventReset { Auto, Manual };

class Event {
public:
    Event(EventReset reset, bool initiallySet);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // True when the event was signalled within timeoutMs of library time
    // (kInfinite: no limit); an auto-reset event is consumed by the wait.
    bool Wait(std::uint32_t timeoutMs);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace nodrix::platform
