#include "settings/CAnalogDlg.h"

#include "settings/DialogIds.h"
#include "settings/EditNumbers.h"
#include "settings/ExposureUnits.h"

namespace nodrix::settings {

namespace {

// Trackbar page size: an eighth of the range.
TrackbarGroup MakeGroup(int trackbar, int upDown, int edit, int minimum, int maximum,
                        bool enabled) {
    TrackbarGroup g;
    g.trackbar = trackbar;
    g.upDown = upDown;
    g.edit = edit;
    g.minimum = minimum;
    g.maximum = maximum;
    g.pageSize = (maximum - minimum) / 8;
    if (g.pageSize < 1) g.pageSize = 1;
    g.enabled = enabled;
    return g;
}

}  // namespace

CAnalogPage::CAnalogPage(CameraControlsPort* controls, bool colorPage)
    : controls_(controls), colorPage_(colorPage) {}

void CAnalogPage::Initialise() {
    const CameraRanges ranges = controls_->Ranges();
    const int colorMin = ranges.colorGainMin;
    const int colorMax = ranges.colorGainMax;
    groups_[kGlobalGain] =
        MakeGroup(IDC_GAIN_BAR, IDC_GAIN_SPIN, IDC_GAIN_EDIT, ranges.gainMin, ranges.gainMax, true);
    groups_[kGreen1Gain] =
        MakeGroup(IDC_G1_BAR, IDC_G1_SPIN, IDC_G1_EDIT, colorMin, colorMax, false);
    groups_[kRedGain] = MakeGroup(IDC_R_BAR, IDC_R_SPIN, IDC_R_EDIT, colorMin, colorMax, false);
    groups_[kBlueGain] = MakeGroup(IDC_B_BAR, IDC_B_SPIN, IDC_B_EDIT, colorMin, colorMax, false);
    groups_[kGreen2Gain] =
        MakeGroup(IDC_G2_BAR, IDC_G2_SPIN, IDC_G2_EDIT, colorMin, colorMax, false);
    groups_[kExposure] = MakeGroup(IDC_EXPOSURE_BAR, IDC_EXPOSURE_SPIN, IDC_EXPOSURE_EDIT,
                                   ranges.exposureTenthsMin, ranges.exposureTenthsMax, true);

    secondsShown_ = ranges.exposureSeconds;
    units_.clear();
    if (secondsShown_) {
        const double minimum = ranges.exposureSecondsMin;
        const double maximum = ranges.exposureSecondsMax;
        for (int unit = UnitFor(minimum); unit <= UnitFor(maximum); ++unit) units_.push_back(unit);
        rangeText_ = RangeLabel(minimum, maximum);
        int ok = 0;
        const double seconds = controls_->CameraExposureSeconds(&ok);
        ShowSeconds(ok ? seconds : Block().exposureSeconds);
    }

    blackLevelShown_ = !colorPage_ && ranges.blackLevel;
    if (blackLevelShown_) {
        groups_[kBlackLevel] = MakeGroup(IDC_BLACK_BAR, IDC_BLACK_SPIN, IDC_BLACK_EDIT,
                                         ranges.blackLevelMin, ranges.blackLevelMax, true);
    }
    peltierShown_ = !colorPage_ && ranges.peltier;
    shortExposureShown_ = !colorPage_ && ranges.shortExposure;
    gainModeShown_ = false;
    if (!colorPage_ && ranges.gainMode) {
        const int mode = controls_->CameraGainMode();
        gainModeShown_ = mode != -1;
        if (gainModeShown_) controls_->AdoptGainMode(mode);
    }
    initialised = true;
}

bool CAnalogPage::GroupShown(int group) const {
    switch (group) {
        case kGreen1Gain:
        case kRedGain:
        case kBlueGain:
        case kGreen2Gain:
            return colorPage_;
        case kExposure:
            return !secondsShown_;
        case kBlackLevel:
            return blackLevelShown_;
        default:
            return true;
    }
}

int CAnalogPage::GroupOfControl(int id) const {
    for (int i = 0; i < kGroupCount; ++i) {
        const TrackbarGroup& g = groups_[i];
        if (g.edit != 0 && (id == g.trackbar || id == g.edit || id == g.upDown)) return i;
    }
    return -1;
}

int CAnalogPage::Value(int group) const {
    const CameraParameters b = Block();
    switch (group) {
        case kGlobalGain:
            return b.globalGain;
        case kGreen1Gain:
            return b.green1Gain;
        case kRedGain:
            return b.redGain;
        case kBlueGain:
            return b.blueGain;
        case kGreen2Gain:
            return b.green2Gain;
        case kExposure:
            return b.exposure;
        case kBlackLevel:
            return b.blackLevel;
        default:
            return 0;
    }
}

std::string CAnalogPage::MillisecondsText() const {
    return MillisecondsLabel(Block().exposure);
}

int CAnalogPage::EditGroup(int group, const std::string& text) {
    return SetGroupValue(group, ParseSignedEdit(text));
}

int CAnalogPage::SetGroupValue(int group, int value) {
    if (group < 0 || group >= kGroupCount) return 0;
    const int v = groups_[group].Clamp(value);
    CameraControlsPort& controls = *controls_;
    switch (group) {
        case kGlobalGain:
            controls.SetGain(GainChannel::kGlobal, v);
            break;
        case kGreen1Gain:
            controls.SetGain(GainChannel::kGreen1, v);
            break;
        case kRedGain:
            controls.SetGain(GainChannel::kRed, v);
            break;
        case kBlueGain:
            controls.SetGain(GainChannel::kBlue, v);
            break;
        case kGreen2Gain:
            controls.SetGain(GainChannel::kGreen2, v);
            break;
        case kExposure:
            controls.SetExposureTenths(v);
            if (secondsShown_) ShowSeconds(Block().exposureSeconds);
            break;
        case kBlackLevel:
            controls.SetBlackLevel(v);
            break;
        default:
            break;
    }
    return v;
}

void CAnalogPage::ShowSeconds(double seconds) {
    if (units_.empty()) return;
    const int unit = UnitFor(seconds);
    unitSelection_ = 0;
    for (std::size_t i = 0; i < units_.size(); ++i) {
        if (units_[i] == unit) unitSelection_ = static_cast<int>(i);
    }
    // A value outside the offered units is shown in the nearest one.
    if (unit > units_.back()) unitSelection_ = static_cast<int>(units_.size()) - 1;
    secondsText_ = FormatInUnit(InUnit(seconds, units_[unitSelection_]));
}

void CAnalogPage::EditSeconds(const std::string& text) {
    if (units_.empty()) return;
    const double seconds = SecondsFrom(ParseDecimalEdit(text), units_[unitSelection_]);
    secondsText_ = text;
    controls_->SetExposureSeconds(seconds);
}

void CAnalogPage::SelectUnit(int entry) {
    if (entry < 0 || entry >= static_cast<int>(units_.size())) return;
    unitSelection_ = entry;
    int ok = 0;
    double seconds = controls_->CameraExposureSeconds(&ok);
    if (!ok) seconds = Block().exposureSeconds;
    secondsText_ = FormatInUnit(InUnit(seconds, units_[entry]));
}

void CAnalogPage::SetMirrorV(bool on) {
    controls_->SetMirrorV(on);
}

void CAnalogPage::SetMirrorH(bool on) {
    controls_->SetMirrorH(on);
}

void CAnalogPage::SetPeltier(bool on) {
    controls_->SetPeltier(on);
}

void CAnalogPage::SetShortExposure(bool on) {
    controls_->SetShortExposure(on);
}

void CAnalogPage::SelectGainMode(int entry) {
    if (entry != 0 && entry != 1) return;
    controls_->SetGainMode(entry);
}

void CAnalogPage::SetIrisGain(bool checked) {
    controls_->SetAutoIris(checked ? 2 : 0);
}

void CAnalogPage::SetIrisExposure(bool checked) {
    controls_->SetAutoIris(checked ? 1 : 0);
}

void CAnalogPage::Defaults() {
    controls_->Defaults();
    if (secondsShown_) ShowSeconds(Block().exposureSeconds);
}

CAnalogDlg::CAnalogDlg(CameraControlsPort* controls)
    : page_(controls, controls->Ranges().colorOutput) {}

}  // namespace nodrix::settings
