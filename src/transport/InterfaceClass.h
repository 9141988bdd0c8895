#pragma once
// The device interface class under which the controller's driver exposes
// every camera: {328184C5-93E6-49B7-94B8-2ADA13AABB39}.

#include "platform/DriverPort.h"

namespace nodrix::transport {

inline constexpr platform::Guid kCameraInterfaceClass = {
    0x328184C5u, 0x93E6u, 0x49B7u, {0x94, 0xB8, 0x2A, 0xDA, 0x13, 0xAA, 0xBB, 0x39}};

}  // namespace nodrix::transport
