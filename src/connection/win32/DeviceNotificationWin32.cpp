// Device-interface notifications through the window manager: the recipient
// window hears of cameras of the driver's interface class coming and going.
#include <windows.h>
// windows.h first
#include <dbt.h>

#include "connection/DeviceNotification.h"

namespace nodrix {

namespace {
// {328184C5-93E6-49B7-94B8-2ADA13AABB39}
const GUID kCameraInterfaceClass = {
    0x328184C5, 0x93E6, 0x49B7, {0x94, 0xB8, 0x2A, 0xDA, 0x13, 0xAA, 0xBB, 0x39}};
}  // namespace

DeviceNotificationToken RegisterDeviceNotifications(platform::WindowHandle window) {
    DEV_BROADCAST_DEVICEINTERFACE_A filter = {};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kCameraInterfaceClass;
    HDEVNOTIFY notify = RegisterDeviceNotificationA(reinterpret_cast<HWND>(window), &filter,
                                                    DEVICE_NOTIFY_WINDOW_HANDLE);
    return reinterpret_cast<DeviceNotificationToken>(notify);
}

void UnregisterDeviceNotifications(DeviceNotificationToken token) {
    if (token != 0) UnregisterDeviceNotification(reinterpret_cast<HDEVNOTIFY>(token));
}

}  // namespace nodrix
