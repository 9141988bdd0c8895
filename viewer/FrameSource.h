#pragma once
// Where the viewer's frames come from. Live, from the library's stream:
// buffers the library allocates (about 50 ms of frames) are announced and
// queued, a thread of this class takes each filled one as it comes, keeps
// the newest for the window and queues the one it replaces again at once,
// so that the stream never runs out of buffers however slowly the window
// draws; frames the window has no time for are counted, not copied. The window copies the
// newest into its own frame when it draws (one copy per picture shown).
// During a recording, which is an acquisition of its own, frames come
// from the frame callback of the running preview instead: the callback
// copies the first frame after the window asked for one and counts the
// rest. This class is the only part of the viewer that knows how frames
// arrive.

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "Frame.h"
#include "NodrixSdkEx.h"

namespace nodrix_viewer {

class FrameSource {
public:
    FrameSource() = default;
    ~FrameSource() { Stop(); }
    FrameSource(const FrameSource&) = delete;
    FrameSource& operator=(const FrameSource&) = delete;

    // Starts the stream on the handle. false with the library's error code
    // left on the handle's error stack.
    bool Start(int handle);
    // Starts the preview with the frame callback (for a recording).
    bool StartPreview(int handle);
    // Stops either (and a recording with the preview).
    void Stop();
    bool Running() const { return handle_ != 0; }

    // Copies the newest frame into frame when one arrived since the last
    // call; nothing is allocated once frame has held the largest size.
    bool TakeNewest(Frame& frame);
    // Frames received since the start.
    std::uint64_t Received() const { return received_.load(); }

private:
    // The most buffers announced: see BufferCount in the source.
    static constexpr int kMaxBuffers = 64;
    static void NODRIX_CALL OnFrame(int handle, const NodrixExFrame* frame, void* user);
    void Keep(const NodrixExFrame& frame);
    void Wait();
    void Release();

    int handle_ = 0;
    bool streaming_ = false;
    std::array<int, kMaxBuffers> ids_{};
    int announced_ = 0;
    std::thread waiter_;

    // Held by the window while it copies a buffer it took out of newest_,
    // and by Release before it revokes the buffers: the copy runs without
    // lock_, so the waiter is never held up by it. Taken before lock_.
    std::mutex copying_;
    std::mutex lock_;
    int streamHandle_ = 0;            // guarded by lock_: the handle while streaming
    NodrixExStreamBuffer newest_{};   // guarded by lock_; id 0: none
    Frame back_;                      // the callback's own: filled without the lock
    Frame fresh_;                     // guarded by lock_: the callback's newest
    bool hasFresh_ = false;           // guarded by lock_
    std::atomic<bool> wanted_{true};  // the window is ready for a picture
    std::atomic<std::uint64_t> received_{0};
};

}  // namespace nodrix_viewer
