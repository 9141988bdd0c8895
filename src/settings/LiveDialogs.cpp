#include "settings/LiveDialogs.h"

namespace nodrix::settings {

void LiveDialogs::AttachImage(DialogListener* listener) {
    platform::LockGuard guard(lock_);
    image_ = listener;
}

void LiveDialogs::DetachImage() { AttachImage(nullptr); }

void LiveDialogs::AttachAnalog(DialogListener* listener) {
    platform::LockGuard guard(lock_);
    analog_ = listener;
}

void LiveDialogs::DetachAnalog() { AttachAnalog(nullptr); }

void LiveDialogs::ImageParametersMeasured() {
    platform::LockGuard guard(lock_);
    if (image_ != nullptr) image_->ImageParametersMeasured();
}

void LiveDialogs::GainCorrected(int gain) {
    platform::LockGuard guard(lock_);
    if (analog_ != nullptr) analog_->GainCorrected(gain);
}

void LiveDialogs::ExposureCorrected(int tenths) {
    platform::LockGuard guard(lock_);
    if (analog_ != nullptr) analog_->ExposureCorrected(tenths);
}

}  // namespace nodrix::settings
