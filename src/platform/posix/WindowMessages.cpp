#include "platform/WindowMessages.h"

#include "platform/MessageSink.h"

namespace nodrix::platform {

bool PostWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) {
    if (window == 0) return false;
    detail::RecordPostedMessage({window, message, wParam, lParam});
    return true;
}

bool IsWindowAlive(WindowHandle window) { return window != 0; }

}  // namespace nodrix::platform
