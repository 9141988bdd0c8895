#pragma once
// Text for an attached debugger (OutputDebugStringA on Windows). Natively
// there is no such channel and the text is dropped.

namespace nodrix::platform {

void DebugOutput(const char* text);

}  // namespace nodrix::platform
