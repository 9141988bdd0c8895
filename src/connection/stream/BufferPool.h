#pragma once
// The application's buffers of one connection's stream: each with its state
// (who owns its memory), the input queue of empty buffers the frames go
// into, in the order they were queued, the output queue of filled ones, in
// the order the camera sent them, and the waits for the next filled one.
// Everything under one mutex; waiters sleep on a condition variable that a
// filled buffer, a cancel, a stop, a release or a lost camera wakes.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "NodrixSdkEx.h"
#include "connection/stream/BufferQueue.h"

namespace nodrix::stream {

inline constexpr int kMaxBuffers = 4096;

enum class BufferState {
    kAnnounced,  // the application owns it
    kQueued,     // empty, in the input queue
    kFilling,    // taken from the input queue by the producer
    kFilled,     // in the output queue
    kHandedOut,  // the application owns it, between a wait and a queue
};

struct StreamBuffer {
    int id = 0;
    std::uint8_t* memory = nullptr;
    std::size_t capacity = 0;
    void* user = nullptr;
    std::unique_ptr<std::uint8_t[]> owned;  // memory the library allocated
    BufferState state = BufferState::kAnnounced;
    NodrixExFrameMetadata metadata = {};
    // Frames lost since the connection opened, when this frame completed.
    std::uint64_t lostMark = 0;
    // The metadata's exposure and gain were taken when the frame callback
    // saw it; the hand-out keeps them.
    bool cameraValuesSet = false;
};

// What a wait hands out beside the buffer's record.
struct HandOutNote {
    std::uint64_t lostMark = 0;
    bool cameraValuesSet = false;
};

// The frame layout a stream delivers.
struct StreamLayout {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int stride = 0;
    std::size_t FrameBytes() const {
        return static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
    }
};

class BufferPool {
public:
    // Results of Wait; the numbers of the NODRIXEX_WAIT_ results.
    enum WaitResult : int {
        kWaitFailed = NODRIXEX_WAIT_FAILED,
        kWaitBuffer = NODRIXEX_WAIT_BUFFER,
        kWaitTimeout = NODRIXEX_WAIT_TIMEOUT,
        kWaitCancelled = NODRIXEX_WAIT_CANCELLED,
        kWaitStopped = NODRIXEX_WAIT_STOPPED,
    };
    // Failures of the application's calls: a NODRIX_ERROR_ code, 0 for none.
    int Announce(void* memory, std::size_t bytes, void* user, int* id);
    int Revoke(int id, void** memory, void** user);
    int Queue(int id);
    // Whether every announced buffer holds frameBytes.
    bool AllHold(std::size_t frameBytes) const;

    // The stream starts filling buffers of the layout, recycling the oldest
    // filled one when none is empty if recycle is set.
    void Start(const StreamLayout& layout, int flags);
    // Ends the stream: every buffer but the handed-out ones is announced
    // again; returns how many filled ones were never handed out. Waiters
    // return kWaitStopped, or kWaitFailed when the camera was lost.
    std::uint64_t Stop(bool cameraLost);
    // No wait succeeds any more (the connection goes away).
    void Release();
    bool Running() const;
    int Flags() const;

    // Producer side (the acquisition or the stream thread). The next empty
    // buffer, or with recycling the oldest filled one (*recycled set), or
    // null.
    StreamBuffer* TakeEmpty(bool* recycled);
    // A buffer taken whose frame failed goes back to the front of the input
    // queue, to take the next frame.
    void GiveBack(StreamBuffer* buffer);
    // The buffer holds its frame (metadata filled in); wakes one waiter.
    void Publish(StreamBuffer* buffer);

    // Consumer side: the next filled buffer into out; the connection
    // settles its lostBefore (and its exposure and gain, unless set) from
    // the note.
    int Wait(int timeoutMs, NodrixExStreamBuffer* out, HandOutNote* note);
    void CancelWaits(bool sticky);

    void FillInfo(NodrixExStreamInfo* info) const;

private:
    StreamBuffer* Find(int id);
    void HandOut(StreamBuffer& buffer, NodrixExStreamBuffer* out, HandOutNote* note);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::unique_ptr<StreamBuffer>> buffers_;
    BufferQueue<StreamBuffer> input_;
    BufferQueue<StreamBuffer> output_;
    int nextId_ = 1;
    bool running_ = false;
    bool cameraLost_ = false;
    bool released_ = false;
    bool cancelSticky_ = false;
    int flags_ = 0;
    StreamLayout layout_;
    // Bumped by every start, stop and cancel, so that a waiter can tell it
    // was woken for it even when the state changed back since.
    std::uint64_t runs_ = 0;
    std::uint64_t cancels_ = 0;
    // Threads inside Wait's sleep: a published buffer wakes one only then.
    int waiters_ = 0;
};

}  // namespace nodrix::stream
