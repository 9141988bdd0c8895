// The stream of application buffers as an acquisition mode of the
// connection: its start and stop beside the other modes, the plan of what
// it delivers, the conversion of a frame into a buffer, and the calls of
// the application on its buffers.
#include "connection/ApplicationStream.h"

#include <algorithm>
#include <cstring>

#include "connection/stream/RecordFill.h"
#include "imaging/ConversionKernels.h"
#include "pipeline/FrameConverter.h"

namespace nodrix {

// The connection as the running stream sees it.
class StreamConnection : public stream::StreamHost {
public:
    explicit StreamConnection(ApplicationStream& connection) : c_(connection) {}
    bool ConvertFrame(const std::uint8_t* raw, std::uint8_t* out,
                      NodrixExFrameMetadata& metadata) override {
        return c_.ConvertStreamFrame(raw, out, metadata);
    }
    bool FrameCallbackInstalled() const override { return c_.frames_.FrameCallbackInstalled(); }
    void StampCameraValues(NodrixExFrameMetadata& metadata) override {
        const CameraParameters camera = c_.controls_.Parameters();
        metadata.exposure10 = camera.exposure;
        metadata.gain = camera.globalGain;
    }
    void CallFrameCallback(const NodrixExFrame& frame) override {
        c_.frames_.CallFrameCallback(frame);
    }
    void StreamLost() override { c_.PostError(NODRIX_ERROR_CAMERA_LOST); }
    core::StreamStatistics& Statistics() override { return c_.core_->Statistics(); }

private:
    ApplicationStream& c_;
};

namespace {

// Externally triggered frames may be far apart.
constexpr int kStreamTriggerFrameTimeoutMs = 6000;
constexpr int kKnownFlags = NODRIXEX_STREAM_TRIGGER | NODRIXEX_STREAM_RECYCLE_OLDEST;

}  // namespace

ApplicationStream::ApplicationStream(const StreamLinks& links)
    : core_(links.core),
      controls_(links.controls),
      geometry_(links.geometry),
      errors_(links.errors),
      frames_(links.frames),
      acquisition_(links.acquisition),
      mode_(links.mode),
      controlLock_(links.controlLock),
      frameLock_(links.frameLock),
      colorMode_(links.colorMode) {}

bool ApplicationStream::PlanStream(int flags, stream::StreamPlan* plan) {
    const int width = acquisition_.OutputWidth();
    const int height = acquisition_.OutputHeight();
    const int bits = kColorModeBits[colorMode_];
    stream::StreamLayout& layout = plan->layout;
    layout.width = width;
    layout.height = height;
    layout.bitsPerPixel = bits;
    layout.stride = width * (bits / 8);
    plan->flags = flags;
    // The buffers are checked before the camera is touched.
    if (!streamPool_.AllHold(layout.FrameBytes())) return PushError(NODRIX_ERROR_MEMORY), false;
    if (!acquisition_.Prepare()) return false;
    // The core shapes its buffers for the window just set.
    if (core_->BuffersNeedSetup() && !core_->PrepareBuffers()) {
        return PushError(NODRIX_ERROR_MEMORY), false;
    }
    const imaging::CDibImage& raw =
        acquisition_.Slot(pipeline::IsSixteenBitRaw(colorMode_) ? kRaw16 : kRaw8);
    const std::size_t rawPacked = static_cast<std::size_t>(raw.Width()) * raw.BytesPerPixel() *
                                  static_cast<std::size_t>(raw.Height());
    if (raw.Empty() || core_->FrameSize() != rawPacked) {
        return PushError(NODRIX_ERROR_FRAME), false;
    }
    // A grey frame the pipeline leaves as it is goes from the camera into
    // the application's buffer; the sensor reads its rows top first for it
    // when it stores them the other way round.
    const core::FrameOrientation stored = core_->RawOrientation();
    const bool grey = colorMode_ == 0 || colorMode_ == 1;
    const bool asStored = !stored.reverseRows && !stored.reversePixels;
    const bool flippable = stored.reverseRows && !stored.reversePixels && core_->HasMirrorV() != 0;
    plan->zeroCopy = grey && rawPacked == layout.FrameBytes() && acquisition_.ConvertsNothing() &&
                     (asStored || flippable);
    plan->rawBytes = std::max<std::size_t>(core_->TransferCapacity(), rawPacked);
    NodrixExFrameMetadata& m = plan->stamp;
    m = NodrixExFrameMetadata{};
    m.size = sizeof m;
    m.x = geometry_.horizontalStart;
    m.y = geometry_.verticalStart;
    m.width = width;
    m.height = height;
    m.bitsPerPixel = bits;
    m.significantBits = bits == 16 ? pipeline::kCameraSampleBits16 : 8;
    // As the stream starts; each frame handed out carries the values then.
    const CameraParameters camera = controls_.Parameters();
    m.exposure10 = camera.exposure;
    m.gain = camera.globalGain;
    streamFlippedV_ = plan->zeroCopy && !asStored;
    if (streamFlippedV_ && !core_->SetMirrorV(controls_.Parameters().mirrorV != 0 ? 0 : 1)) {
        streamFlippedV_ = false;
        return PushError(NODRIX_ERROR_CAMERA_REQUEST), false;
    }
    plan->lostMarkAtStart = frames_.LostMark();
    streamColorMode_ = colorMode_;
    streamFrameBytes_ = layout.FrameBytes();
    return true;
}

int ApplicationStream::StreamStart(int flags) {
    if (!core_ || InOwnFrameCallback()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    if ((flags & ~kKnownFlags) != 0) return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    platform::LockGuard control(controlLock_);
    if (mode_.load() == kStreaming) {
        if (streamPool_.Running() && streamPool_.Flags() == flags) return 1;
        // A stream the camera's loss ended, or one started otherwise.
        StopStreamLocked();
    }
    if (mode_.load() != kIdle) return PushError(NODRIX_ERROR_NO_CORE), 0;
    stream::StreamPlan plan;
    if (!PlanStream(flags, &plan)) return 0;
    if (!streamHost_) streamHost_ = std::make_unique<StreamConnection>(*this);
    if (!stream_) stream_ = std::make_unique<stream::BufferStream>(*streamHost_, streamPool_);
    if (!stream_->Start(plan)) {
        StopStreamLocked();
        return PushError(NODRIX_ERROR_THREAD), 0;
    }
    core_->SetFrameSink(stream_.get());
    mode_ = kStreaming;
    if (!StartStreamTransfer(flags)) {
        StopStreamLocked();
        return PushError(NODRIX_ERROR_CAMERA_REQUEST), 0;
    }
    return 1;
}

bool ApplicationStream::StartStreamTransfer(int flags) {
    if ((flags & NODRIXEX_STREAM_TRIGGER) != 0) {
        core_->SetFrameTimeout(kStreamTriggerFrameTimeoutMs);
        core_->SetTriggerMode(1, 0);
        return core_->StartTransfer(kModeTriggeredStream) != 0;
    }
    return core_->StartTransfer(kModeContinuous) != 0;
}

void ApplicationStream::PauseStream() {
    // From the stream's own frame callback the drain would wait for the
    // very call: the dialog then runs beside the stream, as it runs beside
    // a preview it cannot stop from there.
    if (!core_ || InOwnFrameCallback()) return;
    {
        platform::LockGuard control(controlLock_);
        if (mode_.load() != kStreaming || streamPaused_ || !streamPool_.Running()) return;
        // As a stop of the other modes: the frame being read is given up,
        // and the camera's frames while the dialog is open are not counted
        // as lost (the next run compares frame numbers afresh).
        core_->StopTransfer();
        core_->SetFrameSink(nullptr);
        if (streamFlippedV_) {
            core_->SetMirrorV(controls_.Parameters().mirrorV);
            streamFlippedV_ = false;
        }
        streamPaused_ = true;
    }
    // Frames read before the pause reach their buffers in the settings
    // they were read in. Outside the control lock: the frame callback may
    // make calls that take it.
    stream_->Drain();
}

void ApplicationStream::ResumeStream() {
    platform::LockGuard control(controlLock_);
    // A stop, or a new start, while the dialog was open ended the pause.
    if (!streamPaused_) return;
    streamPaused_ = false;
    stream::StreamPlan plan;
    const bool planned = [&] {
        const ErrorStack::Quiet quiet(errors_);
        return PlanStream(streamPool_.Flags(), &plan);
    }();
    if (!planned || !stream_->CanResume(plan)) {
        // The dialog changed the frame the buffers were shaped for (its
        // size, its format): the stream ends as a stop ends it, and the
        // application starts it again in the new shape (told then, not
        // now, when its buffers cannot take that shape).
        StopStreamLocked();
        return;
    }
    stream_->Resume(plan);
    core_->SetFrameSink(stream_.get());
    if (!StartStreamTransfer(plan.flags)) {
        StopStreamLocked();
        PushError(NODRIX_ERROR_CAMERA_REQUEST);
    }
}

void ApplicationStream::StopStreamLocked() {
    // The acquisition thread first: nothing is written into a buffer once
    // the stream's thread hands the buffers back.
    core_->StopTransfer();
    core_->SetFrameSink(nullptr);
    if (stream_) stream_->Stop();
    streamPaused_ = false;
    if (streamFlippedV_) {
        core_->SetMirrorV(controls_.Parameters().mirrorV);
        streamFlippedV_ = false;
    }
    int streaming = kStreaming;
    mode_.compare_exchange_strong(streaming, kIdle);
}

int ApplicationStream::StreamStop() {
    if (!core_ || InOwnFrameCallback()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    platform::LockGuard control(controlLock_);
    if (mode_.load() == kStreaming) {
        StopStreamLocked();
    } else {
        // Buffers queued for a stream that never ran, or whose start
        // failed, are the application's again: nothing else gives them back.
        streamPool_.Stop(false);
    }
    return 1;
}

bool ApplicationStream::ConvertStreamFrame(const std::uint8_t* raw, std::uint8_t* out,
                                           NodrixExFrameMetadata& metadata) {
    platform::LockGuard frame(frameLock_);
    // Refused while the stream runs; a mode changed before its start that
    // the plan did not see cannot fill its buffers.
    if (colorMode_ != streamColorMode_) return false;
    acquisition_.DropPendingRawFrame();
    const imaging::CDibImage& shape = acquisition_.Slot(acquisition_.OutputSlot());
    const int rowBytes = shape.Width() * shape.BytesPerPixel();
    if (shape.Empty() ||
        static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(shape.Height()) !=
            streamFrameBytes_) {
        return false;
    }
    // The pipeline writes the application's buffer itself, rows in the
    // order the stream hands them out (memory row 0 first, as the copy out
    // of the output image did). The view ends with this conversion, so
    // nothing reads the buffer once it is handed out.
    struct ViewEnd {
        imaging::CDibImage& view;
        ~ViewEnd() { view.Release(); }
    } viewEnd{streamView_};
    if (!streamView_.Borrow(out, shape.Width(), shape.Height(), shape.Bits(), rowBytes)) {
        return false;
    }
    // A grey mode converts in place, so its frame goes straight into the
    // buffer; a colour mode reads the raw image and writes the buffer.
    const bool grey = acquisition_.OutputSlot() == kRaw8 || acquisition_.OutputSlot() == kRaw16;
    imaging::CDibImage& image =
        grey ? streamView_
             : acquisition_.Slot(pipeline::IsSixteenBitRaw(colorMode_) ? kRaw16 : kRaw8);
    const core::FrameGeometry geometry{static_cast<std::uint32_t>(image.Width()),
                                       static_cast<std::uint32_t>(image.Height()),
                                       static_cast<std::uint32_t>(image.BytesPerPixel())};
    if (image.Empty() || geometry.FrameBytes() != core_->FrameSize()) return false;
    core::CopyFrameOriented(image.Pixels(), raw, geometry, core_->RawOrientation());
    const int packed = image.Width() * image.BytesPerPixel();
    if (image.Stride() != packed) {
        imaging::KernelRect rect{0, 0, image.Width(), image.Height()};
        const imaging::PixelKernel expand =
            image.Bits() == 16 ? imaging::ExpandRows16 : imaging::ExpandRows8;
        expand(image.Pixels(), image.Pixels(), rect, 0, 0, image.BytesPerPixel(),
               image.BytesPerPixel(), image.Stride(), packed, nullptr);
    }
    acquisition_.ConvertInto(streamView_);
    metadata.significantBits = streamView_.SignificantBits();
    return true;
}

int ApplicationStream::StreamGetInfo(NodrixExStreamInfo* info) {
    if (!stream::RecordUsable(info)) return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    NodrixExStreamInfo s = {};
    const int bits = kColorModeBits[colorMode_];
    s.width = acquisition_.OutputWidth();
    s.height = acquisition_.OutputHeight();
    s.bitsPerPixel = bits;
    s.stride = s.width * (bits / 8);
    s.payloadBytes = static_cast<std::uint64_t>(s.stride) * static_cast<std::uint64_t>(s.height);
    streamPool_.FillInfo(&s);
    stream::FillRecord(info, s);
    return 1;
}

int ApplicationStream::StreamAnnounceBuffer(void* memory, std::size_t bytes, void* user, int* id) {
    const int error = streamPool_.Announce(memory, bytes, user, id);
    return error != 0 ? (PushError(error), 0) : 1;
}

int ApplicationStream::StreamRevokeBuffer(int id, void** memory, void** user) {
    const int error = streamPool_.Revoke(id, memory, user);
    return error != 0 ? (PushError(error), 0) : 1;
}

int ApplicationStream::StreamQueueBuffer(int id) {
    const int error = streamPool_.Queue(id);
    return error != 0 ? (PushError(error), 0) : 1;
}

int ApplicationStream::StreamWaitBuffer(int timeoutMs, NodrixExStreamBuffer* buffer) {
    if (!stream::RecordUsable(buffer) || timeoutMs < NODRIXEX_WAIT_INFINITE) {
        return PushError(NODRIX_ERROR_INVALID_ARGUMENT), NODRIXEX_WAIT_FAILED;
    }
    if (InOwnFrameCallback()) return PushError(NODRIX_ERROR_NO_CORE), NODRIXEX_WAIT_FAILED;
    NodrixExStreamBuffer out = {};
    stream::HandOutNote note;
    const int result = streamPool_.Wait(timeoutMs, &out, &note);
    if (result == NODRIXEX_WAIT_FAILED) {
        PushError(NODRIX_ERROR_CAMERA_LOST);
        return result;
    }
    if (result != NODRIXEX_WAIT_BUFFER) return result;
    // The frame callback saw the values of its call; the hand-out keeps
    // them, so both see the same metadata.
    if (!note.cameraValuesSet) {
        const CameraParameters camera = controls_.Parameters();
        out.metadata.exposure10 = camera.exposure;
        out.metadata.gain = camera.globalGain;
    }
    frames_.RecordHandOut(out.metadata, note.lostMark);
    stream::FillRecord(buffer, out);
    return result;
}

int ApplicationStream::StreamCancelWaits(int cancel) {
    streamPool_.CancelWaits(cancel != 0);
    return 1;
}

}  // namespace nodrix
