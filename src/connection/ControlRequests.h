#pragma once
// The exports' requests on the camera's controls: mirroring, exposure and
// the automatic exposure mode. No state of its own: each call checks that a
// camera core is there, goes to the camera's controls and records the
// error code the controls give.

#include "NodrixSdk.h"
#include "connection/CameraControls.h"
#include "connection/ConnectionErrors.h"
#include "connection/CoreLink.h"

namespace nodrix {

class ControlRequests {
public:
    ControlRequests(CoreHandle& core, CameraControls& controls, ConnectionErrors& errors)
        : core_(core), controls_(controls), errors_(errors) {}
    ControlRequests(const ControlRequests&) = delete;
    ControlRequests& operator=(const ControlRequests&) = delete;

    int SetMirrorH(int on);
    int SetMirrorV(int on);
    int GetMirrorH();
    int GetMirrorV();
    int SetExposureTimeEx(double seconds);
    double GetExposureTimeEx(int* ok);
    int SetRealExposureTime(int microseconds);
    int GetRealExposureTime(int* ok);
    int SetAutoIris(int mode);
    int GetAutoIris(int* ok);

private:
    CoreHandle& core_;
    CameraControls& controls_;
    ConnectionErrors& errors_;
};

}  // namespace nodrix
