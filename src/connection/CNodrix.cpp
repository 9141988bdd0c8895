// Construction, initialisation and destruction of a connection.
#include "connection/CNodrix.h"

namespace nodrix {
namespace {

// The worker that runs the last reference's release ends the connection.
void DestroyConnection(void* connection) {
    delete static_cast<CNodrix*>(connection);
}

}  // namespace

CNodrix::CNodrix(platform::DriverPort& port)
    : port_(port),
      acquisition_(AcquisitionLinks{core_, controls_, geometry_, imageParams_, masks_, preview_,
                                    errors_.Stack(), liveDialogs_, colorMode_, subSample_,
                                    waitTimeMs_, maskFilter_, dotFilter_, cameraOpened_},
                   this, DestroyConnection) {
    preview_.Place(0, 0, 0, geometry_.width, geometry_.height);
}

CNodrix::~CNodrix() {
    // The settings of the selected camera survive the connection.
    SaveGroups(CameraIndex());
    Close();
    if (core_) core_->Shutdown();
    controls_.Attach(nullptr);
    core_.reset();
    acquisition_.ReleaseBuffers();
    UnregisterDeviceNotifications(notification_);
    notification_ = 0;
}

int CNodrix::Initialize(platform::WindowHandle recipient) {
    core_ = CreateCameraCore();
    controls_.Attach(core_.get());
    const bool buffersMade = acquisition_.CreateBuffers();
    errors_.Stack().SetRecipient(recipient);

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

void CNodrix::SetUpCore() {
    if (!core_) return;
    core_->SetProductId(kConnectionProductId);
    core_->Setup(port_, reinterpret_cast<void*>(errors_.Stack().Recipient()),
                 &kCameraInterfaceClass);
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
    return acquisition_.Close();
}

}  // namespace nodrix
