// The metadata of the delivered frames, the stream statistics the core
// counts, and the frame callback.
#include "connection/FrameRecord.h"

#include "connection/stream/RecordFill.h"

namespace nodrix {
using stream::FillRecord;
using stream::RecordUsable;

void FrameRecord::RecordDelivery(const imaging::CDibImage& output, bool straight, void* appBuffer,
                                 int rowOrder) {
    core::StreamStatistics& statistics = core_->Statistics();
    const std::uint64_t lost = statistics.LostSinceOpen();
    statistics.Delivered();
    platform::LockGuard guard(metadataLock_);
    outputMetadata_.lostBefore = core::TakeLostSince(lost, lostAtLastDelivery_);
    deliveredMetadata_ = outputMetadata_;
    anyDelivered_ = true;
    RememberDeliveredView(output, straight, appBuffer, rowOrder);
}

void FrameRecord::RememberDeliveredView(const imaging::CDibImage& output, bool straight,
                                        void* appBuffer, int rowOrder) {
    NodrixExFrame& view = deliveredView_;
    view.size = sizeof view;
    view.width = output.Width();
    view.height = output.Height();
    view.bitsPerPixel = output.Bits();
    view.stride = output.Stride();
    view.bytes = output.SizeBytes();
    view.metadata = deliveredMetadata_;
    if (straight) {
        // Its rows are unpadded, as the output image's were for it to go
        // straight, and in the order the application asked for.
        view.pixels = appBuffer;
        view.topRowFirst = rowOrder != 0 ? 1 : 0;
    } else {
        view.pixels = output.Pixels();
        view.topRowFirst = 1;
    }
}

void FrameRecord::RedeliverOutput() {
    platform::LockGuard guard(metadataLock_);
    if (outputMetadata_.size != 0) {
        deliveredMetadata_ = outputMetadata_;
        anyDelivered_ = true;
    }
}

void FrameRecord::InvokeFrameCallback() {
    // Also after a stop was asked for: the frame was counted delivered, and
    // the stop waits for this call before it returns.
    if (!frameCallback_.Installed()) return;
    // The pixels are rewritten only by this thread's next frame, and the
    // images reallocated only by a preparation, which waits for this worker.
    frameCallback_.Invoke(deliveredView_);
}

std::uint64_t FrameRecord::LostMark() const {
    platform::LockGuard guard(metadataLock_);
    return lostAtLastDelivery_;
}

void FrameRecord::RecordHandOut(NodrixExFrameMetadata& metadata, std::uint64_t lostMark) {
    if (core_) core_->Statistics().Delivered();
    platform::LockGuard guard(metadataLock_);
    // Frames the stream completed but never handed out (recycled, or
    // failed to convert) count here as well.
    metadata.lostBefore = core::TakeLostSince(lostMark, lostAtLastDelivery_);
    deliveredMetadata_ = metadata;
    anyDelivered_ = true;
}

int FrameRecord::GetFrameMetadata(NodrixExFrameMetadata* metadata) {
    if (!RecordUsable(metadata)) return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    NodrixExFrameMetadata delivered;
    {
        platform::LockGuard guard(metadataLock_);
        if (!anyDelivered_) return PushError(NODRIX_ERROR_FRAME), 0;
        delivered = deliveredMetadata_;
    }
    FillRecord(metadata, delivered);
    return 1;
}

int FrameRecord::GetStreamStatistics(NodrixExStreamStatistics* statistics) {
    if (!RecordUsable(statistics)) return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    const core::StreamCounts c = core_->Statistics().Counts();
    NodrixExStreamStatistics s = {};
    s.framesReceived = c.received;
    s.framesDelivered = c.delivered;
    s.lostHeader = c.lostHeader;
    s.lostPayload = c.lostPayload;
    s.lostGap = c.lostGap;
    s.lostOverwritten = c.lostOverwritten;
    s.lostBufferTooSmall = c.lostBufferTooSmall;
    s.recoveries = c.recoveries;
    s.receivedRate = c.receivedRate;
    s.deliveredRate = c.deliveredRate;
    s.notRecorded = c.notRecorded;
    s.lostNoBuffer = c.lostNoBuffer;
    FillRecord(statistics, s);
    return 1;
}

int FrameRecord::ResetStreamStatistics() {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    core_->Statistics().Reset();
    return 1;
}

int FrameRecord::SetFrameCallback(int handle, NodrixExFrameCallback callback, void* user) {
    if (InOwnFrameCallback()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    frameCallback_.Set(handle, callback, user);
    return 1;
}

}  // namespace nodrix
