// Recording: Nodrix_Record starts the preview and the AVI file, and a
// recording thread appends every newly converted frame until the duration,
// counted from the first frame, has passed or the acquisition stops.
#include <algorithm>

#include "connection/CNodrix.h"
#include "connection/RecordingFrame.h"
#include "platform/Time.h"

namespace nodrix {
namespace {

// The recording thread looks for a new frame this often.
constexpr std::uint32_t kRecordPollMs = 10;

// Frames per 100 seconds: the rate in hundredths of a frame per second.
std::uint32_t MeasuredRate(std::uint32_t frames, std::uint32_t elapsedMs) {
    if (frames < 2 || elapsedMs == 0) return files::avi::kStartRate;
    const std::uint64_t rate = static_cast<std::uint64_t>(frames) * 100000u / elapsedMs;
    // Slower than a frame per 100 s is still a rate, not none.
    return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(rate, 1, 0xFFFFFFFFu));
}

}  // namespace

int CNodrix::Record(const char* fileName, int durationMs, int showWindow) {
    if (fileName == nullptr || fileName[0] == '\0' || durationMs < 0) {
        return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    }
    if (!core_ || InOwnFrameCallback()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    platform::LockGuard control(controlLock_);
    // One writer per connection: a running recording is left alone.
    if (recording_.load() != 0) return PushError(NODRIX_ERROR_NO_CORE), 0;
    ReapRecorder();

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
        const bool hadWindow = previewWindow_ != 0;
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

    {
        platform::LockGuard frame(frameLock_);
        const imaging::CDibImage& output = OutputImage();
        aviWriter_.SetFormat(output.Width(), output.Height(), output.Bits());
        aviWriter_.SetRate(files::avi::kStartRate);
    }
    if (!aviWriter_.Open(fileName)) return fail(NODRIX_ERROR_TEXT);

    recordDurationMs_ = static_cast<std::uint32_t>(durationMs);
    newFrame_ = 0;
    recording_ = 1;
    recorderEnded_ = std::make_unique<platform::Event>(platform::EventReset::Manual, false);
    recorder_ = std::make_unique<platform::Thread>();
    if (!recorder_->Start([this] { RecorderMain(); })) {
        recording_ = 0;
        recorder_.reset();
        recorderEnded_.reset();
        aviWriter_.Reset();
        return fail(NODRIX_ERROR_THREAD);
    }
    return 1;
}

void CNodrix::ReapRecorder() {
    if (recorderEnded_) recorderEnded_->Wait(platform::kInfinite);
    // The thread may still be inside the event's Set: it goes first.
    if (recorder_) {
        recorder_->Join();
        recorder_.reset();
    }
    recorderEnded_.reset();
}

bool CNodrix::FinishRecording(std::uint32_t firstFrameTime, std::uint32_t lastFrameTime) {
    aviWriter_.SetRate(MeasuredRate(aviWriter_.FrameCount(), lastFrameTime - firstFrameTime));
    return aviWriter_.Finish() != 0;
}

void CNodrix::RecorderMain() {
    RecordingImages images;
    bool ready = false;
    {
        platform::LockGuard frame(frameLock_);
        ready = images.Allocate(aviWriter_.Width(), aviWriter_.Height(),
                                aviWriter_.SourceBitCount());
    }
    bool started = false;
    bool failed = !ready;
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    // The preview worker ends early only when the camera is lost.
    while (ready && recording_.load() != 0 && runFlag_.load() != 0) {
        platform::SleepMs(kRecordPollMs);
        if (newFrame_.exchange(0) == 0) continue;
        const std::uint32_t now = platform::MultimediaTime();
        if (!started) {
            started = true;
            first = now;
        }
        bool converted = false;
        {
            platform::LockGuard frame(frameLock_);
            converted = ConvertForRecording(OutputImage(), images);
        }
        // Frames of another format than the file's end the recording. The
        // frame is the recorder's own copy: the preview converts the next
        // one while this one is written.
        const files::CAviWriter::AddResult added =
            converted ? aviWriter_.AddFrame(images.frame24.Pixels())
                      : files::CAviWriter::AddResult::kFull;
        if (added == files::CAviWriter::AddResult::kFailed) {
            failed = true;
            break;
        }
        if (added == files::CAviWriter::AddResult::kFull) break;
        last = now;
        // Wrap-safe: the duration counts from the first frame.
        if (now - first > recordDurationMs_) break;
    }
    // Whatever ended the recording (its duration, a stop of the acquisition,
    // a lost camera, a full or failing disk), the frames recorded so far make
    // a whole file.
    if (!FinishRecording(first, last)) failed = true;
    if (failed) PushError(NODRIX_ERROR_TEXT);
    recording_ = 0;
    recorderEnded_->Set();
}

}  // namespace nodrix
