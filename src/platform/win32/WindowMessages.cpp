#include "platform/WindowMessages.h"

#include <windows.h>

namespace nodrix::platform {

bool PostWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) {
    if (window == 0) return false;
    return PostMessageA(reinterpret_cast<HWND>(window), message, static_cast<WPARAM>(wParam),
                        static_cast<LPARAM>(lParam)) != FALSE;
}

bool IsWindowAlive(WindowHandle window) {
    return window != 0 && IsWindow(reinterpret_cast<HWND>(window)) != FALSE;
}

}  // namespace nodrix::platform
