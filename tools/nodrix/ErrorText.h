#pragma once
// One-line explanations of the SDK's error codes.

namespace nodrix_tool {

const char* ErrorText(int code);

}  // namespace nodrix_tool
