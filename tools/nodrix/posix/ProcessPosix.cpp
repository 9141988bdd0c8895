// Natively the camera is reached through the library's USB port when it
// was built with it, and the tool runs itself again by replacing its
// process image.
#include <unistd.h>

#include <cstdlib>

#include "ToolProcess.h"

namespace nodrix_tool {

int RerunWithEmulation(int, char** argv) {
    if (setenv("NODRIX_EMULATION", "1", 1) != 0) return -1;
    execv("/proc/self/exe", argv);
    return -1;  // only reached when exec failed
}

bool CameraDriverInstalled() {
    // The library reaches cameras natively when it was built with its USB
    // port; without it only the emulated camera is there.
    return NODRIX_TOOL_REAL_CAMERAS != 0;
}

}  // namespace nodrix_tool
