#pragma once
// The one place where the connection meets the camera core. The core is
// held through CoreHandle; NODRIX_HAVE_CORE tells whether the core's
// interface is part of this build, and CreateCameraCore makes the core
// object the connection drives (null while none is built in).

#include <memory>

#include "platform/DriverPort.h"

#if __has_include("core/CNodrixU3T2Base.h")
#include "core/CNodrixU3T2Base.h"
#define NODRIX_HAVE_CORE 1
#else
#define NODRIX_HAVE_CORE 0
namespace nodrix {
class CNodrixU3T2Base;
}  // namespace nodrix
#endif

namespace nodrix {

struct CoreDeleter {
    void operator()(CNodrixU3T2Base* core) const;
};
using CoreHandle = std::unique_ptr<CNodrixU3T2Base, CoreDeleter>;

// The core object of this camera model, or null when it cannot be made.
CoreHandle CreateCameraCore();
// Whether this build can make a core at all. Without one, initialisation
// leaves the connection without a camera instead of reporting a failure.
bool CameraCoreBuiltIn();

// This camera model's product identifier as the connection sets it.
inline constexpr int kConnectionProductId = 0x33B0;
// The device interface class of the camera's kernel driver.
inline constexpr platform::Guid kCameraInterfaceClass = {
    0x328184C5, 0x93E6, 0x49B7, {0x94, 0xB8, 0x2A, 0xDA, 0x13, 0xAA, 0xBB, 0x39}};

}  // namespace nodrix
