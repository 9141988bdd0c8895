#include "platform/TextConversion.h"

#include <windows.h>

#include <climits>

namespace nodrix::platform {

bool Utf16ToAnsi(const char16_t* text, char* out, std::size_t outSize) {
    if (outSize > 0 && out) out[0] = '\0';
    if (!text || !out || outSize == 0) return false;
    const int size = outSize > INT_MAX ? INT_MAX : static_cast<int>(outSize);
    // Fails (0) when the text with its NUL does not fit; the buffer may then
    // hold a partial result, which nobody must see.
    if (WideCharToMultiByte(CP_THREAD_ACP, 0, reinterpret_cast<const wchar_t*>(text), -1, out,
                            size, nullptr, nullptr) == 0) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool AnsiToUtf16(const char* text, char16_t* out, std::size_t outUnits) {
    if (outUnits > 0 && out) out[0] = u'\0';
    if (!text || !out || outUnits == 0) return false;
    const int units = outUnits > INT_MAX ? INT_MAX : static_cast<int>(outUnits);
    if (MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, reinterpret_cast<wchar_t*>(out), units) ==
        0) {
        out[0] = u'\0';
        return false;
    }
    return true;
}

}  // namespace nodrix::platform
