#pragma once
// Where the viewer's frames come from: the library's frame callback during a
// running preview. The callback copies each frame into a buffer of its own
// and then trades it for the shared newest one; the window trades that for
// its own when it draws. The lock is held for the trades only, so neither
// side waits for the other's copying, and frames the window has no time for
// are simply replaced. This class is the only part
// of the viewer that knows how frames arrive, so that it can move onto a
// stream interface without touching the rest.

#include <atomic>
#include <cstdint>
#include <mutex>

#include "Frame.h"
#include "NodrixSdkEx.h"

namespace nodrix_viewer {

class FrameSource {
public:
    FrameSource() = default;
    ~FrameSource() { Stop(); }
    FrameSource(const FrameSource&) = delete;
    FrameSource& operator=(const FrameSource&) = delete;

    // Installs the callback and starts the preview on the handle. false with
    // the library's error code left on the handle's error stack.
    bool Start(int handle);
    // Stops the preview (and a recording with it) and removes the callback.
    void Stop();
    bool Running() const { return handle_ != 0; }

    // Swaps the newest frame into frame when one arrived since the last
    // call; the buffers trade places, so nothing is allocated once both
    // have held a frame of the largest size.
    bool TakeNewest(Frame& frame);
    // Frames the callback received since Start.
    std::uint64_t Received() const { return received_.load(); }

private:
    static void NODRIX_CALL OnFrame(int handle, const NodrixExFrame* frame, void* user);
    void Keep(const NodrixExFrame& frame);

    int handle_ = 0;
    Frame back_;  // the callback's own: filled without the lock
    std::mutex lock_;
    Frame newest_;  // guarded by lock_; the three buffers trade places
    bool fresh_ = false;
    std::atomic<std::uint64_t> received_{0};
};

}  // namespace nodrix_viewer
