#include "connection/Recorder.h"

#include <algorithm>

#include "NodrixSdk.h"
#include "connection/RecordingFrame.h"
#include "platform/Time.h"

namespace nodrix {
namespace {

// Memory of the queue between the worker and the writer, and its fewest
// frames: enough for the disk's pauses at the link rate.
constexpr std::uint64_t kQueueBytes = 64ull << 20;
constexpr std::uint32_t kQueueMinFrames = 8;
// How long at most the writer sleeps while less than a full write is
// queued (the latest frames reach the file at least that often, with a
// small fraction of the queue held), and how often at least it brings the
// file up to date.
constexpr std::uint32_t kWriterWaitMs = 25;
constexpr std::uint64_t kUpdateIntervalUs = 500000;

}  // namespace

Recorder::Recorder(platform::RecursiveLock& frameLock, const std::atomic<int>& acquisitionRuns,
                   ErrorStack& errors)
    : frameLock_(frameLock), acquisitionRuns_(acquisitionRuns), errors_(errors) {}

Recorder::Start Recorder::Begin(const char* fileName, std::uint32_t durationMs, int width,
                                int height, int sourceBits) {
    sourceBits_ = sourceBits;
    format_ = nextFormat_;
    if (!FormatFits(format_, sourceBits_)) return Start::kFormatUnfit;
    layout_ = files::LayoutOf(format_, width, height);
    const bool memory = layout_.frameBytes != 0 &&
                        queue_.Allocate(8 + layout_.frameBytes, kQueueBytes, kQueueMinFrames) &&
                        (sourceBits_ != 16 || grey8_.Allocate(width, height, 8) != 0);
    if (!memory) return Start::kNoMemory;
    durationMs_ = durationMs;
    if (!file_.Open(fileName, format_, layout_, durationMs_, riffLimit_)) {
        errors_.FileFailed("the file could not be created");
        return Start::kFileFailed;
    }

    {
        platform::LockGuard frame(frameLock_);
        started_ = false;
        finished_ = false;
        queued_ = 0;
    }
    frames_ = 0;
    dropped_ = 0;
    bytes_ = file_.Bytes();
    error_ = 0;
    statusFormat_ = static_cast<int>(format_);
    running_ = 1;
    ended_ = std::make_unique<platform::Event>(platform::EventReset::Manual, false);
    thread_ = std::make_unique<platform::Thread>();
    if (!thread_->Start([this] { Main(); })) {
        running_ = 0;
        thread_.reset();
        ended_.reset();
        file_.Finish(files::avi::kStartRate);
        return Start::kNoThread;
    }
    return Start::kStarted;
}

bool Recorder::Queue(const imaging::CDibImage& output, std::uint64_t now) {
    if (finished_) return true;
    std::uint8_t* slot = queue_.Claim();
    if (slot == nullptr) {
        // The disk cannot keep up: the frame is counted, not waited for.
        dropped_.fetch_add(1);
        return false;
    }
    // A frame of another size or depth than the recording's ends it.
    if (!WriteFrameChunk(output, sourceBits_, format_, layout_, grey8_, slot)) {
        finished_ = true;
        queue_.Wake();
        return true;
    }
    QueueClaimed(now);
    return true;
}

std::uint8_t* Recorder::ClaimCameraFrame(int width, int height, int bits, bool* lastRowFirst) {
    if (finished_ || bits != sourceBits_ ||
        !CameraFrameIsFileFrame(width, height, bits, format_, layout_, lastRowFirst)) {
        return nullptr;
    }
    std::uint8_t* slot = queue_.Claim();
    return slot != nullptr ? WriteChunkHeader(layout_, slot) : nullptr;
}

void Recorder::QueueClaimed(std::uint64_t now) {
    if (!started_) {
        started_ = true;
        firstUs_ = now;
    }
    lastUs_ = now;
    ++queued_;
    // The frame that passes the duration is the last one recorded.
    if (now - firstUs_ > 1000ull * durationMs_) finished_ = true;
    queue_.Publish();
    if (finished_) queue_.Wake();
}

std::uint32_t Recorder::QueuedRate() const {
    // Frames per 100 seconds over the time from the first frame to the last.
    const std::uint64_t elapsedUs = lastUs_ - firstUs_;
    if (queued_ < 2 || elapsedUs == 0) return files::avi::kStartRate;
    const std::uint64_t rate = queued_ * 100000000ull / elapsedUs;
    // Slower than a frame per 100 s is still a rate, not none.
    return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(rate, 1, 0xFFFFFFFFu));
}

void Recorder::Reap() {
    if (ended_) ended_->Wait(platform::kInfinite);
    // The thread may still be inside the event's Set: it goes first.
    if (thread_) {
        thread_->Join();
        thread_.reset();
    }
    ended_.reset();
}

void Recorder::Status(NodrixExRecordStatus& s) const {
    s.recording = running_.load() != 0 ? 1 : 0;
    s.framesWritten = frames_.load();
    s.framesDropped = dropped_.load();
    s.bytesWritten = bytes_.load();
    s.error = error_.load();
    s.format = statusFormat_.load();
}

void Recorder::Main() {
    bool failed = false;
    std::uint64_t lastUpdateUs = platform::MonotonicMicroseconds();
    const auto rate = [this] {
        platform::LockGuard frame(frameLock_);
        return QueuedRate();
    };
    for (;;) {
        // What is queued is written even after a stop: a stop finishes the
        // file with every frame taken.
        const std::uint8_t* first = nullptr;
        const std::uint32_t filled = queue_.Filled(&first);
        if (filled > 0) {
            const RecordingFile::Result added = file_.Add(first, filled);
            queue_.Release(filled);
            frames_ = file_.Frames();
            bytes_ = file_.Bytes();
            if (added == RecordingFile::Result::kFailed) {
                failed = true;
                break;
            }
            if (added == RecordingFile::Result::kFull) break;
        } else {
            bool finished = false;
            {
                platform::LockGuard frame(frameLock_);
                finished = finished_;
            }
            // The preview worker ends early only when the camera is lost.
            // Frames queued between the look and the end are still written.
            if ((finished || running_.load() == 0 || acquisitionRuns_.load() == 0) &&
                queue_.Filled(&first) == 0) {
                break;
            }
        }
        const std::uint64_t now = platform::MonotonicMicroseconds();
        if (now - lastUpdateUs >= kUpdateIntervalUs) {
            lastUpdateUs = now;
            if (!file_.Update(rate())) {
                failed = true;
                break;
            }
            bytes_ = file_.Bytes();
        }
        queue_.Wait(kWriterWaitMs);
    }
    {
        // No frame goes into the queue once the recording has ended.
        platform::LockGuard frame(frameLock_);
        finished_ = true;
    }
    // Whatever ended the recording (its duration, a stop of the acquisition,
    // a lost camera, a full or failing disk), the frames recorded so far make
    // a whole file.
    if (!file_.Finish(rate())) failed = true;
    bytes_ = file_.Bytes();
    if (failed) {
        error_ = NODRIX_ERROR_FILE;
        errors_.FileFailed("the file could not be written");
    }
    // The queue stays for the connection's next recording.
    running_ = 0;
    ended_->Set();
}

}  // namespace nodrix
