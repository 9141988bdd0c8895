#pragma once
// The running stream of one connection: the acquisition thread's frame sink
// and the stream's own thread. In a frame that needs no conversion the
// payload is read straight into the next queued application buffer, which
// is published to the waiters as soon as it is whole (handed to the frame
// callback on the stream's thread first, when one is installed). Otherwise
// the payload lands in one of a few raw buffers of the stream's own, paired
// with the application buffer it is converted into, once, on the stream's
// thread, in the order the frames came.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "NodrixSdkEx.h"
#include "connection/stream/BufferPool.h"
#include "core/FrameSink.h"
#include "platform/Thread.h"

namespace nodrix::core {
class StreamStatistics;
}

namespace nodrix::stream {

// What the stream asks of its connection.
class StreamHost {
public:
    virtual ~StreamHost() = default;
    // Converts the raw frame (as the camera sent it) into out, packed rows
    // top first; sets the metadata's significant bits. On the stream's
    // thread. False when the frame could not be converted.
    virtual bool ConvertFrame(const std::uint8_t* raw, std::uint8_t* out,
                              NodrixExFrameMetadata& metadata) = 0;
    virtual bool FrameCallbackInstalled() const = 0;
    // Sets the exposure and gain in effect into the metadata.
    virtual void StampCameraValues(NodrixExFrameMetadata& metadata) = 0;
    // Calls the frame callback with the frame, on the stream's thread.
    virtual void CallFrameCallback(const NodrixExFrame& frame) = 0;
    // The camera was lost: the stream has ended.
    virtual void StreamLost() = 0;
    virtual core::StreamStatistics& Statistics() = 0;
};

struct StreamPlan {
    StreamLayout layout;
    int flags = 0;
    // The payload is the frame as delivered: no conversion.
    bool zeroCopy = false;
    // Bytes of one raw buffer for the conversion (payloads may be longer
    // than the frame).
    std::size_t rawBytes = 0;
    // The fields of every frame's metadata that stay while the stream runs.
    NodrixExFrameMetadata stamp = {};
    // Frames lost since the connection opened, when the frame before the
    // stream's first was delivered.
    std::uint64_t lostMarkAtStart = 0;
};

class BufferStream : public core::FrameSink {
public:
    BufferStream(StreamHost& host, BufferPool& pool);
    ~BufferStream() override;
    BufferStream(const BufferStream&) = delete;
    BufferStream& operator=(const BufferStream&) = delete;

    // Allocates what the plan needs and starts the stream's thread; false
    // when either fails.
    bool Start(const StreamPlan& plan);
    // After the acquisition thread has ended: ends the stream's thread and
    // gives every buffer back to the application. Frames completed but not
    // handed out are counted as lost to the stop.
    void Stop();
    // After the acquisition thread has ended without a stop of the stream
    // (a pause): returns once the stream's thread has handed on every frame
    // read. Not from the stream's thread.
    void Drain();
    // Whether the stream can go on with the plan made after a pause: the
    // same frame layout and path.
    bool CanResume(const StreamPlan& plan) const;
    // Goes on after a pause with the plan's metadata; before the
    // acquisition thread starts again.
    void Resume(const StreamPlan& plan);

    // core::FrameSink, on the acquisition thread.
    std::uint8_t* NextDestination(std::size_t payloadBytes, std::size_t* capacity,
                                  bool* behind) override;
    void FrameRead(std::uint8_t* destination, bool whole, std::uint32_t frameNumber,
                   std::uint64_t completedUs) override;
    void AcquisitionEnded(bool failed) override;

private:
    struct Pending {
        StreamBuffer* buffer = nullptr;
        int raw = -1;  // the raw buffer of a frame to convert, or -1
    };
    void ThreadMain();
    // Fills the metadata of the frame just read into buffer.
    void Stamp(StreamBuffer& buffer, std::uint32_t frameNumber, std::uint64_t completedUs);
    void Deliver(const Pending& pending);
    bool PushPending(const Pending& pending);

    StreamHost& host_;
    BufferPool& pool_;
    StreamPlan plan_;

    // The acquisition thread's frame in progress.
    StreamBuffer* current_ = nullptr;
    int currentRaw_ = -1;
    // The lost-frames mark of the frame completed last, on the acquisition
    // thread.
    std::uint64_t lastLostMark_ = 0;

    // Between the acquisition thread and the stream's thread.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<Pending> pending_;  // a ring, allocated at the start
    std::size_t pendingHead_ = 0;
    std::size_t pendingCount_ = 0;
    std::vector<std::unique_ptr<std::uint8_t[]>> raw_;
    std::vector<int> freeRaw_;
    // The stream's thread is handing a frame on; threads waiting for a
    // drain.
    bool delivering_ = false;
    int drainers_ = 0;
    std::condition_variable drained_;
    bool stop_ = true;  // no thread runs
    bool lost_ = false;
    std::unique_ptr<platform::Thread> thread_;
};

}  // namespace nodrix::stream
