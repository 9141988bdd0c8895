// Construction, initialisation and destruction of a connection.
#include "connection/CNodrix.h"

#include <cstring>
#include <new>

#include "platform/Time.h"

namespace nodrix {

CNodrix::CNodrix() : rateWindowStart_(platform::MultimediaTime()) {
    preview_.Place(0, 0, 0, geometry_.width, geometry_.height);
}

CNodrix::~CNodrix() {
    // The settings of the selected camera survive the connection.
    SaveGroups(CameraIndex());
    Close();
    if (core_) core_->Shutdown();
    controls_.Attach(nullptr);
    core_.reset();
    for (auto& image : images_) image.reset();
    UnregisterDeviceNotifications(notification_);
    notification_ = 0;
}

int CNodrix::Initialize(platform::WindowHandle recipient) {
    core_ = CreateCameraCore();
    controls_.Attach(core_.get());
    const bool buffersMade = CreateBuffers();
    errors_.SetRecipient(recipient);

    if (recipient != 0) {
        notification_ = RegisterDeviceNotifications(recipient);
        // The connection stays without camera; the handle is still valid.
        if (notification_ == 0) return 0;
    }
    if (!core_ || !buffersMade) {
        PushError(NODRIX_ERROR_MEMORY);
        return 0;
    }
    if (!masks_.Allocate()) return 0;

    const bool firstStart = LoadCaptureGeometry();
    SetUpCore();
    LoadImageGroups(0);
    LoadCameraGroup(CameraIndex());
    LoadConnectionValues();
    // The wait time a first start stores is for the starts that follow;
    // the connection that stored it keeps the one it was made with.
    if (firstStart) waitTimeMs_ = kDefaultWaitTimeMs;
    return 1;
}

bool CNodrix::CreateBuffers() {
    bool all = true;
    for (auto& image : images_) {
        if (!image) image.reset(new (std::nothrow) imaging::CDibImage());
        all = all && image != nullptr;
    }
    return all;
}

void CNodrix::SetUpCore() {
    if (!core_) return;
    core_->SetProductId(kConnectionProductId);
    core_->Setup(reinterpret_cast<void*>(errors_.Recipient()), &kCameraInterfaceClass);
    // A single camera of this model is opened right away; with none the
    // application finds why it has no camera.
    const int cameras = core_->CountCameras(kConnectionProductId);
    if (cameras == 1) SetDeviceNumber(0);
    if (cameras == 0) PushError(NODRIX_ERROR_NOT_PRESENT);
}

int CNodrix::CameraIndex() const {
    if (core_) return core_->GetCameraIndex();
    return deviceNumber_;
}

int CNodrix::Close() {
    if (InOwnFrameCallback()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    // The worker stops before the window it draws into goes away.
    if (core_) StopPreview();
    DestroyPreviewWindow();
    frameReady_ = 0;
    if (core_) core_->StopTransfer();
    return 1;
}

int CNodrix::StopPreview() {
    if (!StopAcquisition()) return 0;
    // The stop ends the library's use of the application's buffer, which it
    // may free now: a later start without one never writes there.
    platform::LockGuard control(controlLock_);
    platform::LockGuard frame(frameLock_);
    appBuffer_ = nullptr;
    appBufferSize_ = 0;
    return 1;
}

int CNodrix::StopAcquisition() {
    if (!core_ || InOwnFrameCallback()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    platform::LockGuard control(controlLock_);
    if (Streaming()) StopStreamLocked();
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

void CNodrix::JoinWorkers() {
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

}  // namespace nodrix
