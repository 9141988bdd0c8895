#pragma once
// Named memory shared between processes (a pagefile-backed file mapping on
// Windows, shm_open natively), and a named mutex to guard it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace nodrix::platform {

class SharedMemory {
public:
    SharedMemory();
    ~SharedMemory();
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    // Opens the block of that name, or creates it zero-filled with size
    // bytes. existed tells which happened.
    bool OpenOrCreate(const std::string& name, std::size_t size, bool* existed);
    void Close();
    std::uint8_t* Data() const;
    std::size_t Size() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

class NamedMutex {
public:
    NamedMutex();
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    bool Open(const std::string& name);
    // lock/unlock for std::lock_guard. A mutex abandoned by a dead process
    // is taken over.
    void lock();
    void unlock();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace nodrix::platform
