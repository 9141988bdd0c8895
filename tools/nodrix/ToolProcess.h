#pragma once
// The tool's process and the system around it: running itself again on the
// emulated camera, whether a camera driver exists, and the SDK library's
// optional exports.

namespace nodrix_tool {

// Runs this program again with NODRIX_EMULATION=1 and the same arguments;
// returns its exit status, or -1 when it could not be run.
int RerunWithEmulation(int argc, char** argv);

// Whether this system has a way to the camera: its kernel driver on
// Windows, the library's USB port natively.
bool CameraDriverInstalled();

// An exported function of the SDK library looked up by name, or nullptr
// when this library does not export it.
void* SdkFunction(const char* name);

}  // namespace nodrix_tool
