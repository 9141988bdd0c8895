// Natively there is no device-interface broadcast: the registration always
// succeeds and delivers nothing.
#include "connection/DeviceNotification.h"

namespace nodrix {

DeviceNotificationToken RegisterDeviceNotifications(platform::WindowHandle window) {
    return window != 0 ? 1 : 0;
}

void UnregisterDeviceNotifications(DeviceNotificationToken) {}

}  // namespace nodrix
