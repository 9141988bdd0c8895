#pragma once
// An advisory lock per camera between processes: a camera one process has
// selected is refused to another, which would otherwise share the device
// (it is opened with sharing) and corrupt the first one's stream.
#include <memory>

namespace nodrix::platform {

class DeviceLock {
public:
    virtual ~DeviceLock() = default;
};

// Locks the camera at this device path for the calling process until the
// lock is destroyed; nullptr when another process holds it. Locks are seen
// by every process of the machine natively (NODRIX_OBJECT_NAMESPACE gives a
// group of processes locks of their own) and of the session on Windows.
// Where no lock can be made at all (no place for it), one that excludes
// nobody is granted: the lock only protects, it never stops a camera from
// working.
std::unique_ptr<DeviceLock> LockDeviceAcrossProcesses(const char* path);

}  // namespace nodrix::platform
