#pragma once
// The one place where the connection meets the camera core: how it holds
// the core and which core it makes.

#include <memory>

#include "catalogue/CameraCatalogue.h"
#include "core/CNodrixU3T2Base.h"
#include "platform/DriverPort.h"

namespace nodrix {

using CoreHandle = std::unique_ptr<CNodrixU3T2Base>;

// The core object of this camera model, or null when it cannot be made.
CoreHandle CreateCameraCore();

// This camera model's product identifier as the connection sets it.
inline constexpr int kConnectionProductId = catalogue::kConnectionProductId;
// The device interface class of the camera's kernel driver.
inline constexpr platform::Guid kCameraInterfaceClass = {
    0x328184C5, 0x93E6, 0x49B7, {0x94, 0xB8, 0x2A, 0xDA, 0x13, 0xAA, 0xBB, 0x39}};

}  // namespace nodrix
