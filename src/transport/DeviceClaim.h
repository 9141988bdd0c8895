#pragma once
// A camera taken by one connection. While the claim lives no other
// connection of the process can claim the same device, and, through the
// driver port's lock, no other process either: a second user would share
// the device and break the first one's stream.
#include <memory>
#include <string>

#include "platform/DriverPort.h"

namespace nodrix::transport {

class DeviceClaim {
public:
    // The claim of the device at path, or nullptr when another connection
    // or process holds it.
    static std::unique_ptr<DeviceClaim> Take(platform::DriverPort& port, const std::string& path);
    ~DeviceClaim();
    DeviceClaim(const DeviceClaim&) = delete;
    DeviceClaim& operator=(const DeviceClaim&) = delete;

    const std::string& Path() const { return path_; }

private:
    DeviceClaim(std::string path, std::unique_ptr<platform::DeviceLock> lock);
    std::string path_;
    std::unique_ptr<platform::DeviceLock> lock_;
};

}  // namespace nodrix::transport
