#include "platform/DeviceLock.h"

#include <windows.h>

#include <cctype>
#include <string>

namespace nodrix::platform {

namespace {

// A named object exists while any process holds a handle to it, and the
// system closes the handles of a process that ends: its existence is the
// lock, with no ownership to hand between threads.
class NamedObjectLock final : public DeviceLock {
public:
    explicit NamedObjectLock(HANDLE handle) : handle_(handle) {}
    ~NamedObjectLock() override { CloseHandle(handle_); }
    NamedObjectLock(const NamedObjectLock&) = delete;
    NamedObjectLock& operator=(const NamedObjectLock&) = delete;

private:
    HANDLE handle_;
};

// Local\NodrixCamera.<path>, the backslashes of the path (not allowed in an
// object name) as '_'.
std::string ObjectName(const char* path) {
    std::string name = "Local\\NodrixCamera.";
    for (; *path != '\0'; ++path) name += *path == '\\' ? '_' : *path;
    return name;
}

}  // namespace

std::unique_ptr<DeviceLock> LockDeviceAcrossProcesses(const char* path) {
    if (path == nullptr) return std::make_unique<DeviceLock>();
    HANDLE handle = CreateMutexA(nullptr, FALSE, ObjectName(path).c_str());
    if (handle == nullptr) return std::make_unique<DeviceLock>();
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(handle);
        return nullptr;
    }
    return std::make_unique<NamedObjectLock>(handle);
}

}  // namespace nodrix::platform
