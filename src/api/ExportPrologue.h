#pragma once
// What every export does before it reaches its connection: the handle
// lookup, and the conversions of window handles and UTF-16 texts.

#include <cstdint>
#include <memory>
#include <type_traits>

#include "NodrixSdk.h"
#include "api/CSdkChain.h"
#include "connection/CNodrix.h"
#include "platform/WindowMessages.h"

namespace nodrix::api {

// The connection behind the handle, kept alive while the pointer lives;
// null for a handle that is unknown or released.
inline std::shared_ptr<CNodrix> FindConnection(int handle) {
    return SdkChain().Lookup(handle);
}

// Runs an export's body with no C++ exception crossing the C interface: an
// exception that escapes (an allocation failure included) becomes the
// export's failure value, with the resources code recorded on the
// connection when there is one.
template <typename Result, typename Body>
Result Guarded(Result failure, Body&& body, CNodrix* connection = nullptr) noexcept {
    try {
        return static_cast<Result>(body());
    } catch (...) {
        try {
            if (connection != nullptr) connection->Errors().PushError(NODRIX_ERROR_THREAD);
        } catch (...) {
        }
        return failure;
    }
}

// The common shape of an export: find the connection behind the handle,
// keep it alive for the call, and run body(connection) under the guard.
// An unknown handle gives the failure value and records nothing.
template <typename Result, typename Body>
Result Call(int handle, Result failure, Body&& body) noexcept {
    std::shared_ptr<CNodrix> connection;
    try {
        connection = FindConnection(handle);
    } catch (...) {
        return failure;
    }
    if (connection == nullptr) return failure;
    return Guarded(
        failure, [&] { return body(*connection); }, connection.get());
}

// An HWND on Windows, an integer natively.
template <typename Window>
platform::WindowHandle WindowFrom(Window window) {
    if constexpr (std::is_pointer_v<Window>) {
        return reinterpret_cast<platform::WindowHandle>(window);
    } else {
        return static_cast<platform::WindowHandle>(window);
    }
}
inline platform::WindowHandle ToWindow(NodrixHwnd window) {
    return WindowFrom(window);
}

inline const char16_t* AsUtf16(const NodrixWChar* text) {
    static_assert(sizeof(NodrixWChar) == sizeof(char16_t), "UTF-16 code units");
    return reinterpret_cast<const char16_t*>(text);
}
inline char16_t* AsUtf16(NodrixWChar* text) {
    return reinterpret_cast<char16_t*>(text);
}

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
