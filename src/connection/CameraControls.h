#pragma once
// The one owner of a connection's camera parameters: it holds the block,
// is the only code that writes camera parameters to the camera core, checks
// the values once and reads the exposure back after a write in one place.
// Its own lock guards block and writes, so the application's setters, the
// dialogs and the worker's automatic exposure never see half a change and
// need no other lock for it.

#include <cstdint>

#include "connection/LockOrder.h"
#include "pipeline/ParameterBlocks.h"
#include "platform/RecursiveLock.h"
#include "settings/CameraControlsPort.h"

namespace nodrix {

class CNodrixU3T2Base;

// What a setter of the exported API did: its result and the error code to
// record (kNoError: none).
struct ControlResult {
    static constexpr int kNoError = -1;
    int result = 1;
    int error = kNoError;
};

class CameraControls final : public settings::CameraControlsPort {
public:
    // The camera core the writes go to; null detaches it. The core outlives
    // the attachment.
    void Attach(CNodrixU3T2Base* core);

    // --- The block as the settings store it --------------------------------
    CameraParameters Parameters() const override;
    // Takes a block loaded from the settings; nothing is sent to the camera.
    void Replace(const CameraParameters& block);
    // The block from the camera's defaults (automatic exposure and gain
    // mode off); nothing is sent to the camera.
    void ResetToCameraDefaults();

    // --- The exported API's setters and readers -----------------------------
    // Whether a filter code names a camera parameter (13-18, 100, 104-106).
    static bool OwnsFilterCode(int code);
    // A camera parameter by filter code.
    ControlResult SetFilterValue(int code, int value);
    // A camera parameter by filter code as the camera holds it now; read is
    // false when the camera did not answer (only the short exposure and the
    // black level tell). The black level read is kept in the block.
    int ReadFilterValue(int code, bool* read);
    ControlResult SetMirror(bool horizontal, int on);
    // The exposure in seconds, checked against the sensor's range (a value
    // that is not a finite number is refused too).
    ControlResult SetExposureTimeEx(double seconds);
    // The camera's exposure in seconds, kept in the block when read.
    double GetExposureTimeEx(int* ok);
    ControlResult SetRealExposureTime(int microseconds);

    // --- Whole block to and from the camera ---------------------------------
    // A freshly selected camera gets the block; false when its sensor
    // refused the gain (the camera stays selected).
    bool ApplyOnSelection();
    // Before an acquisition; false when the sensor did not take its
    // mirrors, gain or exposure.
    bool ApplyForAcquisition();
    // The block from what the camera holds now (gains, exposure, mirrors);
    // returns it.
    CameraParameters RefreshFromCamera();
    // Puts block and camera back to a block taken earlier (a cancelled
    // dialog): what the dialog may have changed is sent again.
    void Restore(const CameraParameters& saved);

    // --- The automatic exposure ---------------------------------------------
    // The camera's gain or exposure corrected by the factor; the value set.
    int CorrectGain(double factor);
    int CorrectExposure(double factor);

    // --- The analog dialog (settings::CameraControlsPort) -------------------
    settings::CameraRanges Ranges() override;
    double CameraExposureSeconds(int* ok) override;
    int CameraGainMode() override;
    void SetGain(settings::GainChannel channel, int value) override;
    void SetExposureTenths(int tenths) override;
    void SetExposureSeconds(double seconds) override;
    void SetMirrorV(bool on) override;
    void SetMirrorH(bool on) override;
    void SetPeltier(bool on) override;
    void SetShortExposure(bool on) override;
    void SetGainMode(int mode) override;
    void SetBlackLevel(int level) override;
    bool SetAutoIris(int mode) override;
    void AdoptGainMode(int mode) override;
    void Defaults() override;

private:
    // The core's write for a gain channel, with the block's field of it.
    int WriteGain(settings::GainChannel channel, int value);
    static std::int32_t& GainField(CameraParameters& block, settings::GainChannel channel);
    // A block's four colour gains, and its exposure (in seconds where the
    // camera has them, else in tenths), sent to the camera as they stand.
    void SendColourGains(const CameraParameters& block);
    int SendExposure(const CameraParameters& block);
    // After an exposure write: the seconds (when the camera has them)
    // and/or the tenths as the camera now holds them, as the write asks.
    static constexpr int kReadSeconds = 1;
    static constexpr int kReadTenths = 2;
    void ReadBackExposure(int what);

    mutable platform::RecursiveLock lock_{kLockRankCameraControls};
    CNodrixU3T2Base* core_ = nullptr;
    CameraParameters block_;
};

}  // namespace nodrix
