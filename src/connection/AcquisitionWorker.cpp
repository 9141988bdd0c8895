// The worker thread of a connection: the preview loop (one frame cycle per
// new frame of the continuous transfer) and the trigger loop (one frame per
// external trigger), with the frame-rate measurement.
#include "connection/Acquisition.h"
#include "pipeline/FrameConverter.h"
#include "platform/Time.h"

namespace nodrix {
namespace {

constexpr int kPreviewFrameWaitMs = 3000;
constexpr int kTriggerFrameWaitMs = 60000;
constexpr std::uint32_t kPausePollMs = 10;
constexpr std::uint32_t kRateWindowMs = 1000;

// Writes a field only when it changes, so the record that the application
// reads between frames is rewritten no more than needed.
template <typename T>
void Update(T& field, T value) {
    if (field != value) field = value;
}

}  // namespace

int Acquisition::StartWorker() {
    frameCount_ = 0;
    frameRate10_ = 0;
    rateWindowStart_ = platform::MultimediaTime();
    workerStop_.Reset();
    runFlag_ = 1;
    workerEnded_ = std::make_unique<platform::Event>(platform::EventReset::Manual, false);
    worker_ = std::make_unique<platform::Thread>();
    if (!worker_->Start([this] { WorkerMain(); })) {
        // Nothing will signal the event: drop it so that a stop does not
        // wait for a thread that never ran.
        runFlag_ = 0;
        worker_.reset();
        workerEnded_.reset();
        return 0;
    }
    return 1;
}

void Acquisition::WorkerMain() {
    if (mode_.load() == kTriggering) {
        TriggerLoop();
    } else {
        PreviewLoop();
    }
    workerEnded_->Set();
    // Nothing touches the connection after this.
    if (destroyedByWorker_.load()) destroyOwner_(owner_);
}

void Acquisition::DestroyWhenWorkerEnds() {
    destroyedByWorker_ = true;
    runFlag_ = 0;
    workerStop_.Set();
}

void Acquisition::UpdateFrameRate() {
    ++frameCount_;
    const std::uint32_t now = platform::MultimediaTime();
    const std::uint32_t elapsed = now - rateWindowStart_;
    if (elapsed > kRateWindowMs) {
        frameRate10_ = static_cast<int>(static_cast<std::uint64_t>(frameCount_) * 10000u / elapsed);
        frameCount_ = 0;
        rateWindowStart_ = now;
    }
}

bool Acquisition::DeliverFrame(int rate10, bool checkRead) {
    platform::LockGuard frame(frameLock_);
    // A frame that the pipeline would leave as it is goes straight from the
    // camera core into the application's buffer: one copy.
    const bool straight = CanDeliverStraight(appBuffer_, appBufferSize_);
    // So does a recorded frame into the recording's queue.
    int recordRowOrder = 0;
    std::uint8_t* const recordSlot = straight ? nullptr : StraightRecordingSlot(&recordRowOrder);
    const int read = straight     ? DeliverStraight(appBuffer_, rowOrder_)
                     : recordSlot ? DeliverStraight(recordSlot, recordRowOrder)
                                  : ReadRawFrame();
    // A claimed slot that got no frame is simply not queued.
    recordedStraight_ = recordSlot != nullptr && read == 0;
    if (checkRead && read != 0) {
        PushError(NODRIX_ERROR_FRAME);
        PostFrameMessage(0, NODRIX_ERROR_FRAME);
        return false;
    }
    const imaging::CDibImage& raw =
        *images_[pipeline::IsSixteenBitRaw(colorMode_) ? kRaw16 : kRaw8];
    Update(frameInfo_.reserved, 0);
    Update(frameInfo_.width, static_cast<std::int32_t>(raw.Width()));
    Update(frameInfo_.height, static_cast<std::int32_t>(raw.Height()));
    Update(frameInfo_.bitsPerPixel, static_cast<std::int32_t>(kColorModeBits[colorMode_]));
    Update(frameInfo_.buffer, appBuffer_);
    if (rate10 < 0) {
        UpdateFrameRate();
        rate10 = frameRate10_;
    }
    Update(frameInfo_.frameRate10, static_cast<std::int32_t>(rate10));

    if (!straight && !recordedStraight_) Convert();
    StampConvertedFrame(straight || recordedStraight_);
    frameReady_ = 1;
    if (recordedStraight_) {
        recorder_.QueueClaimed(frames_.OutputMetadata().timestampUs);
    } else if (Recording()) {
        QueueRecordingFrame();
    }
    if (straight) {
        RecordDelivery(true);
        if (mode_.load() == kTriggering) {
            PostFrameMessage(reinterpret_cast<std::uintptr_t>(&frameInfo_), 0);
        }
        return true;
    }
    if (mode_.load() == kTriggering) {
        if (!CopyToApplicationBuffer()) return false;
        RecordDelivery(false, recordedStraight_);
        PostFrameMessage(reinterpret_cast<std::uintptr_t>(&frameInfo_), 0);
        Draw();
        return true;
    }
    Draw();
    if (!CopyToApplicationBuffer()) return false;
    RecordDelivery(false, recordedStraight_);
    // Posted after the lock is released in the loop; the window is read
    // here, under the lock that guards it.
    return true;
}

void Acquisition::ReportCameraLost() {
    // Recorded before the application hears of it, so that an application
    // reacting to the message finds the code.
    runFlag_ = 0;
    PushError(NODRIX_ERROR_CAMERA_LOST);
    PostFrameMessage(0, NODRIX_ERROR_CAMERA_LOST);
}

void Acquisition::PreviewLoop() {
    while (runFlag_.load() != 0) {
        workerStop_.Wait(static_cast<std::uint32_t>(waitTimeMs_));
        if (runFlag_.load() != 1) continue;
        const int result = core_->WaitFrame(kPreviewFrameWaitMs);
        if (runFlag_.load() == 0) break;  // woken by the stop itself
        if (result == kWaitStreamFailed) {
            ReportCameraLost();
            break;
        }
        if (result != kWaitNewFrame) continue;
        if (!DeliverFrame(-1, true)) continue;
        InvokeFrameCallback();
        platform::WindowHandle window = 0;
        {
            platform::LockGuard frame(frameLock_);
            window = callbackWindow_;
        }
        if (runFlag_.load() == 1 && window != 0) {
            platform::PostWindowMessage(window, NODRIX_WM_FRAME,
                                        reinterpret_cast<std::uintptr_t>(&frameInfo_), 0);
        }
    }
}

void Acquisition::TriggerLoop() {
    // Let an exposure in progress end before the frame counter is read; a
    // stop ends this wait (up to the longest exposure) at once.
    bool read = false;
    const int tenths = controls_.ReadFilterValue(NODRIX_FILTER_EXPOSURE_TIME, &read);
    workerStop_.Wait(static_cast<std::uint32_t>(tenths / 10 + 100));
    if (runFlag_.load() == 0) return;
    core_->ReadTriggerState();
    while (runFlag_.load() != 0) {
        if (runFlag_.load() != 1) {
            workerStop_.Wait(kPausePollMs);
            continue;
        }
        bool started = false;
        {
            platform::LockGuard frame(frameLock_);
            if (runFlag_.load() == 0) break;
            started = core_->StartTransfer(2);
        }
        // A transfer that cannot start or a stream that fails means the
        // camera is gone, reported as the preview reports it.
        const int result = started ? core_->WaitFrame(kTriggerFrameWaitMs) : kWaitStreamFailed;
        if (runFlag_.load() == 0) break;
        if (result == kWaitStreamFailed) {
            ReportCameraLost();
            break;
        }
        if (result != kWaitNewFrame) continue;
        if (DeliverFrame(0, false)) InvokeFrameCallback();
    }
}

}  // namespace nodrix
