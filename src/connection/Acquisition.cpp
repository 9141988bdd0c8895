// The acquisition modes: preparation, preview, capture, snapshots, trigger
// mode, the copy of the output image into the application's buffer, and the
// stops.
#include "connection/Acquisition.h"

#include <cstring>
#include <new>

#include "connection/CaptureWindowCheck.h"
#include "imaging/ConversionKernels.h"
#include "pipeline/FrameConverter.h"
#include "platform/Time.h"

namespace nodrix {
namespace {

// Externally triggered frames may be far apart.
constexpr int kTriggerFrameTimeoutMs = 6000;

}  // namespace

Acquisition::Acquisition(const AcquisitionLinks& links, void* owner, void (*destroyOwner)(void*))
    : core_(links.core),
      controls_(links.controls),
      geometry_(links.geometry),
      imageParams_(links.imageParams),
      masks_(links.masks),
      preview_(links.preview),
      errors_(links.errors),
      liveDialogs_(links.liveDialogs),
      colorMode_(links.colorMode),
      subSample_(links.subSample),
      waitTimeMs_(links.waitTimeMs),
      maskFilter_(links.maskFilter),
      dotFilter_(links.dotFilter),
      cameraOpened_(links.cameraOpened),
      owner_(owner),
      destroyOwner_(destroyOwner),
      rateWindowStart_(platform::MultimediaTime()) {}

bool Acquisition::CreateBuffers() {
    bool all = true;
    for (auto& image : images_) {
        if (!image) image.reset(new (std::nothrow) imaging::CDibImage());
        all = all && image != nullptr;
    }
    return all;
}

void Acquisition::ReleaseBuffers() {
    for (auto& image : images_) image.reset();
}

imaging::CDibImage& Acquisition::RawImage() const {
    FillPendingRawFrame();
    const bool sixteen = pipeline::IsSixteenBitRaw(colorMode_);
    return *images_[sixteen ? kRaw16 : kRaw8];
}

imaging::CDibImage& Acquisition::OutputImage() const {
    FillPendingRawFrame();
    return *images_[OutputSlot()];
}

const imaging::CDibImage& Acquisition::OutputImageShape() const {
    return *images_[OutputSlot()];
}

ImageSlot Acquisition::OutputSlot() const {
    static constexpr ImageSlot kOutput[6] = {kRaw8, kRaw16, kRgb24, kRgb32, kRgb48, kRgb64};
    return kOutput[colorMode_];
}

void Acquisition::FillPendingRawFrame() const {
    if (pendingRawSlot_ < 0) return;
    imaging::CDibImage& raw = *images_[pendingRawSlot_];
    pendingRawSlot_ = -1;
    // The raw image was shaped for that frame when it was delivered; a
    // reshaped image has no frame to take.
    if (!raw.Empty() && core_->FrameSize() == raw.SizeBytes()) {
        core_->CopyKeptFrame(raw.Pixels());
        // What the pipeline would have recorded for a frame it left as it
        // came: the camera's own sample depth.
        raw.SetSignificantBits(raw.Bits() == 16 ? pipeline::kCameraSampleBits16 : 8);
    }
}

const imaging::CDibImage* Acquisition::FrameGoingAsItComes() {
    if (colorMode_ != 0 && colorMode_ != 1) return nullptr;
    // Rows without padding, so that a buffer takes the core's rows as they
    // are.
    const imaging::CDibImage& raw = *images_[colorMode_ == 1 ? kRaw16 : kRaw8];
    if (raw.Empty() || raw.Stride() != raw.Width() * raw.BytesPerPixel() ||
        core_->FrameSize() != raw.SizeBytes()) {
        return nullptr;
    }
    return ConvertsNothing() ? &raw : nullptr;
}

bool Acquisition::CanDeliverStraight(const void* buffer, int size) {
    if (buffer == nullptr || size <= 0 || preview_.IsOpen() || Recording()) return false;
    const imaging::CDibImage* raw = FrameGoingAsItComes();
    return raw != nullptr && static_cast<std::size_t>(size) >= raw->SizeBytes();
}

int Acquisition::DeliverStraight(void* buffer, int rowOrder) {
    pendingRawSlot_ = -1;
    const int result = core_->ReadFrameKept(static_cast<std::uint8_t*>(buffer), rowOrder == 0);
    if (result == 0) pendingRawSlot_ = colorMode_ == 1 ? kRaw16 : kRaw8;
    return result;
}

void Acquisition::PostFrameMessage(std::uintptr_t wParam, std::intptr_t lParam) {
    // Posted, never sent: a window that has gone away simply misses it.
    platform::PostWindowMessage(callbackWindow_, NODRIX_WM_FRAME, wParam, lParam);
}

int Acquisition::CopyOut(const imaging::CDibImage& image, int rowOrder, void* buffer, int size) {
    const std::size_t needed = image.SizeBytes();
    if (buffer == nullptr || size < 0 || static_cast<std::size_t>(size) < needed) {
        PushError(NODRIX_ERROR_MEMORY);
        PostFrameMessage(0, NODRIX_ERROR_MEMORY);
        return 0;
    }
    auto* out = static_cast<std::uint8_t*>(buffer);
    const int stride = image.Stride();
    const int height = image.Height();
    for (int row = 0; row < height; ++row) {
        const int from = rowOrder != 0 ? row : height - 1 - row;
        std::memcpy(out + static_cast<std::size_t>(row) * stride, image.Row(from),
                    static_cast<std::size_t>(stride));
    }
    return 1;
}

int Acquisition::Prepare() {
    // Without a camera chosen (several attached, none selected) nothing
    // else could tell the application what is missing.
    if (!cameraOpened_ || !core_->IsCameraPresent(core_->GetCameraIndex())) {
        return PushError(NODRIX_ERROR_NOT_PRESENT), 0;
    }
    const CaptureGeometry& g = geometry_;
    if (!CaptureWindowFits(g, subSample_)) return PushError(NODRIX_ERROR_CAPTURE_WINDOW), 0;

    const int width = OutputWidth();
    const int height = OutputHeight();
    const int mode = colorMode_;
    {
        // A worker of another connection state never runs here, but a
        // GetImage of the application may.
        platform::LockGuard guard(frameLock_);
        FillPendingRawFrame();  // before the core's buffers are reshaped
        bool sized = true;
        const auto size = [&](ImageSlot slot, int bits) {
            imaging::CDibImage& image = *images_[slot];
            if (image.Width() == width && image.Height() == height && image.Bits() == bits) return;
            image.Release();
            sized = image.Allocate(width, height, bits) != 0 && sized;
        };
        if (mode <= 3) size(kRaw8, 8);
        if (pipeline::IsSixteenBitRaw(mode)) size(kRaw16, 16);
        if (mode != 1) size(kRgb24, 24);
        if (mode == 3) size(kRgb32, 32);
        if (mode == 4) size(kRgb48, 48);
        if (mode == 5) size(kRgb64, 64);
        size(kScratch, kColorModeBits[mode]);
        if (!sized) return PushError(NODRIX_ERROR_MEMORY), 0;
    }

    core_->SetTransferBits(pipeline::IsSixteenBitRaw(mode) ? 1 : 0);
    if (!core_->SetCaptureWindow(g.horizontalStart, g.verticalStart, g.width, g.height,
                                 subSample_)) {
        return PushError(NODRIX_ERROR_CAPTURE_WINDOW), 0;
    }

    // A sensor that does not take its mirrors, gain or exposure (a busy
    // register bus, a sensor that does not answer) would deliver frames
    // made with other settings than the application asked for.
    if (!controls_.ApplyForAcquisition()) return PushError(NODRIX_ERROR_FRAME), 0;
    core_->Restart();

    SizeDisplayToWindow();
    return 1;
}

int Acquisition::ReadRawFrame() {
    pendingRawSlot_ = -1;  // replaced by the frame read now
    imaging::CDibImage& raw = RawImage();
    const int packed = raw.Width() * raw.BytesPerPixel();
    // The core copies a whole frame without knowing the buffer's size.
    if (raw.Empty() || core_->FrameSize() > raw.SizeBytes()) return -1;
    const int result = core_->ReadFrame(raw.Pixels(), 1);
    if (raw.Stride() != packed) {
        imaging::KernelRect rect{0, 0, raw.Width(), raw.Height()};
        const imaging::PixelKernel expand =
            raw.Bits() == 16 ? imaging::ExpandRows16 : imaging::ExpandRows8;
        expand(raw.Pixels(), raw.Pixels(), rect, 0, 0, raw.BytesPerPixel(), raw.BytesPerPixel(),
               raw.Stride(), packed, nullptr);
    }
    return result;
}

void Acquisition::StopUnlessCapturing() {
    if (mode_.load() != kCapturing) core_->StopTransfer();
}

int Acquisition::Capture() {
    if (!core_ || InOwnFrameCallback() || Streaming()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    platform::LockGuard control(controlLock_);
    const int mode = mode_.load();
    if (mode == kPreviewing || mode == kTriggering || mode == kStreaming) {
        return PushError(NODRIX_ERROR_NO_CORE), 0;
    }
    if (mode == kCapturing) return 1;
    if (!Prepare()) return 0;
    mode_ = kCapturing;
    return 1;
}

int Acquisition::SnapShot(void* buffer, int size, int rowOrder) {
    if (!core_ || InOwnFrameCallback() || Streaming()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    platform::LockGuard control(controlLock_);
    const int mode = mode_.load();
    if (mode == kPreviewing || mode == kTriggering || mode == kStreaming) {
        return PushError(NODRIX_ERROR_NO_CORE), 0;
    }
    if (mode == kIdle && !Prepare()) return 0;

    platform::LockGuard frame(frameLock_);
    if (!core_->StartTransfer(1) || core_->WaitFrame(frameTimeoutMs_) != kWaitNewFrame) {
        StopUnlessCapturing();
        return PushError(NODRIX_ERROR_FRAME), 0;
    }
    const bool straight = CanDeliverStraight(buffer, size);
    if ((straight ? DeliverStraight(buffer, rowOrder) : ReadRawFrame()) != 0) {
        PostFrameMessage(0, NODRIX_ERROR_FRAME);
        StopUnlessCapturing();
        return PushError(NODRIX_ERROR_FRAME), 0;
    }
    if (!straight) Convert();
    StampConvertedFrame(straight);
    if (!straight && buffer != nullptr && size != 0 &&
        !CopyOut(OutputImage(), rowOrder, buffer, size)) {
        core_->Statistics().BufferTooSmall();
        StopUnlessCapturing();
        return PushError(NODRIX_ERROR_MEMORY), 0;
    }
    RecordDelivery(straight);
    StopUnlessCapturing();
    frameReady_ = 1;
    return 1;
}

int Acquisition::StartPreview() {
    if (!core_ || InOwnFrameCallback() || Streaming()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    platform::LockGuard control(controlLock_);
    const int mode = mode_.load();
    if (mode == kPreviewing) return 1;
    if (mode != kIdle) return PushError(NODRIX_ERROR_NO_CORE), 0;
    if (!Prepare()) return 0;
    if (!core_->StartTransfer(0)) {
        StopPreview();
        return PushError(NODRIX_ERROR_CAMERA_REQUEST), 0;
    }
    mode_ = kPreviewing;
    if (!StartWorker()) {
        StopPreview();
        return PushError(NODRIX_ERROR_THREAD), 0;
    }
    return 1;
}

int Acquisition::StartPreviewWithWindow() {
    if (!OpenPreviewWindow()) return 0;
    if (!StartPreview()) {
        Close();
        return PushError(NODRIX_ERROR_FRAME), 0;
    }
    return 1;
}

int Acquisition::Preview() {
    return CallBackPreview(0, nullptr, 0, 0);
}

int Acquisition::CallBackPreview(platform::WindowHandle window, void* buffer, int size,
                                 int rowOrder) {
    if (!core_ || InOwnFrameCallback() || Streaming()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    platform::LockGuard control(controlLock_);
    {
        // A running worker picks the new values up with its next frame.
        platform::LockGuard frame(frameLock_);
        callbackWindow_ = window;
        appBuffer_ = buffer;
        appBufferSize_ = size;
        rowOrder_ = rowOrder;
    }
    return StartPreviewWithWindow();
}

int Acquisition::Trigger(platform::WindowHandle window, void* buffer, int size, int rowOrder) {
    if (!core_ || InOwnFrameCallback() || Streaming()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    platform::LockGuard control(controlLock_);
    // One worker per connection: a running trigger mode is not restarted.
    if (mode_.load() != kIdle) return PushError(NODRIX_ERROR_NO_CORE), 0;
    {
        platform::LockGuard frame(frameLock_);
        callbackWindow_ = window;
        appBuffer_ = buffer;
        appBufferSize_ = size;
        rowOrder_ = rowOrder;
    }
    if (!OpenPreviewWindow()) return 0;
    if (!Prepare()) {
        Close();
        return 0;
    }
    mode_ = kTriggering;
    frameTimeoutMs_ = kTriggerFrameTimeoutMs;
    core_->SetFrameTimeout(kTriggerFrameTimeoutMs);
    core_->SetTriggerMode(1, 0);
    if (!StartWorker()) {
        Close();
        return PushError(NODRIX_ERROR_THREAD), 0;
    }
    return 1;
}

int Acquisition::GetImage(void* buffer, int size, int rowOrder) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    // The stream's frames are in the application's buffers, not in the
    // output image, which still holds the last frame of another mode: the
    // stream hands out every frame, so there is nothing to peek at.
    if (Streaming()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    platform::LockGuard frame(frameLock_);
    imaging::CDibImage& output = OutputImage();
    if (output.Empty()) return PushError(NODRIX_ERROR_MEMORY), 0;
    if (buffer == nullptr) return PushError(NODRIX_ERROR_MEMORY), 0;
    // CopyOut has recorded a buffer that is too small.
    if (!CopyOut(output, rowOrder, buffer, size)) return 0;
    // The frame of the output image once more; it was counted when the
    // worker or the snapshot delivered it.
    frames_.RedeliverOutput();
    return 1;
}

int Acquisition::Close() {
    if (InOwnFrameCallback()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    // The worker stops before the window it draws into goes away.
    if (core_) StopPreview();
    DestroyPreviewWindow();
    frameReady_ = 0;
    if (core_) core_->StopTransfer();
    return 1;
}

int Acquisition::StopPreview() {
    if (!StopAcquisition()) return 0;
    // The stop ends the library's use of the application's buffer, which it
    // may free now: a later start without one never writes there.
    platform::LockGuard control(controlLock_);
    platform::LockGuard frame(frameLock_);
    appBuffer_ = nullptr;
    appBufferSize_ = 0;
    return 1;
}

int Acquisition::StopAcquisition() {
    if (!core_ || InOwnFrameCallback()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    platform::LockGuard control(controlLock_);
    if (Streaming()) stream_.StopStreamLocked();
    runFlag_ = 0;
    workerStop_.Set();
    {
        // A trigger worker starts each transfer under the frame lock and
        // looks at the run flag first, so none starts after this stop.
        platform::LockGuard frame(frameLock_);
        if (mode_.exchange(kIdle) != kIdle) {
            core_->StopTransfer();
        }
    }
    JoinWorkers();
    return 1;
}

void Acquisition::JoinWorkers() {
    if (workerEnded_) {
        workerEnded_->Wait(platform::kInfinite);
        workerEnded_.reset();
    }
    if (worker_) {
        worker_->Join();
        worker_.reset();
    }
    recorder_.End();
    // The recording thread finishes its file before it ends.
    ReapRecorder();
}

int Acquisition::SuspendAcquisition() {
    const int mode = mode_.load();
    if (mode == kPreviewing || mode == kCapturing) {
        // Resumed with the same buffer.
        StopAcquisition();
    } else if (mode == kTriggering) {
        // Paused, not stopped: the trigger worker waits until the run flag
        // is back to 1.
        int running = 1;
        runFlag_.compare_exchange_strong(running, 2);
    } else if (mode == kStreaming) {
        // Paused, not stopped: the waiters wait on, the buffers stay queued.
        stream_.PauseStream();
    }
    return mode;
}

void Acquisition::ResumeAcquisition(int mode) {
    if (mode == kPreviewing) {
        StartPreview();
    } else if (mode == kCapturing) {
        Capture();
    } else if (mode == kTriggering) {
        int paused = 2;
        runFlag_.compare_exchange_strong(paused, 1);
    } else if (mode == kStreaming) {
        stream_.ResumeStream();
    }
}

}  // namespace nodrix
