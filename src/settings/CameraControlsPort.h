#pragma once
// What the analog dialog may do to the camera parameters. The connection's
// owner of the parameter block implements it: every write goes to the
// camera and into the block under the owner's lock, so the dialog never
// touches the camera's controls or the block itself. The camera's ranges
// and abilities come through the same port, so the dialogs need nothing
// from the layers below.

#include "pipeline/ParameterBlocks.h"

namespace nodrix::settings {

enum class GainChannel { kGlobal, kGreen1, kRed, kBlue, kGreen2 };

// The camera's ranges and abilities, as the dialogs show them.
struct CameraRanges {
    int gainMin = 0, gainMax = 0;
    int colorGainMin = 0, colorGainMax = 0;
    int exposureTenthsMin = 0, exposureTenthsMax = 0;
    bool exposureSeconds = false;
    double exposureSecondsMin = 0.0, exposureSecondsMax = 0.0;
    bool blackLevel = false;
    int blackLevelMin = 0, blackLevelMax = 0;
    bool peltier = false;
    bool shortExposure = false;
    bool gainMode = false;
    bool output8Bit = true;
    bool output16Bit = true;
    bool colorOutput = true;
};

class CameraControlsPort {
public:
    virtual ~CameraControlsPort() = default;

    // A copy of the block as it is now.
    virtual CameraParameters Parameters() const = 0;
    // The camera's ranges and abilities, read from the camera.
    virtual CameraRanges Ranges() = 0;
    // What the camera holds now; the block is left as it is.
    virtual double CameraExposureSeconds(int* ok) = 0;
    virtual int CameraGainMode() = 0;

    // Each write keeps the value in the block whatever the camera answers,
    // except where noted.
    virtual void SetGain(GainChannel channel, int value) = 0;
    // The exposure in tenths of a millisecond; the block then holds what
    // the camera reads back.
    virtual void SetExposureTenths(int tenths) = 0;
    // The exposure in seconds. A value the camera refuses leaves the block
    // with what the camera still holds.
    virtual void SetExposureSeconds(double seconds) = 0;
    virtual void SetMirrorV(bool on) = 0;
    virtual void SetMirrorH(bool on) = 0;
    virtual void SetPeltier(bool on) = 0;
    virtual void SetShortExposure(bool on) = 0;
    virtual void SetGainMode(int mode) = 0;
    virtual void SetBlackLevel(int level) = 0;
    // The automatic exposure's mode (0 off, 1 exposure, 2 gain); the
    // camera is not involved. False for any other mode.
    virtual bool SetAutoIris(int mode) = 0;
    // The gain mode the camera reports, taken into the block only.
    virtual void AdoptGainMode(int mode) = 0;
    // The camera's defaults, sent to it.
    virtual void Defaults() = 0;
};

}  // namespace nodrix::settings
