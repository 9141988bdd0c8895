#pragma once
// The tool's process and the system around it: running itself again on the
// emulated camera, and whether a camera driver exists.

namespace nodrix_tool {

// Runs this program again with NODRIX_EMULATION=1 and the same arguments;
// returns its exit status, or -1 when it could not be run.
int RerunWithEmulation(int argc, char** argv);

// Whether this system has a way to the camera: its kernel driver on
// Windows, the library's USB port natively.
bool CameraDriverInstalled();

}  // namespace nodrix_tool
