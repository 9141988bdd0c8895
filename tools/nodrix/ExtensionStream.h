#pragma once
// The stream of the extension API: frames taken in order from buffers the
// library allocates, losses by reason from the stream statistics.

#include <functional>

#include "NodrixSdkEx.h"

namespace nodrix_tool {

struct StreamRequest {
    double seconds = 3.0;  // how long to stream
    int buffers = 16;      // buffers queued to the stream
    bool trigger = false;  // a frame per trigger instead of free-running
    double timeout = 0.0;  // longest wait for one frame in seconds; 0: none
};

struct StreamResult {
    int frames = 0;         // frames received
    double seconds = 0.0;   // how long the stream ran
    double rateFps = 0.0;   // measured frame rate
    int error = 0;          // error code that ended the stream early, or 0
    bool timedOut = false;  // no frame within the request's timeout
    NodrixExStreamStatistics statistics{};
};

// Called about four times a second with the frames so far and the seconds
// elapsed.
using StreamProgress = std::function<void(int frames, double seconds)>;

// Runs the stream on the open connection for the requested time, until
// Ctrl-C, or until no frame came within the timeout. Returns false when the
// stream could not start (the SDK's error code is then in result->error).
bool StreamFrames(int handle, const StreamRequest& request, const StreamProgress& progress,
                  StreamResult* result);

}  // namespace nodrix_tool
