#pragma once
// An object per thread that uses it: made on the thread's first Get and
// destroyed when that thread ends. Use it instead of a thread_local object
// with a destructor. The Windows builds keep thread_local objects in
// emulated storage that their runtime frees at thread exit before it runs
// those objects' destructors, which then read freed memory and free
// whatever pointers they find there, corrupting the heap.
// thread_local objects that are trivially destructible are safe.

#include <cstdint>
#include <memory>

namespace nodrix::platform {

// What one thread holds in a slot; deleting it destroys the object.
struct ThreadValue {
    virtual ~ThreadValue() = default;
};

// One slot for a value per thread. A value is deleted when its thread ends;
// the values of threads still running when the slot is destroyed are
// deleted then (Windows) or when those threads end (POSIX).
class ThreadSlot {
public:
    ThreadSlot();
    ~ThreadSlot();
    ThreadSlot(const ThreadSlot&) = delete;
    ThreadSlot& operator=(const ThreadSlot&) = delete;

    // This thread's value; null before the thread's first Set.
    ThreadValue* Get() const;
    // Hands this thread's value to the slot (the thread must have none
    // yet). Throws std::bad_alloc, with the value deleted, when the system
    // has no room for it.
    void Set(std::unique_ptr<ThreadValue> value);

private:
    std::uint64_t key_;  // the system's slot index, or a process-wide serial number
};

template <typename T>
class ThreadLocal {
public:
    T& Get() {
        if (auto* held = static_cast<Held*>(slot_.Get())) return held->object;
        auto held = std::make_unique<Held>();
        T& object = held->object;
        slot_.Set(std::move(held));
        return object;
    }

private:
    struct Held final : ThreadValue {
        T object{};
    };
    ThreadSlot slot_;
};

}  // namespace nodrix::platform
