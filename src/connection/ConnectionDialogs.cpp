#include "connection/ConnectionDialogs.h"

#include <atomic>

#include "settings/CAnalogDlg.h"
#include "settings/CCameraDlg.h"
#include "settings/CImageDlg.h"
#include "settings/DialogHost.h"

namespace nodrix {

namespace {

// One dialog of each kind at a time in the process: a second request while
// one is open (from another thread or handle) is refused.
std::atomic<bool> cameraDialogOpen{false};
std::atomic<bool> imageDialogOpen{false};
std::atomic<bool> analogDialogOpen{false};

class OpenDialogClaim {
public:
    explicit OpenDialogClaim(std::atomic<bool>& flag) : flag_(flag), owned_(!flag.exchange(true)) {}
    ~OpenDialogClaim() {
        if (owned_) flag_ = false;
    }
    OpenDialogClaim(const OpenDialogClaim&) = delete;
    OpenDialogClaim& operator=(const OpenDialogClaim&) = delete;
    bool Owned() const { return owned_; }

private:
    std::atomic<bool>& flag_;
    bool owned_;
};

}  // namespace

int ConnectionDialogs::SetCameraDlg(platform::WindowHandle parent) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    settings::DialogHost* host = settings::CurrentDialogHost();
    if (host == nullptr) return PushError(NODRIX_ERROR_NOT_SUPPORTED), 0;
    OpenDialogClaim claim(cameraDialogOpen);
    if (!claim.Owned()) return PushError(NODRIX_ERROR_NO_CORE), 0;

    const int mode = acquisition_.SuspendAcquisition();
    settings::CCameraDlg dialog(controls_.Ranges(), core_->GetCameraIndex(),
                                core_->CanChangeWidth() != 0, core_->CanChangeHeight() != 0);
    const int result = host->RunCameraDialog(parent, dialog);
    if (result == settings::kDialogOk) {
        settings_.ReloadSettings();
    }
    acquisition_.ResumeAcquisition(mode);
    if (result == settings::kDialogNotShown) return PushError(NODRIX_ERROR_WINDOW), 0;
    return 1;
}

int ConnectionDialogs::SetImageDlg(platform::WindowHandle parent) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    settings::DialogHost* host = settings::CurrentDialogHost();
    if (host == nullptr) return PushError(NODRIX_ERROR_NOT_SUPPORTED), 0;
    OpenDialogClaim claim(imageDialogOpen);
    if (!claim.Owned()) return PushError(NODRIX_ERROR_NO_CORE), 0;

    ImageParameters saved;
    {
        // A running worker writes the automatic stages' results between
        // frames; the copy is taken between two frames too.
        platform::LockGuard frame(FrameLock());
        saved = imageParams_;
    }
    settings::CImageDlg dialog(settings::LiveImageBlock(&imageParams_, &FrameLock()), colorMode_);
    const int result = host->RunImageDialog(parent, dialog, liveDialogs_);
    if (result != settings::kDialogOk) {
        // The worker reads the block once per frame: it is put back whole
        // between two frames.
        platform::LockGuard frame(FrameLock());
        imageParams_ = saved;
    }
    if (result == settings::kDialogNotShown) return PushError(NODRIX_ERROR_WINDOW), 0;
    return 1;
}

int ConnectionDialogs::SetAnalogDlg(platform::WindowHandle parent) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    settings::DialogHost* host = settings::CurrentDialogHost();
    if (host == nullptr) return PushError(NODRIX_ERROR_NOT_SUPPORTED), 0;
    OpenDialogClaim claim(analogDialogOpen);
    if (!claim.Owned()) return PushError(NODRIX_ERROR_NO_CORE), 0;

    // The dialog starts from what the camera holds now.
    const CameraParameters saved = controls_.RefreshFromCamera();
    settings::CAnalogDlg dialog(&controls_);
    const int result = host->RunAnalogDialog(parent, dialog, liveDialogs_);
    if (result != settings::kDialogOk) controls_.Restore(saved);
    if (result == settings::kDialogNotShown) return PushError(NODRIX_ERROR_WINDOW), 0;
    return 1;
}

}  // namespace nodrix
