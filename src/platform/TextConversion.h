#pragma once
// Text conversion between UTF-16 and the narrow code page of the platform
// (the thread's ANSI code page on Windows, UTF-8 natively).

#include <cstddef>

namespace nodrix::platform {

// Converts the NUL-terminated UTF-16 text into out (outSize bytes, NUL
// included). False, with out left empty when outSize > 0, when it does not
// fit or cannot be converted.
bool Utf16ToAnsi(const char16_t* text, char* out, std::size_t outSize);
// The reverse; outUnits counts UTF-16 units, NUL included.
bool AnsiToUtf16(const char* text, char16_t* out, std::size_t outUnits);

}  // namespace nodrix::platform
