#include "platform/DebugOutput.h"

namespace nodrix::platform {

void DebugOutput(const char* /*text*/) {}

}  // namespace nodrix::platform
