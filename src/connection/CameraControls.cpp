#include "connection/CameraControls.h"

#include <cmath>
#include <cstdint>

#include "NodrixSdk.h"
#include "core/CNodrixU3T2Base.h"
#include "pipeline/AutoExposure.h"

namespace nodrix {

using settings::GainChannel;

namespace {

bool InRange(int value, int low, int high) {
    return value >= low && value <= high;
}

constexpr ControlResult kDone{};

ControlResult Refused(int error) {
    return {0, error};
}

}  // namespace

void CameraControls::Attach(CNodrixU3T2Base* core) {
    platform::LockGuard guard(lock_);
    core_ = core;
}

CameraParameters CameraControls::Parameters() const {
    platform::LockGuard guard(lock_);
    return block_;
}

void CameraControls::Replace(const CameraParameters& block) {
    platform::LockGuard guard(lock_);
    block_ = block;
}

void CameraControls::ResetToCameraDefaults() {
    platform::LockGuard guard(lock_);
    if (core_ == nullptr) return;
    CNodrixU3T2Base& core = *core_;
    CameraParameters& p = block_;
    p.globalGain = core.GetGainDefault();
    p.redGain = p.green1Gain = p.green2Gain = p.blueGain = core.GetColorGainDefault();
    p.exposure = core.GetExposureTenthsDefault();
    p.mirrorV = core.GetMirrorVDefault();
    p.mirrorH = core.GetMirrorHDefault();
    p.autoIris = 0;
    p.gainMode = 0;
    p.blackLevel = core.GetBlackLevelDefault();
    if (core.HasExposureSeconds()) {
        int ok = 0;
        const double seconds = core.GetExposureSecondsDefault(&ok);
        if (ok) p.exposureSeconds = seconds;
    }
}

std::int32_t& CameraControls::GainField(CameraParameters& block, GainChannel channel) {
    switch (channel) {
        case GainChannel::kGreen1:
            return block.green1Gain;
        case GainChannel::kRed:
            return block.redGain;
        case GainChannel::kBlue:
            return block.blueGain;
        case GainChannel::kGreen2:
            return block.green2Gain;
        case GainChannel::kGlobal:
            break;
    }
    return block.globalGain;
}

int CameraControls::WriteGain(GainChannel channel, int value) {
    GainField(block_, channel) = value;
    CNodrixU3T2Base& core = *core_;
    switch (channel) {
        case GainChannel::kGreen1:
            return core.SetGreen1Gain(value);
        case GainChannel::kRed:
            return core.SetRedGain(value);
        case GainChannel::kBlue:
            return core.SetBlueGain(value);
        case GainChannel::kGreen2:
            return core.SetGreen2Gain(value);
        case GainChannel::kGlobal:
            break;
    }
    return core.SetGain(value);
}

void CameraControls::ReadBackExposure(int what) {
    CNodrixU3T2Base& core = *core_;
    int ok = 0;
    if ((what & kReadTenths) != 0) {
        const int tenths = core.GetExposureTenths(&ok);
        if (ok) block_.exposure = tenths;
    }
    if ((what & kReadSeconds) != 0 && core.HasExposureSeconds()) {
        const double seconds = core.GetExposureSeconds(&ok);
        if (ok) block_.exposureSeconds = seconds;
    }
}

void CameraControls::SendColourGains(const CameraParameters& block) {
    CNodrixU3T2Base& core = *core_;
    core.SetGreen1Gain(block.green1Gain);
    core.SetRedGain(block.redGain);
    core.SetBlueGain(block.blueGain);
    core.SetGreen2Gain(block.green2Gain);
}

int CameraControls::SendExposure(const CameraParameters& block) {
    CNodrixU3T2Base& core = *core_;
    return core.HasExposureSeconds() ? core.SetExposureSeconds(block.exposureSeconds)
                                     : core.SetExposure(block.exposure);
}

// --- The exported API ---------------------------------------------------------

bool CameraControls::OwnsFilterCode(int code) {
    return (code >= NODRIX_FILTER_GLOBAL_GAIN && code <= NODRIX_FILTER_EXPOSURE_TIME) ||
           code == NODRIX_FILTER_PELTIER ||
           (code >= NODRIX_FILTER_GAIN_MODE && code <= NODRIX_FILTER_BLACK_LEVEL);
}

ControlResult CameraControls::SetFilterValue(int code, int value) {
    platform::LockGuard guard(lock_);
    CNodrixU3T2Base& core = *core_;
    CameraParameters& c = block_;
    switch (code) {
        case NODRIX_FILTER_GLOBAL_GAIN:
            if (!InRange(value, core.GetGainMin(), core.GetGainMax())) {
                return Refused(NODRIX_ERROR_INVALID_ARGUMENT);
            }
            if (!core.SetGain(value)) return Refused(NODRIX_ERROR_CAMERA_REQUEST);
            c.globalGain = c.redGain = c.green1Gain = c.green2Gain = c.blueGain = value;
            return kDone;
        case NODRIX_FILTER_COLOR_GAIN_RED:
        case NODRIX_FILTER_COLOR_GAIN_GREEN1:
        case NODRIX_FILTER_COLOR_GAIN_GREEN2:
        case NODRIX_FILTER_COLOR_GAIN_BLUE: {
            if (!InRange(value, core.GetColorGainMin(), core.GetColorGainMax())) {
                return Refused(NODRIX_ERROR_INVALID_ARGUMENT);
            }
            const GainChannel channel =
                code == NODRIX_FILTER_COLOR_GAIN_RED      ? GainChannel::kRed
                : code == NODRIX_FILTER_COLOR_GAIN_GREEN1 ? GainChannel::kGreen1
                : code == NODRIX_FILTER_COLOR_GAIN_GREEN2 ? GainChannel::kGreen2
                                                          : GainChannel::kBlue;
            return WriteGain(channel, value) ? kDone : Refused(NODRIX_ERROR_CAMERA_REQUEST);
        }
        case NODRIX_FILTER_EXPOSURE_TIME:
            if (!InRange(value, core.GetExposureTenthsMin(), core.GetExposureTenthsMax())) {
                return Refused(NODRIX_ERROR_INVALID_ARGUMENT);
            }
            if (!core.SetExposure(value)) return Refused(NODRIX_ERROR_CAMERA_REQUEST);
            c.exposure = value;
            ReadBackExposure(kReadSeconds);
            return kDone;
        case NODRIX_FILTER_PELTIER:
            if (!core.HasPeltier()) return Refused(NODRIX_ERROR_NOT_SUPPORTED);
            c.peltier = value;
            return {core.SetPeltier(value), ControlResult::kNoError};
        case NODRIX_FILTER_GAIN_MODE:
            c.gainMode = value;
            return {core.SetGainMode(value), ControlResult::kNoError};
        case NODRIX_FILTER_SHORT_EXPOSURE: {
            if (!core.HasShortExposure()) return Refused(NODRIX_ERROR_NOT_SUPPORTED);
            const int on = value > 0 ? 1 : 0;
            if (!core.SetShortExposure(on)) return Refused(NODRIX_ERROR_CAMERA_REQUEST);
            c.shortExposure = on;
            return kDone;
        }
        case NODRIX_FILTER_BLACK_LEVEL:
            if (!core.HasBlackLevel()) return Refused(NODRIX_ERROR_NOT_SUPPORTED);
            if (!core.SetBlackLevel(value)) return Refused(NODRIX_ERROR_CAMERA_REQUEST);
            c.blackLevel = value;
            // A success record: the application reading the stack after the
            // write finds it was taken.
            return {1, NODRIX_ERROR_NONE};
        default:
            return Refused(NODRIX_ERROR_INVALID_ARGUMENT);
    }
}

int CameraControls::ReadFilterValue(int code, bool* read) {
    platform::LockGuard guard(lock_);
    CNodrixU3T2Base& core = *core_;
    int ok = 1;
    int value = 0;
    switch (code) {
        case NODRIX_FILTER_GLOBAL_GAIN:
            value = core.GetGain();
            break;
        case NODRIX_FILTER_COLOR_GAIN_RED:
            value = core.GetRedGain();
            break;
        case NODRIX_FILTER_COLOR_GAIN_GREEN1:
            value = core.GetGreen1Gain();
            break;
        case NODRIX_FILTER_COLOR_GAIN_GREEN2:
            value = core.GetGreen2Gain();
            break;
        case NODRIX_FILTER_COLOR_GAIN_BLUE:
            value = core.GetBlueGain();
            break;
        case NODRIX_FILTER_EXPOSURE_TIME:
            value = core.GetExposureTenths();
            break;
        case NODRIX_FILTER_PELTIER:
            value = core.GetPeltier();
            break;
        case NODRIX_FILTER_GAIN_MODE:
            value = core.GetGainMode();
            break;
        case NODRIX_FILTER_SHORT_EXPOSURE:
            value = core.GetShortExposure(&ok);
            break;
        case NODRIX_FILTER_BLACK_LEVEL:
            value = core.GetBlackLevel(&ok);
            if (ok) block_.blackLevel = value;
            break;
        default:
            ok = 0;
            break;
    }
    *read = ok != 0;
    return value;
}

ControlResult CameraControls::SetMirror(bool horizontal, int on) {
    platform::LockGuard guard(lock_);
    std::int32_t& field = horizontal ? block_.mirrorH : block_.mirrorV;
    field = on != 0;
    const int done = horizontal ? core_->SetMirrorH(field) : core_->SetMirrorV(field);
    return done ? kDone : Refused(NODRIX_ERROR_CAMERA_REQUEST);
}

ControlResult CameraControls::SetExposureTimeEx(double seconds) {
    platform::LockGuard guard(lock_);
    CNodrixU3T2Base& core = *core_;
    if (!core.HasExposureSeconds()) return Refused(NODRIX_ERROR_NOT_SUPPORTED);
    // Refused before anything is stored: a value that is not a number, or
    // outside what the sensor can expose, cannot become whole tenths.
    if (!std::isfinite(seconds) || seconds < core.GetExposureSecondsMin() ||
        seconds > core.GetExposureSecondsMax()) {
        return Refused(NODRIX_ERROR_INVALID_ARGUMENT);
    }
    if (!core.SetExposureSeconds(seconds)) return Refused(NODRIX_ERROR_CAMERA_REQUEST);
    block_.exposureSeconds = seconds;
    // The whole tenths the sensor keeps beside the seconds: what the tenths
    // and microsecond getters, the frame metadata and a camera without
    // seconds read.
    ReadBackExposure(kReadTenths);
    return kDone;
}

double CameraControls::GetExposureTimeEx(int* ok) {
    platform::LockGuard guard(lock_);
    int good = 0;
    const double seconds = core_->GetExposureSeconds(&good);
    if (good) block_.exposureSeconds = seconds;
    if (ok != nullptr) *ok = good ? 1 : 0;
    return seconds;
}

ControlResult CameraControls::SetRealExposureTime(int microseconds) {
    const int units = microseconds / 100;
    platform::LockGuard guard(lock_);
    CNodrixU3T2Base& core = *core_;
    if (!InRange(units, core.GetExposureTenthsMin(), core.GetExposureTenthsMax())) {
        return Refused(NODRIX_ERROR_INVALID_ARGUMENT);
    }
    block_.exposure = units;
    core.SetExposure(units);
    ReadBackExposure(kReadSeconds);
    return kDone;
}

// --- Whole block to the camera --------------------------------------------------

bool CameraControls::ApplyOnSelection() {
    platform::LockGuard guard(lock_);
    CNodrixU3T2Base& core = *core_;
    CameraParameters& p = block_;
    const bool gainTaken = core.SetGain(p.globalGain) != 0;
    SendColourGains(p);
    SendExposure(p);
    // A stored block may hold tenths that do not match its seconds; the
    // block keeps what the sensor took.
    ReadBackExposure(kReadTenths | kReadSeconds);
    core.SetMirrorV(p.mirrorV);
    core.SetMirrorH(p.mirrorH);
    if (core.HasBlackLevel()) core.SetBlackLevel(p.blackLevel);
    if (core.HasPeltier()) {
        core.SetPeltier(1);
        p.peltier = 1;
    }
    if (core.HasShortExposure()) {
        core.SetShortExposure(0);
        p.shortExposure = 0;
    }
    if (core.HasGainMode()) core.SetGainMode(p.gainMode);
    return gainTaken;
}

bool CameraControls::ApplyForAcquisition() {
    platform::LockGuard guard(lock_);
    CNodrixU3T2Base& core = *core_;
    const CameraParameters& p = block_;
    if (!core.SetMirrorV(p.mirrorV) || !core.SetMirrorH(p.mirrorH)) return false;
    core.SetTriggerMode(0, 1);
    if (!core.SetGain(p.globalGain)) return false;
    SendColourGains(p);
    if (!SendExposure(p)) return false;
    ReadBackExposure(kReadTenths | kReadSeconds);
    if (core.HasAuxMode()) core.SetAuxMode(0);
    core.SetGainMode(0);
    if (core.HasGainMode()) core.SetGainMode(p.gainMode);
    if (core.HasBlackLevel()) core.SetBlackLevel(p.blackLevel);
    return true;
}

CameraParameters CameraControls::RefreshFromCamera() {
    platform::LockGuard guard(lock_);
    CNodrixU3T2Base& core = *core_;
    CameraParameters& p = block_;
    p.globalGain = core.GetGain();
    p.green1Gain = core.GetGreen1Gain();
    p.redGain = core.GetRedGain();
    p.blueGain = core.GetBlueGain();
    p.green2Gain = core.GetGreen2Gain();
    p.exposure = core.GetExposureTenths();
    ReadBackExposure(kReadSeconds);
    p.mirrorV = core.GetMirrorV();
    p.mirrorH = core.GetMirrorH();
    return p;
}

void CameraControls::Restore(const CameraParameters& saved) {
    platform::LockGuard guard(lock_);
    CNodrixU3T2Base& core = *core_;
    const CameraParameters& p = block_;
    core.SetGain(saved.globalGain);
    SendColourGains(saved);
    SendExposure(saved);
    core.SetMirrorV(saved.mirrorV);
    core.SetMirrorH(saved.mirrorH);
    // Only what differs is sent again, so that the camera and the restored
    // block agree without touching what nobody changed.
    if (p.blackLevel != saved.blackLevel && core.HasBlackLevel())
        core.SetBlackLevel(saved.blackLevel);
    if (p.gainMode != saved.gainMode && core.HasGainMode()) core.SetGainMode(saved.gainMode);
    if (p.shortExposure != saved.shortExposure && core.HasShortExposure()) {
        core.SetShortExposure(saved.shortExposure);
    }
    if (p.peltier != saved.peltier && core.HasPeltier()) core.SetPeltier(saved.peltier);
    block_ = saved;
    ReadBackExposure(kReadTenths | kReadSeconds);
}

// --- The automatic exposure -----------------------------------------------------

int CameraControls::CorrectGain(double factor) {
    platform::LockGuard guard(lock_);
    CNodrixU3T2Base& core = *core_;
    const int gain =
        pipeline::CorrectedGain(core.GetGain(), factor, core.GetGainMin(), core.GetGainMax());
    core.SetGain(gain);
    CameraParameters& c = block_;
    c.globalGain = c.redGain = c.green1Gain = c.green2Gain = c.blueGain = gain;
    return gain;
}

int CameraControls::CorrectExposure(double factor) {
    platform::LockGuard guard(lock_);
    CNodrixU3T2Base& core = *core_;
    const int exposure = pipeline::CorrectedExposure(
        core.GetExposureTenths(), factor, core.GetExposureTenthsMin(), core.GetExposureTenthsMax());
    core.SetExposure(exposure);
    block_.exposure = exposure;
    ReadBackExposure(kReadSeconds);
    return exposure;
}

}  // namespace nodrix
