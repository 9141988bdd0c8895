#include "platform/SharedMemory.h"

#include <windows.h>

namespace nodrix::platform {

struct SharedMemory::Impl {
    HANDLE mapping = nullptr;
    std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

SharedMemory::SharedMemory() : impl_(std::make_unique<Impl>()) {}

SharedMemory::~SharedMemory() { Close(); }

bool SharedMemory::OpenOrCreate(const std::string& name, std::size_t size, bool* existed) {
    Close();
    if (size == 0) return false;
    // Pagefile-backed and zero-filled when new; the same call opens the
    // block another process made.
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        static_cast<DWORD>(size), name.c_str());
    const bool alreadyExisted = mapping && GetLastError() == ERROR_ALREADY_EXISTS;
    if (!mapping) mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    if (!mapping) return false;
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size);
    if (!view) {
        CloseHandle(mapping);
        return false;
    }
    impl_->mapping = mapping;
    impl_->data = static_cast<std::uint8_t*>(view);
    impl_->size = size;
    if (existed) *existed = alreadyExisted;
    return true;
}

void SharedMemory::Close() {
    if (impl_->data) UnmapViewOfFile(impl_->data);
    if (impl_->mapping) CloseHandle(impl_->mapping);
    impl_->data = nullptr;
    impl_->mapping = nullptr;
    impl_->size = 0;
}

std::uint8_t* SharedMemory::Data() const { return impl_->data; }

std::size_t SharedMemory::Size() const { return impl_->size; }

struct NamedMutex::Impl {
    HANDLE handle = nullptr;
};

NamedMutex::NamedMutex() : impl_(std::make_unique<Impl>()) {}

NamedMutex::~NamedMutex() {
    if (impl_->handle) CloseHandle(impl_->handle);
}

bool NamedMutex::Open(const std::string& name) {
    if (impl_->handle) CloseHandle(impl_->handle);
    impl_->handle = CreateMutexA(nullptr, FALSE, name.c_str());
    return impl_->handle != nullptr;
}

void NamedMutex::lock() {
    // WAIT_ABANDONED: the owner died holding it; the mutex is ours now.
    if (impl_->handle) WaitForSingleObject(impl_->handle, INFINITE);
}

void NamedMutex::unlock() {
    if (impl_->handle) ReleaseMutex(impl_->handle);
}

}  // namespace nodrix::platform
