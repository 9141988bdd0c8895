#pragma once
// The stream of application buffers, an acquisition mode of the connection:
// the buffers the application announces (the pool), the running stream and
// its thread, the plan of what it delivers, the conversion of a frame into
// a buffer, and the pause of the camera dialog. It holds no lock of its own
// beyond the pool's: its starts and stops run under the acquisition's
// control lock, its conversions under the frame lock.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "NodrixSdkEx.h"
#include "connection/AcquisitionState.h"
#include "connection/CameraControls.h"
#include "connection/CoreLink.h"
#include "connection/ErrorStack.h"
#include "connection/FrameRecord.h"
#include "connection/ImageSlots.h"
#include "connection/stream/BufferPool.h"
#include "connection/stream/BufferStream.h"
#include "imaging/CDibImage.h"
#include "pipeline/ParameterBlocks.h"
#include "platform/RecursiveLock.h"

namespace nodrix {

// What the stream needs of the acquisition whose mode it is: the image
// buffers shaped for the present settings, and the conversion into them.
class StreamFrames {
public:
    // Shapes the image buffers for the present settings; 0 (error pushed)
    // when they cannot be.
    virtual int Prepare() = 0;
    // Whether the conversion leaves a frame as it came.
    virtual bool ConvertsNothing() = 0;
    // Converts the raw image of the colour mode into output (a grey mode:
    // output holds the raw frame and is converted in place).
    virtual void ConvertInto(imaging::CDibImage& output) = 0;
    virtual imaging::CDibImage& Slot(ImageSlot slot) = 0;
    // The output image of the colour mode, and its size in the present
    // capture window and subsampling.
    virtual ImageSlot OutputSlot() const = 0;
    virtual int OutputWidth() const = 0;
    virtual int OutputHeight() const = 0;
    // The raw image no longer waits for the frame kept in the core: the
    // stream's frames go elsewhere.
    virtual void DropPendingRawFrame() = 0;

protected:
    ~StreamFrames() = default;
};

// The parts of the connection the stream reads and drives; each lives as
// long as the stream.
struct StreamLinks {
    CoreHandle& core;
    CameraControls& controls;
    const CaptureGeometry& geometry;
    ErrorStack& errors;
    FrameRecord& frames;
    StreamFrames& acquisition;
    std::atomic<int>& mode;
    platform::RecursiveLock& controlLock;
    platform::RecursiveLock& frameLock;
    const int& colorMode;
};

class ApplicationStream {
public:
    explicit ApplicationStream(const StreamLinks& links);
    ApplicationStream(const ApplicationStream&) = delete;
    ApplicationStream& operator=(const ApplicationStream&) = delete;

    // --- The exports ----------------------------------------------------------
    int StreamGetInfo(NodrixExStreamInfo* info);
    int StreamAnnounceBuffer(void* memory, std::size_t bytes, void* user, int* id);
    int StreamRevokeBuffer(int id, void** memory, void** user);
    int StreamQueueBuffer(int id);
    int StreamStart(int flags);
    int StreamStop();
    // A NODRIXEX_WAIT_ result.
    int StreamWaitBuffer(int timeoutMs, NodrixExStreamBuffer* buffer);
    int StreamCancelWaits(int cancel);
    // The handle is gone: every wait returns at once, now and later.
    void StreamReleased() { streamPool_.Release(); }

    // --- The acquisition's side -----------------------------------------------
    // Ends a running stream; the caller holds the control lock.
    void StopStreamLocked();
    // The camera dialog's pause: the camera stops, the waits and the queued
    // buffers stay, and the resume goes on with the same buffers, or ends
    // the stream when the dialog changed the frame they were shaped for.
    void PauseStream();
    void ResumeStream();

private:
    friend class StreamConnection;
    int PushError(int code) { return errors_.Push(code), 1; }
    void PostError(int code) { errors_.Post(code); }
    bool InOwnFrameCallback() const { return frames_.InOwnFrameCallback(); }
    // The stream's plan in the present settings; false (error pushed) when
    // no stream can start.
    bool PlanStream(int flags, stream::StreamPlan* plan);
    // Converts a raw frame into the application's buffer, on the stream's
    // thread.
    bool ConvertStreamFrame(const std::uint8_t* raw, std::uint8_t* out,
                            NodrixExFrameMetadata& metadata);
    // Starts the camera's transfer for a stream of these flags.
    bool StartStreamTransfer(int flags);

    CoreHandle& core_;
    CameraControls& controls_;
    const CaptureGeometry& geometry_;
    ErrorStack& errors_;
    FrameRecord& frames_;
    StreamFrames& acquisition_;
    std::atomic<int>& mode_;
    platform::RecursiveLock& controlLock_;
    platform::RecursiveLock& frameLock_;
    const int& colorMode_;

    // The buffers live as long as the connection; the running stream goes
    // first when the connection ends.
    stream::BufferPool streamPool_;
    std::unique_ptr<stream::StreamHost> streamHost_;
    std::unique_ptr<stream::BufferStream> stream_;
    // Set while a stream runs: the sensor reads its rows the other way
    // round, so that they arrive top first.
    bool streamFlippedV_ = false;
    // Set while the camera dialog pauses the stream (under the control lock).
    bool streamPaused_ = false;
    int streamColorMode_ = 0;
    std::size_t streamFrameBytes_ = 0;
    // The application buffer being converted into, viewed as an image for
    // the duration of one conversion only (under the frame lock).
    imaging::CDibImage streamView_;
};

}  // namespace nodrix
