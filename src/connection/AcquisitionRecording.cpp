// Nodrix_Record: starts the preview and then the recorder; the preview
// worker hands each converted frame to the recorder.
#include "connection/Acquisition.h"

namespace nodrix {

int Acquisition::SetRecordFormat(int format) {
    if (format < 0 || format >= files::kRecordFormatCount) {
        return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    }
    platform::LockGuard control(controlLock_);
    recorder_.SetNextFormat(static_cast<files::RecordFormat>(format));
    return 1;
}

int Acquisition::Record(const char* fileName, int durationMs, int showWindow) {
    if (fileName == nullptr || fileName[0] == '\0' || durationMs < 0) {
        return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    }
    if (!core_ || InOwnFrameCallback() || Streaming()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    platform::LockGuard control(controlLock_);
    // One writer per connection: a running recording is left alone.
    if (recorder_.Running()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    recorder_.Reap();

    // An acquisition that already runs keeps its window, callback and
    // buffer, and keeps running when the file cannot be made: only what
    // this call started is closed again. A mode that refuses the preview
    // (capture, trigger) is closed.
    const bool wasIdle = mode_.load() == kIdle;
    const auto fail = [&](int code) {
        if (wasIdle) Close();
        PushError(code);
        return 0;
    };
    if (wasIdle) {
        platform::LockGuard frame(frameLock_);
        callbackWindow_ = 0;
        appBuffer_ = nullptr;
        appBufferSize_ = 0;
        rowOrder_ = 0;
    }
    if (showWindow != 0) {
        const bool hadWindow = preview_.IsOpen();
        if (!OpenPreviewWindow()) return 0;
        // A preview that runs already sized its display for no window.
        if (!hadWindow && !wasIdle) SizeDisplayToWindow();
    }
    // Capture and trigger mode refuse (error 1) and end here.
    if (!StartPreview()) {
        Close();
        return PushError(NODRIX_ERROR_TEXT), 0;
    }
    // A preview whose camera was lost stays in its mode without a worker:
    // no frame would ever come.
    if (runFlag_.load() == 0) return fail(NODRIX_ERROR_TEXT);

    int width = 0;
    int height = 0;
    int bits = 0;
    {
        platform::LockGuard frame(frameLock_);
        const imaging::CDibImage& output = OutputImageShape();
        width = output.Width();
        height = output.Height();
        bits = output.Bits();
    }
    switch (
        recorder_.Begin(fileName, static_cast<std::uint32_t>(durationMs), width, height, bits)) {
        case Recorder::Start::kStarted:
            return 1;
        case Recorder::Start::kFormatUnfit:
            return fail(NODRIX_ERROR_INVALID_ARGUMENT);
        case Recorder::Start::kNoMemory:
            return fail(NODRIX_ERROR_MEMORY);
        case Recorder::Start::kNoThread:
            return fail(NODRIX_ERROR_THREAD);
        case Recorder::Start::kFileFailed:
            break;
    }
    if (wasIdle) Close();
    return 0;
}

void Acquisition::QueueRecordingFrame() {
    if (!recorder_.Queue(OutputImage(), frames_.OutputMetadata().timestampUs)) {
        core_->Statistics().NotRecorded();
    }
}

std::uint8_t* Acquisition::StraightRecordingSlot(int* rowOrder) {
    if (!Recording() || (colorMode_ != 0 && colorMode_ != 1)) return nullptr;
    // The recorder is asked first: most recordings convert (the 24-bit
    // default), and it answers for less than the pipeline does. A slot
    // claimed and then not used is claimed again by the usual way.
    const imaging::CDibImage& raw = *images_[colorMode_ == 1 ? kRaw16 : kRaw8];
    bool lastRowFirst = false;
    std::uint8_t* frame =
        recorder_.ClaimCameraFrame(raw.Width(), raw.Height(), raw.Bits(), &lastRowFirst);
    if (frame == nullptr || FrameGoingAsItComes() == nullptr) return nullptr;
    *rowOrder = lastRowFirst ? 0 : 1;
    return frame;
}

void Acquisition::ReapRecorder() {
    recorder_.Reap();
}

}  // namespace nodrix
