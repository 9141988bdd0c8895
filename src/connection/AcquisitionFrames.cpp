// The acquisition's side of the delivered frames: the metadata it stamps on
// each, its delivery into the frame record, the copy into the application's
// buffer, and the recording's status.
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
    frames_.OutputMetadata() = m;
}

void Acquisition::RecordDelivery(bool straight, bool pixelsPending) {
    frames_.RecordDelivery(straight || pixelsPending ? OutputImageShape() : OutputImage(), straight,
                           appBuffer_, rowOrder_);
}

void Acquisition::InvokeFrameCallback() {
    // The callback is shown the output image: a frame recorded straight
    // puts its pixels there first.
    if (recordedStraight_ && frames_.FrameCallbackInstalled()) {
        platform::LockGuard frame(frameLock_);
        FillPendingRawFrame();
    }
    frames_.InvokeFrameCallback();
}

bool Acquisition::CopyToApplicationBuffer() {
    if (appBuffer_ == nullptr || appBufferSize_ == 0) return true;
    if (CopyOut(OutputImage(), rowOrder_, appBuffer_, appBufferSize_)) return true;
    core_->Statistics().BufferTooSmall();
    return false;
}

int Acquisition::GetRecordStatus(NodrixExRecordStatus* status) {
    if (!RecordUsable(status)) return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    NodrixExRecordStatus s = {};
    recorder_.Status(s);
    FillRecord(status, s);
    return 1;
}

}  // namespace nodrix
