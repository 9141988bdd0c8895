// The exports' requests on the camera's controls: mirroring, exposure and
// the automatic exposure mode, with the checks and error codes of each.
#include "connection/ControlRequests.h"

namespace nodrix {

int ControlRequests::SetMirrorH(int on) {
    if (!core_) return errors_.PushError(NODRIX_ERROR_NO_CORE), 0;
    return errors_.Reported(controls_.SetMirror(true, on));
}

int ControlRequests::SetMirrorV(int on) {
    if (!core_) {
        errors_.PostError(NODRIX_ERROR_NO_CORE);
        return 0;
    }
    return errors_.Reported(controls_.SetMirror(false, on));
}

int ControlRequests::GetMirrorH() {
    if (!core_) return errors_.PushError(NODRIX_ERROR_NO_CORE), 0;
    return controls_.Parameters().mirrorH;
}

int ControlRequests::GetMirrorV() {
    if (!core_) {
        errors_.PostError(NODRIX_ERROR_NO_CORE);
        return 0;
    }
    return controls_.Parameters().mirrorV;
}

int ControlRequests::SetExposureTimeEx(double seconds) {
    if (!core_) return errors_.PushError(NODRIX_ERROR_NO_CORE), 0;
    return errors_.Reported(controls_.SetExposureTimeEx(seconds));
}

double ControlRequests::GetExposureTimeEx(int* ok) {
    if (ok != nullptr) *ok = 0;
    if (!core_) return errors_.PushError(NODRIX_ERROR_NO_CORE), -1.0;
    if (!core_->HasExposureSeconds()) return errors_.PushError(NODRIX_ERROR_NOT_SUPPORTED), -1.0;
    return controls_.GetExposureTimeEx(ok);
}

int ControlRequests::SetRealExposureTime(int microseconds) {
    if (!core_) return errors_.PushError(NODRIX_ERROR_NO_CORE), 0;
    return errors_.Reported(controls_.SetRealExposureTime(microseconds));
}

int ControlRequests::GetRealExposureTime(int* ok) {
    if (ok != nullptr) *ok = 1;
    return controls_.Parameters().exposure * 100;
}

int ControlRequests::SetAutoIris(int mode) {
    if (!controls_.SetAutoIris(mode)) {
        errors_.PostError(NODRIX_ERROR_INVALID_ARGUMENT);
        return 0;
    }
    return 1;
}

int ControlRequests::GetAutoIris(int* ok) {
    if (ok != nullptr) *ok = 1;
    return controls_.Parameters().autoIris;
}

}  // namespace nodrix
