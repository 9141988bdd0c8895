#pragma once
// Starts another viewer process for a second camera, in a window of its own.

#include <string>

namespace nodrix_viewer {

// Runs this program again with `--device index`; false when it could not
// be started.
bool SpawnViewer(int device);

}  // namespace nodrix_viewer
