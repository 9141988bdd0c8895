#pragma once
// Posted window messages. On Windows PostMessageA to a real window; natively
// a process-wide sink that records each message so that tests and Linux
// applications can read them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace nodrix::platform {

// A window: an HWND on Windows, an integer of pointer size natively.
using WindowHandle = std::uintptr_t;

struct PostedMessage {
    WindowHandle window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

// Posts without waiting. Fails for window 0 (and on Windows for a window
// that does not exist).
bool PostWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam);
// Whether the window exists (natively: any nonzero handle).
bool IsWindowAlive(WindowHandle window);

// The native sink (on Windows these see nothing). It keeps at most
// kCapacity messages that nobody has taken: beyond that the oldest is
// dropped, so a preview whose messages are never read does not grow it
// without end.
namespace message_sink {
inline constexpr std::size_t kCapacity = 4096;
// Messages held now, for every window.
std::size_t Size();
// Waits up to timeoutMs (real time) for the next message posted to window
// and removes it from the sink.
std::optional<PostedMessage> WaitFor(WindowHandle window, std::uint32_t timeoutMs);
// Every message posted to window so far, removed from the sink.
std::vector<PostedMessage> Drain(WindowHandle window);
void Clear();
}  // namespace message_sink

}  // namespace nodrix::platform
