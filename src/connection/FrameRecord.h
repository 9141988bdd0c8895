#pragma once
// The record of a connection's delivered frames: the metadata of the frame
// in the output image and of the frame last delivered, the frames lost
// before each delivery, the stream statistics the core counts, and the
// application's frame callback with the view of the frame it is given. It
// owns the metadata lock and the frame callback slot (order:
// connection/LockOrder.h).

#include <cstdint>

#include "NodrixSdkEx.h"
#include "connection/CoreLink.h"
#include "connection/ErrorStack.h"
#include "connection/LockOrder.h"
#include "connection/stream/FrameCallbackSlot.h"
#include "imaging/CDibImage.h"
#include "platform/RecursiveLock.h"

namespace nodrix {

class FrameRecord {
public:
    FrameRecord(CoreHandle& core, ErrorStack& errors) : core_(core), errors_(errors) {}
    FrameRecord(const FrameRecord&) = delete;
    FrameRecord& operator=(const FrameRecord&) = delete;

    // --- The exports. Each record's first word is its size: filled up to
    // it, then set to the bytes filled.
    int GetFrameMetadata(NodrixExFrameMetadata* metadata);
    int GetStreamStatistics(NodrixExStreamStatistics* statistics);
    int ResetStreamStatistics();
    int SetFrameCallback(int handle, NodrixExFrameCallback callback, void* user);
    // Whether the calling thread runs this connection's frame callback:
    // starting or stopping an acquisition from there would wait for the
    // call it is made from, so those calls fail with error 1 instead.
    bool InOwnFrameCallback() const { return frameCallback_.CallingThreadIsInCallback(); }

    // --- The acquisition's side ----------------------------------------------
    // The metadata of the frame in the output image; under the frame lock.
    NodrixExFrameMetadata& OutputMetadata() { return outputMetadata_; }
    // The frame in the output image reached the application: counted
    // delivered, its metadata the delivered frame's, and output (the output
    // image, or the shape of a straight frame in the application's buffer
    // with rows in rowOrder) what the callback sees. Under the frame lock.
    void RecordDelivery(const imaging::CDibImage& output, bool straight, void* appBuffer,
                        int rowOrder);
    // The frame of the output image handed out once more (counted when it
    // was delivered first).
    void RedeliverOutput();
    // Hands the delivered frame to the frame callback; outside the frame
    // lock, on the thread that delivered it.
    void InvokeFrameCallback();

    // --- The stream's side ---------------------------------------------------
    bool FrameCallbackInstalled() const { return frameCallback_.Installed(); }
    void CallFrameCallback(const NodrixExFrame& frame) { frameCallback_.Invoke(frame); }
    // The mark the next delivery counts its lost frames from.
    std::uint64_t LostMark() const;
    // A buffer handed out: the frames lost since lostMark (the stream's
    // mark when it completed the frame) go into its metadata, which becomes
    // the delivered frame's.
    void RecordHandOut(NodrixExFrameMetadata& metadata, std::uint64_t lostMark);

private:
    int PushError(int code) { return errors_.Push(code), 1; }
    // Where the delivered frame's pixels are for the callback; under the
    // metadata lock.
    void RememberDeliveredView(const imaging::CDibImage& output, bool straight, void* appBuffer,
                               int rowOrder);

    CoreHandle& core_;
    ErrorStack& errors_;
    // Metadata of the frame in the output image (under the frame lock), and
    // of the frame last delivered (under the metadata lock).
    NodrixExFrameMetadata outputMetadata_ = {};
    mutable platform::RecursiveLock metadataLock_{kLockRankMetadata};
    NodrixExFrameMetadata deliveredMetadata_ = {};
    bool anyDelivered_ = false;
    std::uint64_t lostAtLastDelivery_ = 0;
    stream::FrameCallbackSlot frameCallback_{kLockRankFrameCallback};
    // The delivered frame as the callback sees it; written under the frame
    // lock by the thread that delivers and then calls back.
    NodrixExFrame deliveredView_ = {};
};

}  // namespace nodrix
