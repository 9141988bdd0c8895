#pragma once
// The one place where the connection meets the camera core: the core is
// held through CoreHandle, and CreateCameraCore makes the core object of
// this camera model. NODRIX_HAVE_CORE marks code that drives the core.

#include <memory>

#include "core/CNodrixU3T2Base.h"
#include "platform/DriverPort.h"

#define NODRIX_HAVE_CORE 1

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
