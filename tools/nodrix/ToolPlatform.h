#pragma once
// What the tool does differently on Windows and natively: running itself
// again on the emulated camera, and receiving the frames of a preview.

#include <functional>

namespace nodrix_tool {

// Runs this program again with NODRIX_EMULATION=1 and the same arguments;
// returns its exit status, or -1 when it could not be run.
int RerunWithEmulation(int argc, char** argv);

struct StreamResult {
    int frames = 0;         // frames received
    double rateFps = 0.0;   // measured frame rate
    int error = 0;          // error code that ended the stream early, or 0
};

// Called about four times a second with the frames so far and the seconds
// elapsed.
using StreamProgress = std::function<void(int frames, double seconds)>;

// Runs a preview on the open connection for the given time and counts the
// frames it delivers. Returns false when the preview could not start (the
// SDK's error code is then in result->error).
bool StreamFrames(int handle, double seconds, const StreamProgress& progress,
                  StreamResult* result);

}  // namespace nodrix_tool
