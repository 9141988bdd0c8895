#pragma once
// One-line explanations of the SDK's error codes.

#include <string>

namespace nodrix_tool {

const char* ErrorText(int code);

// The system's reason for the handle's last failed file read or write.
std::string SystemReason(int handle);

}  // namespace nodrix_tool
