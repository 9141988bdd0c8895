#pragma once
// The analog dialog's model: gains, exposure (in tenths of a millisecond or
// in seconds), black level, Peltier, short exposure, gain mode, auto iris
// and mirroring. Every change goes at once, through the connection's owner
// of the camera parameters, to the camera and into the live block; the
// connection sends the old values back when the dialog is cancelled.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "pipeline/ParameterBlocks.h"
#include "settings/CameraControlsPort.h"
#include "settings/TrackbarGroup.h"

namespace nodrix::settings {

class CAnalogPage {
public:
    enum Group {
        kGlobalGain,
        kGreen1Gain,
        kRedGain,
        kBlueGain,
        kGreen2Gain,
        kExposure,
        kBlackLevel,
        kGroupCount
    };

    // The camera's ranges and abilities are read through controls too.
    CAnalogPage(CameraControlsPort* controls, bool colorPage);

    // Sets the controls up from the live block and the camera's ranges.
    void Initialise();

    // --- What the controls show ---------------------------------------------
    const TrackbarGroup& GroupOf(int group) const { return groups_[group]; }
    bool GroupShown(int group) const;
    int GroupOfControl(int id) const;
    int Value(int group) const;
    bool ColorPage() const { return colorPage_; }
    bool SecondsShown() const { return secondsShown_; }
    bool BlackLevelShown() const { return blackLevelShown_; }
    bool PeltierShown() const { return peltierShown_; }
    bool ShortExposureShown() const { return shortExposureShown_; }
    bool GainModeShown() const { return gainModeShown_; }
    // Unit indices (ExposureUnit) of the unit list's entries.
    const std::vector<int>& Units() const { return units_; }
    int UnitSelection() const { return unitSelection_; }
    const std::string& SecondsText() const { return secondsText_; }
    const std::string& RangeText() const { return rangeText_; }
    std::string MillisecondsText() const;
    int GainModeSelection() const { return Block().gainMode; }
    CameraParameters Block() const { return controls_->Parameters(); }

    // --- What the user does -------------------------------------------------
    // A trackbar group's edit changed: the value (kept in the group's range)
    // goes to the camera and the block; returns the stored value.
    int EditGroup(int group, const std::string& text);
    int SetGroupValue(int group, int value);
    // The seconds field changed: read in the selected unit.
    void EditSeconds(const std::string& text);
    // Another unit chosen: the camera's exposure is shown in it.
    void SelectUnit(int entry);
    void SetMirrorV(bool on);
    void SetMirrorH(bool on);
    void SetPeltier(bool on);
    void SetShortExposure(bool on);
    // Entry 0 "High Gain", 1 "Low Gain".
    void SelectGainMode(int entry);
    void SetIrisGain(bool checked);
    void SetIrisExposure(bool checked);
    // "Default": the camera's defaults, sent to it.
    void Defaults();

    bool initialised = false;

private:
    void ShowSeconds(double seconds);

    CameraControlsPort* controls_;
    bool colorPage_;
    std::array<TrackbarGroup, kGroupCount> groups_{};
    bool secondsShown_ = false;
    bool blackLevelShown_ = false;
    bool peltierShown_ = false;
    bool shortExposureShown_ = false;
    bool gainModeShown_ = false;
    std::vector<int> units_;
    int unitSelection_ = 0;
    std::string secondsText_;
    std::string rangeText_;
};

class CAnalogDlg {
public:
    // The page for colour cameras when the camera reports colour output,
    // else the monochrome page.
    explicit CAnalogDlg(CameraControlsPort* controls);

    CAnalogPage& Page() { return page_; }
    bool ColorPage() const { return page_.ColorPage(); }
    void Defaults() { page_.Defaults(); }

private:
    CAnalogPage page_;
};

}  // namespace nodrix::settings
