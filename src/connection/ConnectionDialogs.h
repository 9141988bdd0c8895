#pragma once
// The connection's three property dialogs: the camera dialog with
// acquisition stopped around it and the settings read again after OK; the
// image and analog dialogs acting on the live blocks, which Cancel puts back
// as they were. No state of its own beyond the one-dialog-of-a-kind claims
// shared by the process.

#include "connection/Acquisition.h"
#include "connection/CameraControls.h"
#include "connection/CoreLink.h"
#include "connection/ErrorStack.h"
#include "pipeline/ParameterBlocks.h"
#include "platform/WindowMessages.h"
#include "settings/LiveDialogs.h"

namespace nodrix {

// What the camera dialog's OK asks of the connection: the capture window and
// the connection values read again from the settings store it wrote.
class DialogSettingsReload {
public:
    virtual void ReloadSettings() = 0;

protected:
    ~DialogSettingsReload() = default;
};

struct DialogLinks {
    CoreHandle& core;
    CameraControls& controls;
    ImageParameters& imageParams;
    // Read when the image dialog opens.
    const int& colorMode;
    settings::LiveDialogs& liveDialogs;
    Acquisition& acquisition;
    ErrorStack& errors;
    DialogSettingsReload& settings;
};

class ConnectionDialogs {
public:
    explicit ConnectionDialogs(const DialogLinks& links)
        : core_(links.core),
          controls_(links.controls),
          imageParams_(links.imageParams),
          colorMode_(links.colorMode),
          liveDialogs_(links.liveDialogs),
          acquisition_(links.acquisition),
          errors_(links.errors),
          settings_(links.settings) {}
    ConnectionDialogs(const ConnectionDialogs&) = delete;
    ConnectionDialogs& operator=(const ConnectionDialogs&) = delete;

    int SetCameraDlg(platform::WindowHandle parent);
    int SetImageDlg(platform::WindowHandle parent);
    int SetAnalogDlg(platform::WindowHandle parent);

private:
    int PushError(int code) { return errors_.Push(code), 1; }
    // The worker converts with the image block under it.
    platform::RecursiveLock& FrameLock() { return acquisition_.FrameLock(); }

    CoreHandle& core_;
    CameraControls& controls_;
    ImageParameters& imageParams_;
    const int& colorMode_;
    settings::LiveDialogs& liveDialogs_;
    Acquisition& acquisition_;
    ErrorStack& errors_;
    DialogSettingsReload& settings_;
};

}  // namespace nodrix
