#pragma once
// One-line English descriptions of the connection's error codes.

namespace nodrix {

// The description of code, or "unknown error code"; never null, static.
const char* ErrorText(int code);

}  // namespace nodrix
