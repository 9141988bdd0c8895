#include "platform/DebugOutput.h"

#include <windows.h>

namespace nodrix::platform {

void DebugOutput(const char* text) {
    if (text != nullptr) OutputDebugStringA(text);
}

}  // namespace nodrix::platform
