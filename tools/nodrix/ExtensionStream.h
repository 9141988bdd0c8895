#pragma once
// A stream through the extension API: frames counted by the frame
// callback, losses by reason from the stream statistics.

#include <functional>

#include "NodrixSdkEx.h"

namespace nodrix_tool {

struct StreamResult {
    int frames = 0;        // frames received
    double seconds = 0.0;  // how long the stream ran
    double rateFps = 0.0;  // measured frame rate
    int error = 0;         // error code that ended the stream early, or 0
    NodrixExStreamStatistics statistics{};
};

// Called about four times a second with the frames so far and the seconds
// elapsed.
using StreamProgress = std::function<void(int frames, double seconds)>;

// Runs a preview on the open connection for the given time or until Ctrl-C.
// Returns false when the preview could not start (the SDK's error code is
// then in result->error).
bool StreamFrames(int handle, double seconds, const StreamProgress& progress, StreamResult* result);

}  // namespace nodrix_tool
