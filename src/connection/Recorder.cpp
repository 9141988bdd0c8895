// Recording: Nodrix_Record starts the preview and the file; the preview
// worker puts every converted frame into the recording's queue, in the
// camera's order, until the duration (counted from the first frame's time)
// has passed; the recording thread writes the queue into the file in large
// writes, brings the file up to date at least once a second, and finishes
// it when the duration has passed or the acquisition stops.
#include <algorithm>

#include "connection/CNodrix.h"
#include "connection/RecordingFrame.h"
#include "platform/Time.h"

namespace nodrix {
namespace {

// Memory of the queue between the worker and the writer, and its fewest
// frames: enough for the disk's pauses at the link rate.
constexpr std::uint64_t kQueueBytes = 64ull << 20;
constexpr std::uint32_t kQueueMinFrames = 8;
// How long the writer sleeps without frames, and how often at least it
// brings the file up to date.
constexpr std::uint32_t kWriterWaitMs = 100;
constexpr std::uint64_t kUpdateIntervalUs = 500000;

}  // namespace

int CNodrix::SetRecordFormat(int format) {
    if (format < 0 || format >= files::kRecordFormatCount) {
        return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    }
    platform::LockGuard control(controlLock_);
    nextRecordFormat_ = static_cast<files::RecordFormat>(format);
    return 1;
}

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

    int width = 0;
    int height = 0;
    {
        platform::LockGuard frame(frameLock_);
        const imaging::CDibImage& output = OutputImageShape();
        width = output.Width();
        height = output.Height();
        recordSourceBits_ = output.Bits();
    }
    recordFormat_ = nextRecordFormat_;
    if (!FormatFits(recordFormat_, recordSourceBits_)) {
        return fail(NODRIX_ERROR_INVALID_ARGUMENT);
    }
    recordLayout_ = files::LayoutOf(recordFormat_, width, height);
    const bool memory =
        recordLayout_.frameBytes != 0 &&
        recordingQueue_.Allocate(8 + recordLayout_.frameBytes, kQueueBytes, kQueueMinFrames) &&
        (recordSourceBits_ != 16 || recordGrey8_.Allocate(width, height, 8) != 0);
    if (!memory) return fail(NODRIX_ERROR_MEMORY);
    recordDurationMs_ = static_cast<std::uint32_t>(durationMs);
    if (!recordingFile_.Open(fileName, recordFormat_, recordLayout_, recordDurationMs_,
                             recordRiffLimit_)) {
        FileFailed("the file could not be created");
        if (wasIdle) Close();
        return 0;
    }

    {
        platform::LockGuard frame(frameLock_);
        recordStarted_ = false;
        recordEnded_ = false;
        recordQueued_ = 0;
    }
    recordFrames_ = 0;
    recordDropped_ = 0;
    recordBytes_ = recordingFile_.Bytes();
    recordError_ = 0;
    recordStatusFormat_ = static_cast<int>(recordFormat_);
    recording_ = 1;
    recorderEnded_ = std::make_unique<platform::Event>(platform::EventReset::Manual, false);
    recorder_ = std::make_unique<platform::Thread>();
    if (!recorder_->Start([this] { RecorderMain(); })) {
        recording_ = 0;
        recorder_.reset();
        recorderEnded_.reset();
        recordingFile_.Finish(files::avi::kStartRate);
        return fail(NODRIX_ERROR_THREAD);
    }
    return 1;
}

void CNodrix::QueueRecordingFrame() {
    if (recordEnded_) return;
    const std::uint64_t now = outputMetadata_.timestampUs;
    std::uint8_t* slot = recordingQueue_.Claim();
    if (slot == nullptr) {
        // The disk cannot keep up: the frame is counted, not waited for.
        recordDropped_.fetch_add(1);
        core_->Statistics().NotRecorded();
        return;
    }
    // A frame of another size or depth than the recording's ends it.
    if (!WriteFrameChunk(OutputImage(), recordSourceBits_, recordFormat_, recordLayout_,
                         recordGrey8_, slot)) {
        recordEnded_ = true;
        recordingQueue_.Wake();
        return;
    }
    if (!recordStarted_) {
        recordStarted_ = true;
        recordFirstUs_ = now;
    }
    recordLastUs_ = now;
    ++recordQueued_;
    // The frame that passes the duration is the last one recorded.
    if (now - recordFirstUs_ > 1000ull * recordDurationMs_) recordEnded_ = true;
    recordingQueue_.Publish();
}

std::uint32_t CNodrix::RecordedRate() const {
    // Frames per 100 seconds over the time from the first frame to the last.
    const std::uint64_t elapsedUs = recordLastUs_ - recordFirstUs_;
    if (recordQueued_ < 2 || elapsedUs == 0) return files::avi::kStartRate;
    const std::uint64_t rate = recordQueued_ * 100000000ull / elapsedUs;
    // Slower than a frame per 100 s is still a rate, not none.
    return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(rate, 1, 0xFFFFFFFFu));
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

void CNodrix::RecorderMain() {
    bool failed = false;
    std::uint64_t lastUpdateUs = platform::MonotonicMicroseconds();
    const auto rate = [this] {
        platform::LockGuard frame(frameLock_);
        return RecordedRate();
    };
    for (;;) {
        // What is queued is written even after a stop: a stop finishes the
        // file with every frame taken.
        const std::uint8_t* first = nullptr;
        const std::uint32_t filled = recordingQueue_.Filled(&first);
        if (filled > 0) {
            const RecordingFile::Result added = recordingFile_.Add(first, filled);
            recordingQueue_.Release(filled);
            recordFrames_ = recordingFile_.Frames();
            recordBytes_ = recordingFile_.Bytes();
            if (added == RecordingFile::Result::kFailed) {
                failed = true;
                break;
            }
            if (added == RecordingFile::Result::kFull) break;
        } else {
            bool ended = false;
            {
                platform::LockGuard frame(frameLock_);
                ended = recordEnded_;
            }
            // The preview worker ends early only when the camera is lost.
            // Frames queued between the look and the end are still written.
            if ((ended || recording_.load() == 0 || runFlag_.load() == 0) &&
                recordingQueue_.Filled(&first) == 0) {
                break;
            }
        }
        const std::uint64_t now = platform::MonotonicMicroseconds();
        if (now - lastUpdateUs >= kUpdateIntervalUs) {
            lastUpdateUs = now;
            if (!recordingFile_.Update(rate())) {
                failed = true;
                break;
            }
            recordBytes_ = recordingFile_.Bytes();
        }
        if (filled == 0) recordingQueue_.Wait(kWriterWaitMs);
    }
    {
        // No frame goes into the queue once the recording has ended.
        platform::LockGuard frame(frameLock_);
        recordEnded_ = true;
    }
    // Whatever ended the recording (its duration, a stop of the acquisition,
    // a lost camera, a full or failing disk), the frames recorded so far make
    // a whole file.
    if (!recordingFile_.Finish(rate())) failed = true;
    recordBytes_ = recordingFile_.Bytes();
    if (failed) {
        recordError_ = NODRIX_ERROR_FILE;
        FileFailed("the file could not be written");
    }
    recordingQueue_.Free();
    recording_ = 0;
    recorderEnded_->Set();
}

}  // namespace nodrix
