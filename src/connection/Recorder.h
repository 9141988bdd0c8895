#pragma once
// A connection's recorder: the recording thread, the queue between the
// worker and it, the file, and the state of the running or last recording.
// The worker puts every converted frame into the queue, in the camera's
// order, until the duration (counted from the first frame's time) has
// passed; the recording thread writes the queue into the file in large
// writes, brings the file up to date at least once a second, and finishes it
// when the duration has passed, the acquisition stops or the camera is lost.
//
// Locks: the worker's side of a recording (its first and latest frame, its
// end) is kept under the connection's frame lock, which the worker holds for
// the whole frame; the recording thread takes it only to read that side.

#include <atomic>
#include <cstdint>
#include <memory>

#include "NodrixSdkEx.h"
#include "connection/ErrorStack.h"
#include "connection/RecordingFile.h"
#include "connection/RecordingQueue.h"
#include "files/RecordFormat.h"
#include "imaging/CDibImage.h"
#include "platform/Event.h"
#include "platform/RecursiveLock.h"
#include "platform/Thread.h"

namespace nodrix {

class Recorder {
public:
    // acquisitionRuns: the worker's run flag (0: stopped); the recording
    // ends once it is 0 and the queue is empty. Failures of the file go to
    // the error stack.
    Recorder(platform::RecursiveLock& frameLock, const std::atomic<int>& acquisitionRuns,
             ErrorStack& errors);
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // The format of the next recordings, and (tests) a smaller RIFF limit.
    void SetNextFormat(files::RecordFormat format) { nextFormat_ = format; }
    void SetRiffLimit(std::uint64_t bytes) { riffLimit_ = bytes; }

    enum class Start { kStarted, kFormatUnfit, kNoMemory, kFileFailed, kNoThread };
    // Opens the file for frames of the output's shape and starts the
    // recording thread. A file that cannot be made is on the error stack
    // already (kFileFailed); the other failures are the caller's to report.
    Start Begin(const char* fileName, std::uint32_t durationMs, int width, int height,
                int sourceBits);
    // Whether a recording runs; cleared once its file is complete.
    bool Running() const { return running_.load() != 0; }
    // Asks the running recording to end: the queued frames are still written.
    void End() {
        running_ = 0;
        queue_.Wake();
    }
    // Joins the recording thread once it has ended (a running one is waited
    // for).
    void Reap();

    // The worker's side, under the frame lock: the frame just converted into
    // the queue. False when the queue was full (the frame is counted as not
    // recorded).
    bool Queue(const imaging::CDibImage& output, std::uint64_t timestampUs);
    // The worker's side, under the frame lock, for a camera's frame that is
    // already the file's frame (see CameraFrameIsFileFrame): where in the
    // next slot the frame is to be read, straight from the camera core, and
    // whether last row first; null when the frame cannot go that way (the
    // format, the shape, the recording over, a full queue), and it then
    // takes Queue's way, which counts a full queue.
    std::uint8_t* ClaimCameraFrame(int width, int height, int bits, bool* lastRowFirst);
    // The frame read into the claimed slot is queued, as Queue queues one.
    void QueueClaimed(std::uint64_t timestampUs);

    void Status(NodrixExRecordStatus& status) const;

private:
    void Main();
    // The rate of the frames queued so far, in hundredths of a frame per
    // second. Under the frame lock.
    std::uint32_t QueuedRate() const;

    platform::RecursiveLock& frameLock_;
    const std::atomic<int>& acquisitionRuns_;
    ErrorStack& errors_;

    std::atomic<int> running_{0};
    std::unique_ptr<platform::Thread> thread_;
    std::unique_ptr<platform::Event> ended_;
    // The running recording. Set before its thread starts: its format, the
    // frame layout and the output's bit count it was started for, its
    // length from the first frame. The queue's producer is the worker (under
    // the frame lock), its consumer the recording thread, which alone
    // touches the file. The queue's memory stays from one recording to the
    // next (a connection that records once tends to record again) and goes
    // with the connection.
    files::RecordFormat format_ = files::RecordFormat::kClassic;
    files::RecordFormat nextFormat_ = files::RecordFormat::kClassic;
    std::uint64_t riffLimit_ = files::AviOpenDmlWriter::kRiffLimit;
    files::FrameLayout layout_;
    int sourceBits_ = 0;
    std::uint32_t durationMs_ = 0;
    RecordingQueue queue_;
    RecordingFile file_;
    imaging::CDibImage grey8_;
    // Worker side, under the frame lock: the first and the latest frame's
    // time, and whether the duration has passed (no frame is taken after).
    bool started_ = false;
    bool finished_ = false;
    std::uint64_t firstUs_ = 0;
    std::uint64_t lastUs_ = 0;
    std::uint64_t queued_ = 0;
    // Read by the status from any thread.
    std::atomic<std::uint64_t> frames_{0};
    std::atomic<std::uint64_t> dropped_{0};
    std::atomic<std::uint64_t> bytes_{0};
    std::atomic<int> error_{0};
    std::atomic<int> statusFormat_{0};
};

}  // namespace nodrix
