#pragma once
// What every export does before it reaches its connection: the handle
// lookup, and the conversions of window handles and UTF-16 texts.

#include <cstdint>
#include <type_traits>

#include "NodrixSdk.h"
#include "api/CSdkChain.h"
#include "connection/CNodrix.h"
#include "platform/WindowMessages.h"

namespace nodrix::api {

// The connection behind the handle, or null for a handle that is unknown
// or being released.
inline CNodrix* FindConnection(int handle) { return SdkChain().Lookup(handle); }

// An HWND on Windows, an integer natively.
template <typename Window>
platform::WindowHandle WindowFrom(Window window) {
    if constexpr (std::is_pointer_v<Window>) {
        return reinterpret_cast<platform::WindowHandle>(window);
    } else {
        return static_cast<platform::WindowHandle>(window);
    }
}
inline platform::WindowHandle ToWindow(NodrixHwnd window) { return WindowFrom(window); }

inline const char16_t* AsUtf16(const NodrixWChar* text) {
    static_assert(sizeof(NodrixWChar) == sizeof(char16_t), "UTF-16 code units");
    return reinterpret_cast<const char16_t*>(text);
}
inline char16_t* AsUtf16(NodrixWChar* text) { return reinterpret_cast<char16_t*>(text); }

// Narrow texts made from UTF-16 arguments live in a buffer of this size.
inline constexpr int kNarrowBufferBytes = 1024;

// Converts a UTF-16 file name for the narrow export. A null name stays null
// (narrowed receives null). On failure error 12 is recorded and false
// returned.
bool NarrowName(CNodrix& connection, const NodrixWChar* name, char (&buffer)[kNarrowBufferBytes],
                const char** narrowed);

// Converts a narrow text into a UTF-16 buffer of units code units. On
// failure error 12 is recorded and false returned.
bool WidenText(CNodrix& connection, const char* text, NodrixWChar* out, int units);

}  // namespace nodrix::api
