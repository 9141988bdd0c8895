#include "ErrorText.h"

#include "NodrixSdkEx.h"

namespace nodrix_tool {

const char* ErrorText(int code) {
    // An empty error stack reads as 0; the library's table has the rest.
    if (code == NODRIX_ERROR_NONE) return "no error code was recorded";
    return NodrixEx_ErrorText(code);
}

std::string SystemReason(int handle) {
    char text[512] = {};
    if (!NodrixEx_GetLastSystemError(handle, text, sizeof text) || text[0] == '\0') {
        return "no reason given";
    }
    return text;
}

}  // namespace nodrix_tool
