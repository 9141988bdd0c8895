// The owner's side of the analog dialog: what the dialog reads from the
// camera and writes to it, under the owner's lock like every other write.
#include "connection/CameraControls.h"
#include "core/CNodrixU3T2Base.h"

namespace nodrix {

using settings::GainChannel;

settings::CameraRanges CameraControls::Ranges() {
    platform::LockGuard guard(lock_);
    settings::CameraRanges r;
    r.gainMin = core_->GetGainMin();
    r.gainMax = core_->GetGainMax();
    r.colorGainMin = core_->GetColorGainMin();
    r.colorGainMax = core_->GetColorGainMax();
    r.exposureTenthsMin = core_->GetExposureTenthsMin();
    r.exposureTenthsMax = core_->GetExposureTenthsMax();
    r.exposureSeconds = core_->HasExposureSeconds() != 0;
    if (r.exposureSeconds) {
        r.exposureSecondsMin = core_->GetExposureSecondsMin();
        r.exposureSecondsMax = core_->GetExposureSecondsMax();
    }
    r.blackLevel = core_->HasBlackLevel() != 0;
    if (r.blackLevel) {
        r.blackLevelMin = core_->GetBlackLevelMin();
        r.blackLevelMax = core_->GetBlackLevelMax();
    }
    r.peltier = core_->HasPeltier() != 0;
    r.shortExposure = core_->HasShortExposure() != 0;
    r.gainMode = core_->HasGainMode() != 0;
    r.output8Bit = core_->Supports8BitOutput() != 0;
    r.output16Bit = core_->Supports16BitOutput() != 0;
    r.colorOutput = core_->SupportsColorOutput() != 0;
    return r;
}

double CameraControls::CameraExposureSeconds(int* ok) {
    platform::LockGuard guard(lock_);
    return core_->GetExposureSeconds(ok);
}

int CameraControls::CameraGainMode() {
    platform::LockGuard guard(lock_);
    return core_->GetGainMode();
}

void CameraControls::SetGain(GainChannel channel, int value) {
    platform::LockGuard guard(lock_);
    WriteGain(channel, value);
}

void CameraControls::SetExposureTenths(int tenths) {
    platform::LockGuard guard(lock_);
    block_.exposure = tenths;
    core_->SetExposure(tenths);
    ReadBackExposure(kReadTenths | kReadSeconds);
}

void CameraControls::SetExposureSeconds(double seconds) {
    platform::LockGuard guard(lock_);
    if (core_->SetExposureSeconds(seconds)) {
        block_.exposureSeconds = seconds;
        ReadBackExposure(kReadTenths);
    } else {
        ReadBackExposure(kReadTenths | kReadSeconds);
    }
}

// The dialog's mirror boxes take the exports' path; the block keeps the
// box's state whatever the camera answers, and the dialog has no error to
// show.
void CameraControls::SetMirrorV(bool on) {
    SetMirror(false, on ? 1 : 0);
}

void CameraControls::SetMirrorH(bool on) {
    SetMirror(true, on ? 1 : 0);
}

void CameraControls::SetPeltier(bool on) {
    platform::LockGuard guard(lock_);
    core_->SetPeltier(on ? 1 : 0);
    block_.peltier = on ? 1 : 0;
}

void CameraControls::SetShortExposure(bool on) {
    platform::LockGuard guard(lock_);
    core_->SetShortExposure(on ? 1 : 0);
    block_.shortExposure = on ? 1 : 0;
}

void CameraControls::SetGainMode(int mode) {
    platform::LockGuard guard(lock_);
    core_->SetGainMode(mode);
    block_.gainMode = mode;
}

void CameraControls::SetBlackLevel(int level) {
    platform::LockGuard guard(lock_);
    block_.blackLevel = level;
    core_->SetBlackLevel(level);
}

bool CameraControls::SetAutoIris(int mode) {
    if (mode < 0 || mode > 2) return false;
    platform::LockGuard guard(lock_);
    block_.autoIris = mode;
    return true;
}

void CameraControls::AdoptGainMode(int mode) {
    platform::LockGuard guard(lock_);
    block_.gainMode = mode;
}

void CameraControls::Defaults() {
    platform::LockGuard guard(lock_);
    CNodrixU3T2Base& core = *core_;
    CameraParameters& b = block_;
    WriteGain(GainChannel::kGlobal, core.GetGainDefault());
    const int colorGain = core.GetColorGainDefault();
    for (GainChannel channel :
         {GainChannel::kGreen1, GainChannel::kRed, GainChannel::kBlue, GainChannel::kGreen2}) {
        WriteGain(channel, colorGain);
    }
    if (core.HasExposureSeconds()) {
        b.exposureSeconds = core.GetExposureSecondsDefault();
        core.SetExposureSeconds(b.exposureSeconds);
        ReadBackExposure(kReadTenths | kReadSeconds);
    } else {
        b.exposure = core.GetExposureTenthsDefault();
        core.SetExposure(b.exposure);
    }
    if (core.HasBlackLevel()) {
        b.blackLevel = core.GetBlackLevelDefault();
        core.SetBlackLevel(b.blackLevel);
    }
    if (core.HasPeltier()) {
        b.peltier = 1;
        core.SetPeltier(1);
    }
    if (core.HasShortExposure()) {
        b.shortExposure = 0;
        core.SetShortExposure(0);
    }
    if (core.HasGainMode()) {
        b.gainMode = 0;
        core.SetGainMode(0);
    }
}

}  // namespace nodrix
