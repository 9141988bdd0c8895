// The acquisition's side of the extension interface: metadata of the
// delivered frames, the stream statistics the core counts, and the frame
// callback run by the worker.
#include <cstring>

#include "connection/Acquisition.h"
#include "connection/stream/RecordFill.h"
#include "pipeline/FrameConverter.h"

namespace nodrix {
using stream::FillRecord;
using stream::RecordUsable;

void Acquisition::StampConvertedFrame(bool straight) {
    const core::FrameRing::SlotInfo stamp = core_->LastReadInfo();
    const imaging::CDibImage& output = OutputImageShape();
    NodrixExFrameMetadata m = {};
    m.size = sizeof m;
    m.frameNumber = stamp.frameNumber;
    m.timestampUs = stamp.completedUs;
    const CameraParameters camera = controls_.Parameters();
    m.exposure10 = camera.exposure;
    m.gain = camera.globalGain;
    m.x = geometry_.horizontalStart;
    m.y = geometry_.verticalStart;
    m.width = output.Width();
    m.height = output.Height();
    m.bitsPerPixel = kColorModeBits[colorMode_];
    // A straight frame is the camera's, untouched by the pipeline.
    const int cameraBits = output.SampleBits() == 16 ? pipeline::kCameraSampleBits16 : 8;
    m.significantBits = straight ? cameraBits : output.SignificantBits();
    outputMetadata_ = m;
}

void Acquisition::RecordDelivery(bool straight) {
    core::StreamStatistics& statistics = core_->Statistics();
    const std::uint64_t lost = statistics.LostSinceOpen();
    statistics.Delivered();
    platform::LockGuard guard(metadataLock_);
    outputMetadata_.lostBefore = core::TakeLostSince(lost, lostAtLastDelivery_);
    deliveredMetadata_ = outputMetadata_;
    anyDelivered_ = true;
    RememberDeliveredView(straight);
}

void Acquisition::RememberDeliveredView(bool straight) {
    const imaging::CDibImage& output = straight ? OutputImageShape() : OutputImage();
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
        view.pixels = appBuffer_;
        view.topRowFirst = rowOrder_ != 0 ? 1 : 0;
    } else {
        view.pixels = output.Pixels();
        view.topRowFirst = 1;
    }
}

bool Acquisition::CopyToApplicationBuffer() {
    if (appBuffer_ == nullptr || appBufferSize_ == 0) return true;
    if (CopyOut(OutputImage(), rowOrder_, appBuffer_, appBufferSize_)) return true;
    core_->Statistics().BufferTooSmall();
    return false;
}

void Acquisition::InvokeFrameCallback() {
    // Also after a stop was asked for: the frame was counted delivered, and
    // the stop waits for this call before it returns.
    if (!frameCallback_.Installed()) return;
    // The pixels are rewritten only by this thread's next frame, and the
    // images reallocated only by a preparation, which waits for this worker.
    frameCallback_.Invoke(deliveredView_);
}

int Acquisition::GetFrameMetadata(NodrixExFrameMetadata* metadata) {
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

int Acquisition::GetStreamStatistics(NodrixExStreamStatistics* statistics) {
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

int Acquisition::GetRecordStatus(NodrixExRecordStatus* status) {
    if (!RecordUsable(status)) return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    NodrixExRecordStatus s = {};
    recorder_.Status(s);
    FillRecord(status, s);
    return 1;
}

int Acquisition::ResetStreamStatistics() {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    core_->Statistics().Reset();
    return 1;
}

int Acquisition::SetFrameCallback(int handle, NodrixExFrameCallback callback, void* user) {
    if (InOwnFrameCallback()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    frameCallback_.Set(handle, callback, user);
    return 1;
}

}  // namespace nodrix
