#pragma once
// Where the viewer's frames come from: the library's frame callback during a
// running preview. The window asks for a picture when it has drawn the last
// one; the callback copies the first frame after that into a buffer of its
// own and then trades it for the shared newest one, and the window trades
// that for its own when it draws. Frames in between are counted only, so a
// camera faster than the display costs a copy per picture shown, not per
// frame. The lock is held for the trades only. This class is the only part
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
    // call, and asks for the next; the buffers trade places, so nothing is
    // allocated once they have held a frame of the largest size.
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
    std::atomic<bool> wanted_{true};  // the window is ready for a picture
    std::atomic<std::uint64_t> received_{0};
};

}  // namespace nodrix_viewer
