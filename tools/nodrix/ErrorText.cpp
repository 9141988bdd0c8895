#include "ErrorText.h"

#include "NodrixSdkEx.h"

namespace nodrix_tool {

const char* ErrorText(int code) {
    // An empty error stack reads as 0; the library's table has the rest.
    if (code == NODRIX_ERROR_NONE) return "no error code was recorded";
    return NodrixEx_ErrorText(code);
}

}  // namespace nodrix_tool
