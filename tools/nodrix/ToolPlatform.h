#pragma once
// What the tool does differently on Windows and natively: running itself
// again on the emulated camera, noticing Ctrl-C, the terminal, and
// receiving the frames of a preview without the extension API.

#include <functional>

namespace nodrix_tool {

// Runs this program again with NODRIX_EMULATION=1 and the same arguments;
// returns its exit status, or -1 when it could not be run.
int RerunWithEmulation(int argc, char** argv);

// Whether the camera's kernel driver is installed on this system (natively
// there is none).
bool CameraDriverInstalled();

// Ctrl-C (SIGINT; on Windows also Ctrl-Break and console close) sets a flag
// instead of ending the program, once this was called.
void CatchInterrupt();
bool Interrupted();

// Whether standard output is a terminal (progress lines are redrawn there).
bool StdoutIsTerminal();

// An exported function of the SDK library looked up by name, or nullptr
// when this library does not export it.
void* SdkFunction(const char* name);

struct StreamResult {
    int frames = 0;        // frames received
    double seconds = 0.0;  // how long the stream ran
    double rateFps = 0.0;  // measured frame rate
    int error = 0;         // error code that ended the stream early, or 0
};

// Called about four times a second with the frames so far and the seconds
// elapsed.
using StreamProgress = std::function<void(int frames, double seconds)>;

// Runs a preview on the open connection for the given time (or until
// Ctrl-C) and counts the frames it delivers. Returns false when the preview
// could not start (the SDK's error code is then in result->error).
bool StreamFrames(int handle, double seconds, const StreamProgress& progress, StreamResult* result);

}  // namespace nodrix_tool
