// The camera core's frame acquisition: buffers, the acquisition thread and
// its modes, recovery from failed reads, the single capture, and the
// operations through which the connection takes frames.

#include <algorithm>
#include <cstring>
#include <new>

#include "catalogue/CameraCatalogue.h"
#include "core/BufferCapacity.h"
#include "core/CNodrixU3T2Base.h"
#include "platform/Event.h"
#include "platform/Thread.h"
#include "platform/Time.h"
#include "sensors/CSensorBase.h"
#include "transport/CNodrixCy3.h"
#include "transport/FrameDescriptor.h"

namespace nodrix {

namespace {

constexpr std::uint8_t kFpgaFrameCounter = 8;
constexpr std::uint8_t kFpgaImageHeightLow = 64;
constexpr std::uint8_t kFpgaImageHeightHigh = 65;
constexpr std::uint8_t kFpgaImageWidthLow = 68;
constexpr std::uint8_t kFpgaImageWidthHigh = 69;
constexpr std::uint8_t kFpgaStreamStop = 104;
constexpr std::uint8_t kFrameEndpoint = 0x81;

constexpr std::uint32_t kHeaderTimeoutMs = 3000;
constexpr std::uint32_t kCaptureTimeoutMs = 3000;
constexpr std::uint32_t kCaptureGiveUpMs = 10000;
constexpr int kCaptureAttempts = 11;
constexpr int kFailuresBeforeStreamFailed = 5;
constexpr std::uint32_t kThreadJoinMs = 3000;

}  // namespace

// A payload shorter than the frame would leave the rest of the frame stale
// from an earlier one; it counts as a failed read.
bool CNodrixU3T2Base::WholeFrame(const transport::FrameDescriptor& descriptor) const {
    return descriptor.PayloadSize() >= frameSize_;
}

bool CNodrixU3T2Base::ReadPayloadInto(transport::FrameDescriptor& descriptor, std::uint8_t* buffer,
                                      std::size_t capacity, std::uint32_t timeoutMs) {
    descriptor.buffer = buffer;
    descriptor.capacity = static_cast<std::uint32_t>(capacity);
    const bool ok = transport_->ReadFrameData(descriptor, timeoutMs) != 0 && WholeFrame(descriptor);
    descriptor.buffer = nullptr;  // the buffer is the ring's again
    return ok;
}

void CNodrixU3T2Base::DiscardUntakenFrames() {
    const std::uint64_t stored = ring_.Stored();
    statistics_.Overwritten(stored - ring_.Taken());
    ring_.MarkTaken(stored);
}

void CNodrixU3T2Base::CountTaken(std::uint64_t before, std::uint64_t stored, std::uint64_t taken) {
    // Only the newest frame is taken; the ones before it were never seen.
    const std::uint64_t now = std::max(stored, taken);
    if (now > before) statistics_.Overwritten(now - before - (taken > before ? 1 : 0));
    ring_.MarkTaken(now);
}

void CNodrixU3T2Base::CountFailedHeaders() {
    if (transport_) statistics_.HeadersFailed(transport_->TakeFailedHeaderReads());
}

// --- Events ------------------------------------------------------------------

std::shared_ptr<platform::Event> CNodrixU3T2Base::FrameEvent() const {
    platform::LockGuard guard(eventLock_);
    return frameEvent_;
}

void CNodrixU3T2Base::EnsureFrameEvent() {
    platform::LockGuard guard(eventLock_);
    if (!frameEvent_) {
        frameEvent_ = std::make_shared<platform::Event>(platform::EventReset::Auto, false);
    }
}

void CNodrixU3T2Base::SignalFrameEvent() const {
    if (auto event = FrameEvent()) {
        event->Set();
    }
}

void CNodrixU3T2Base::DropFrameEvent() {
    std::shared_ptr<platform::Event> event;
    {
        platform::LockGuard guard(eventLock_);
        event.swap(frameEvent_);
    }
    if (event) {
        event->Set();  // wakes a connection still waiting for a frame
    }
}

void CNodrixU3T2Base::SignalEndEvent() const {
    std::shared_ptr<platform::Event> event;
    {
        platform::LockGuard guard(eventLock_);
        event = endEvent_;
    }
    if (event) {
        event->Set();
    }
}

// --- Buffers -----------------------------------------------------------------

void CNodrixU3T2Base::FreeBuffers() {
    transferCapacity_ = 0;
    ring_.Free();
    frameSize_ = 0;
    geometry_ = core::FrameGeometry{};
}

int CNodrixU3T2Base::PrepareBuffers() {
    transferCapacity_ = 0;
    if (!sensor_) {
        return 0;
    }
    const SensorDescription& description = sensor_->Description();
    const std::uint32_t bytesPerPixel = (bitDepthMode_ == 1 || bitDepthMode_ == 2) ? 2 : 1;
    const std::uint32_t width = description.windowWidth > 0 ? description.windowWidth : 0;
    const std::uint32_t height = description.windowHeight > 0 ? description.windowHeight : 0;
    const std::uint64_t capacity = core::TransferCapacity(width, height, bytesPerPixel);
    if (capacity > 0xFFFFFFFFu) {
        return 0;
    }

    // The ring's buffers are the transfer buffers: each frame is read
    // straight into the buffer that then holds it.
    geometry_ = core::FrameGeometry{width, height, bytesPerPixel};
    frameSize_ = static_cast<std::uint32_t>(geometry_.FrameBytes());
    if (!ring_.Allocate(capacity)) {
        return 0;
    }
    transferCapacity_ = static_cast<std::uint32_t>(capacity);

    WriteFpgaRegister(kFpgaImageWidthLow, width & 0xFF);
    WriteFpgaRegister(kFpgaImageWidthHigh, (width >> 8) & 0xFF);
    WriteFpgaRegister(kFpgaImageHeightLow, height & 0xFF);
    WriteFpgaRegister(kFpgaImageHeightHigh, (height >> 8) & 0xFF);
    const catalogue::CameraModel* model = catalogue::FindCameraModel(productId_);
    if (model != nullptr && model->fpgaStartup) {
        WriteFpgaRegister(72, 10);
        WriteFpgaRegister(73, 0);
        WriteFpgaRegister(76, 32);
        WriteFpgaRegister(77, 0);
    }
    buffersNeedSetup_ = false;
    return 1;
}

// --- Starting and stopping ---------------------------------------------------

int CNodrixU3T2Base::StartTransfer(int mode) {
    // A run that has its one frame ends by itself: wait for it rather than
    // stop the camera's stream, so that the next start finds the camera as
    // it would had that thread already gone.
    if (endingByItself_.load() && thread_) {
        thread_->Join();
        thread_.reset();
    }
    if (running_.load()) {
        StopTransfer();
    }
    EnsureFrameEvent();
    if (!SetAcquisitionMode(mode)) {
        return 0;
    }
    // A thread without buffers would end at once; say so here instead.
    if (buffersNeedSetup_ && !PrepareBuffers()) {
        return 0;
    }
    // A thread that ended by itself (one frame, a trigger, a failed stream)
    // is collected here; the mode and the last frame number stay, so that a
    // trigger that came in between is still seen.
    if (thread_) {
        thread_->Join();
        thread_.reset();
    }
    {
        platform::LockGuard guard(eventLock_);
        endEvent_ = std::make_shared<platform::Event>(platform::EventReset::Auto, false);
    }
    // Cleared here as well as by the thread, so that a WaitFrame right after
    // the start does not report the previous stream's failure.
    streamFailed_.store(false);
    endingByItself_.store(false);
    running_.store(true);
    auto thread = std::make_unique<platform::Thread>();
    if (!thread->Start([this] { ThreadBody(); }, platform::ThreadPriority::TimeCritical)) {
        running_.store(false);
        return 0;
    }
    thread_ = std::move(thread);
    if (sensor_) {
        sensor_->OnStreamStart();
    }
    return 1;
}

void CNodrixU3T2Base::ThreadBody() {
    if (UsesStreamEndpoint()) {
        StreamAcquisitionLoop();
    } else {
        AcquisitionLoop();
    }
}

int CNodrixU3T2Base::StopTransfer() {
    if (sensor_) {
        sensor_->OnStreamStop();
    }
    std::shared_ptr<platform::Event> endEvent;
    {
        platform::LockGuard guard(eventLock_);
        endEvent = endEvent_;
    }
    // The thread looks at the running flag between reads; the read in
    // progress is interrupted, so the thread ends within one short wait
    // rather than when the header exchange or the payload read runs out.
    // Every way out of the thread body signals the end event.
    const bool wasRunning = running_.exchange(false);
    if (wasRunning && transport_) {
        transport_->InterruptReads();
    }
    if (wasRunning && endEvent) {
        endEvent->Wait(platform::kInfinite);
    }
    if (thread_) {
        thread_->Join();
        thread_.reset();
    }
    // Only now: the thread is gone, and the next start or single capture
    // reads again.
    if (transport_) {
        transport_->AllowReads();
    }
    platform::SleepMs(1);
    {
        platform::LockGuard guard(eventLock_);
        endEvent_.reset();
    }
    DropFrameEvent();
    // Frames no one took go with the stream.
    DiscardUntakenFrames();
    StopStream();
    platform::SleepMs(5);
    acquisitionMode_.store(kModeContinuous);
    triggeredFrames_.store(0);
    return 1;
}

int CNodrixU3T2Base::SetAcquisitionMode(int mode) {
    if (!transport_) {
        return 0;
    }
    if (mode != acquisitionMode_.load()) {
        StopTransfer();
        EnsureFrameEvent();
        if (mode == kModeTriggered || mode == kModeTriggeredStream) {
            DiscardUntakenFrames();
            ReadTriggerState();
        }
    }
    acquisitionMode_.store(mode);
    return 1;
}

int CNodrixU3T2Base::StreamResetRegister() const {
    if (!sensor_) {
        return 0;
    }
    switch (sensor_->ModelCode()) {
        case 122:
            return 0;
        case 103:
        case 115:
            return 150;
        default:
            return 108;
    }
}

void CNodrixU3T2Base::PulseStreamReset() {
    const int reg = StreamResetRegister();
    if (reg == 0 || !transport_) {
        return;
    }
    transport_->WriteFpgaRegister(static_cast<std::uint8_t>(reg), 1);
    platform::SleepMs(1);
    transport_->WriteFpgaRegister(static_cast<std::uint8_t>(reg), 0);
    platform::SleepMs(1);
}

int CNodrixU3T2Base::StopStream() {
    if (!transport_) {
        return 0;
    }
    if (UsesStreamEndpoint()) {
        transport_->ResetPort();
        transport_->VendorCommandC0();
        return 1;
    }
    if (FirmwareVersion() >= 0x1100) {
        transport_->ResetDataPipe(kFrameEndpoint);
    }
    PulseStreamReset();
    transport_->WriteFpgaRegister(kFpgaStreamStop, 2);
    transport_->VendorCommandC0();
    return 1;
}

// --- The thread bodies ---------------------------------------------------------

void CNodrixU3T2Base::FinishThread() {
    if (transport_) {
        transport_->CloseDataHandle();
    }
    CountFailedHeaders();
    statistics_.StreamEnded();
    if (core::FrameSink* const sink = sink_.load()) sink->AcquisitionEnded(streamFailed_.load());
    SignalEndEvent();
    if (streamFailed_.load()) {
        SignalFrameEvent();
    }
    running_.store(false);
}

int CNodrixU3T2Base::AcquisitionLoop() {
    if (!transport_ || !ring_.Ready()) {
        FinishThread();
        return 0;
    }
    transport::FrameDescriptor descriptor{};
    streamFailed_.store(false);
    statistics_.StreamStarted();
    transport_->TakeFailedHeaderReads();  // tries of an earlier run, or cut short
    if (!transport_->EnsureDataHandle()) {
        // The device is gone: say so to the waiting connection rather than
        // leave it waiting for frames that cannot come.
        streamFailed_.store(true);
        FinishThread();
        return 0;
    }
    int failures = 0;
    int counterFailures = 0;
    while (running_.load()) {
        const int timeoutMs = frameTimeoutMs_.load();
        if (sensorCommandPending_.exchange(false) && sensor_) {
            sensor_->SetExposureTenths(sensorCommandValue_.load());
        }
        const int mode = acquisitionMode_.load();
        const bool triggered = mode == kModeTriggered || mode == kModeTriggeredStream;

        if (triggered) {
            // A frame is read only once the camera's frame counter moved.
            std::uint8_t counter = 0;
            if (transport_->ReadFpgaRegister(kFpgaFrameCounter, &counter) == 0) {
                // Between triggers the camera is only asked for its counter:
                // a camera that stops answering is gone, as one whose frame
                // reads fail, and the waiting connection hears of it now
                // rather than when its frame wait runs out.
                if (!running_.load()) break;
                if (++counterFailures >= kFailuresBeforeStreamFailed) {
                    streamFailed_.store(true);
                    SignalFrameEvent();
                    break;
                }
                platform::SleepMs(1);
                continue;
            }
            counterFailures = 0;
            if (counter == lastFrameNumber_.load()) {
                platform::SleepMs(1);
                continue;
            }
            lastFrameNumber_.store(counter);
        }

        bool ok = transport_->ReadStatusBlock(descriptor) != 0;
        CountFailedHeaders();
        if (ok && mode != kModeHeaderOnly) statistics_.HeaderRead(descriptor.frameNumber);
        if (ok && mode == kModeHeaderOnly) {
            lastFrameNumber_.store(descriptor.frameNumber);
            break;
        }
        core::FrameSink* const sink = sink_.load();
        if (ok) {
            if (!triggered) {
                lastFrameNumber_.store(descriptor.frameNumber);
            }
            const auto timeout = static_cast<std::uint32_t>(timeoutMs);
            ok = sink != nullptr ? ReadIntoSink(*sink, descriptor, timeout)
                                 : ReadIntoRing(descriptor, timeout);
            // A payload cut short by a stop is no loss of the camera's.
            if (!ok && running_.load()) statistics_.PayloadFailed();
        }
        if (ok) {
            streamFailed_.store(false);
            failures = 0;
            // Said before the frame is signalled: whoever takes it may
            // start the next run before this thread is gone.
            if (mode == kModeSingle || mode == kModeTriggered) endingByItself_.store(true);
            if (sink == nullptr) SignalFrameEvent();
            if (mode == kModeSingle) {
                break;
            }
            if (triggered) {
                triggeredFrames_.fetch_add(1);
                if (mode == kModeTriggered) break;
            }
            continue;
        }

        // A read cut short by a stop is no failure of the camera; the frame
        // it was reading is dropped with it.
        if (!running_.load()) {
            break;
        }
        // A failed header or payload read: reset the stream and try again,
        // until five failures in a row say the camera is gone.
        transport_->CloseDataHandle();
        if (++failures >= kFailuresBeforeStreamFailed) {
            streamFailed_.store(true);
            SignalFrameEvent();
            break;
        }
        PulseStreamReset();
        transport_->EnsureDataHandle();
    }
    FinishThread();
    return 1;
}

bool CNodrixU3T2Base::ReadIntoRing(transport::FrameDescriptor& descriptor,
                                   std::uint32_t timeoutMs) {
    return ring_.FillNext(
        [&](std::uint8_t* buffer, std::size_t capacity) {
            const bool whole = ReadPayloadInto(descriptor, buffer, capacity, timeoutMs);
            // Counted before the frame is published, so that no reader
            // delivers a frame not yet received.
            if (whole) statistics_.FrameCompleted();
            return whole;
        },
        lastFrameNumber_.load());
}

bool CNodrixU3T2Base::ReadIntoSink(core::FrameSink& sink, transport::FrameDescriptor& descriptor,
                                   std::uint32_t timeoutMs) {
    std::size_t capacity = 0;
    bool behind = false;
    std::uint8_t* const destination =
        sink.NextDestination(descriptor.PayloadSize(), &capacity, &behind);
    bool whole = false;
    if (destination == nullptr || capacity < frameSize_) {
        // The payload must leave the camera all the same; the ring takes
        // it and forgets it at once.
        whole = ReadIntoRing(descriptor, timeoutMs);
        if (whole) {
            ring_.MarkAllTaken();
            if (behind) {
                statistics_.Overwritten(1);
            } else {
                statistics_.NoBuffer(1);
            }
        }
        if (destination == nullptr) return whole;
    } else if (capacity >= descriptor.PayloadSize()) {
        // The frame's own buffer: the whole payload in one bulk read, which
        // saves the transfer bookkeeping of every further piece.
        descriptor.pieceBytes = descriptor.PayloadSize();
        whole = ReadPayloadInto(descriptor, destination, capacity, timeoutMs);
        descriptor.pieceBytes = 0;
        if (whole) statistics_.FrameCompleted();
    } else {
        // A payload longer than the frame: its frame is the first bytes.
        whole = ReadIntoRing(descriptor, timeoutMs) &&
                ring_.CopyOut(ring_.NewestSlot(), destination, geometry_, {});
        ring_.MarkAllTaken();
    }
    sink.FrameRead(destination, whole && capacity >= frameSize_, lastFrameNumber_.load(),
                   platform::MonotonicMicroseconds());
    return whole;
}

core::FrameOrientation CNodrixU3T2Base::RawOrientation() const {
    const int orientationCode = sensor_ ? sensor_->Description().orientationCode : 1;
    return core::OrientationFor(orientationCode, true);
}

int CNodrixU3T2Base::StreamAcquisitionLoop() {
    // The second-endpoint product has no sensor driver in this library, so a
    // device of it never gets this far; the body only ends cleanly.
    FinishThread();
    return 0;
}

int CNodrixU3T2Base::MemoryAcquisitionLoop() {
    // Likewise for the camera-memory products.
    FinishThread();
    return 0;
}

// --- Single capture ------------------------------------------------------------

int CNodrixU3T2Base::CaptureOne() {
    if (!transport_ || running_.load()) {
        return 2;  // the data handle belongs to a running acquisition thread
    }
    if (buffersNeedSetup_) {
        PrepareBuffers();
    }
    if (!ring_.Ready()) {
        return 2;
    }
    transport::FrameDescriptor descriptor{};

    streamFailed_.store(false);
    const std::uint32_t start = platform::TickCount();
    if (transport_->EnsureDataHandle()) {
        for (int attempt = 1;; ++attempt) {
            if (transport_->ReadStatusBlock(descriptor) &&
                ring_.FillFirst(
                    [&](std::uint8_t* buffer, std::size_t capacity) {
                        return ReadPayloadInto(descriptor, buffer, capacity, kCaptureTimeoutMs);
                    },
                    descriptor.frameNumber)) {
                break;
            }
            if (platform::TickCount() - start >= kCaptureGiveUpMs || attempt >= kCaptureAttempts) {
                streamFailed_.store(true);
                break;
            }
        }
    }
    transport_->CloseDataHandle();
    SignalEndEvent();
    return 0;
}

// --- Taking frames ---------------------------------------------------------------

int CNodrixU3T2Base::ReadTriggerState() {
    if (!transport_) {
        return 0;
    }
    std::uint8_t counter = 0;
    if (!transport_->ReadFpgaRegister(kFpgaFrameCounter, &counter)) {
        return 0;
    }
    lastFrameNumber_.store(counter);
    return 1;
}

int CNodrixU3T2Base::SetFrameTimeout(int milliseconds) {
    frameTimeoutMs_.store(milliseconds);
    return 1;
}

int CNodrixU3T2Base::WaitFrame(int milliseconds) {
    if (streamFailed_.load()) {
        return kWaitStreamFailed;
    }
    const std::shared_ptr<platform::Event> event = FrameEvent();
    if (!event) {
        return kWaitNoFrame;
    }
    const std::uint32_t timeout =
        milliseconds < 0 ? platform::kInfinite : static_cast<std::uint32_t>(milliseconds);
    if (!event->Wait(timeout)) {
        return kWaitNoFrame;
    }
    if (streamFailed_.load()) {
        return kWaitStreamFailed;  // woken by the thread giving up
    }
    return ring_.HasUntakenFrame() ? kWaitNewFrame : kWaitNoFrame;
}

int CNodrixU3T2Base::CopyFrame(std::uint8_t* buffer, std::uint32_t length, int fromFirst,
                               int bottomUp) {
    if (buffer == nullptr || length < frameSize_) {
        return 0;
    }
    const std::uint32_t slot = fromFirst ? 0 : ring_.NewestSlot();
    const int orientationCode = sensor_ ? sensor_->Description().orientationCode : 1;
    const core::FrameOrientation orientation = core::OrientationFor(orientationCode, bottomUp != 0);
    return ring_.CopyOut(slot, buffer, geometry_, orientation) ? 1 : 0;
}

int CNodrixU3T2Base::ReadFrame(std::uint8_t* buffer, int bottomUp) {
    if (buffer == nullptr || frameSize_ == 0) {
        return 0;
    }
    // The frame count is read once, so a frame that completes during the
    // copy stays new for the next WaitFrame.
    const std::uint64_t stored = ring_.Stored();
    const int orientationCode = sensor_ ? sensor_->Description().orientationCode : 1;
    const std::uint64_t before = ring_.Taken();
    const std::uint64_t taken =
        ring_.CopyOutNewest(buffer, geometry_, core::OrientationFor(orientationCode, bottomUp != 0),
                            false, &lastReadInfo_);
    CountTaken(before, stored, taken);
    return 0;
}

int CNodrixU3T2Base::ReadFrameKept(std::uint8_t* buffer, bool lastRowFirst) {
    if (buffer == nullptr || frameSize_ == 0) {
        return -1;
    }
    const std::uint64_t stored = ring_.Stored();
    const int orientationCode = sensor_ ? sensor_->Description().orientationCode : 1;
    core::FrameOrientation orientation = core::OrientationFor(orientationCode, true);
    orientation.reverseRows = orientation.reverseRows != lastRowFirst;
    const std::uint64_t before = ring_.Taken();
    const std::uint64_t taken =
        ring_.CopyOutNewest(buffer, geometry_, orientation, true, &lastReadInfo_);
    CountTaken(before, stored, taken);
    return taken != 0 ? 0 : -1;
}

bool CNodrixU3T2Base::CopyKeptFrame(std::uint8_t* buffer) {
    const int orientationCode = sensor_ ? sensor_->Description().orientationCode : 1;
    return ring_.CopyOutKept(buffer, geometry_, core::OrientationFor(orientationCode, true));
}

int CNodrixU3T2Base::ReadFrameDirect(std::uint8_t* buffer, int bottomUp) {
    if (buffer == nullptr) {
        return -2;
    }
    CopyFrame(buffer, frameSize_, 1, bottomUp);
    return 0;
}

}  // namespace nodrix
