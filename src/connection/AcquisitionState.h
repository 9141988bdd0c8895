#pragma once
// The acquisition modes of a connection, shared by the acquisition and the
// stream of application buffers, one of its modes.

namespace nodrix {

enum AcquisitionState : int {
    kIdle = 0,
    kPreviewing = 1,
    kCapturing = 2,
    kTriggering = 3,
    kStreaming = 4,  // the stream of application buffers
};

}  // namespace nodrix
