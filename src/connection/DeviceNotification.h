#pragma once
// Device-interface arrival and removal notifications for the application's
// recipient window, for the camera's interface class.

#include <cstdint>

#include "platform/WindowMessages.h"

namespace nodrix {

// A registration; 0 stands for none.
using DeviceNotificationToken = std::uintptr_t;

// Registers the window; 0 on failure.
DeviceNotificationToken RegisterDeviceNotifications(platform::WindowHandle window);
void UnregisterDeviceNotifications(DeviceNotificationToken token);

}  // namespace nodrix
