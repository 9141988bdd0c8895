#pragma once
// A stream through the extension API: frames counted by the frame
// callback, losses by reason from the stream statistics.

#include "NodrixSdkEx.h"
#include "PreviewStream.h"

namespace nodrix_tool {

struct ExtensionStreamResult {
    StreamResult stream;
    NodrixExStreamStatistics statistics{};
};

// Runs a preview for the given time or until Ctrl-C. The progress is called
// about four times a second. Returns false when the preview could not start.
bool StreamWithExtension(int handle, double seconds, const StreamProgress& progress,
                         ExtensionStreamResult* result);

}  // namespace nodrix_tool
