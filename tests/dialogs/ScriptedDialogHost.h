#pragma once
// A dialog host for the native tests: each dialog runs a script standing in
// for the user and ends with the script's result (OK or Cancel).

#include <functional>

#include "settings/CAnalogDlg.h"
#include "settings/CCameraDlg.h"
#include "settings/CImageDlg.h"
#include "settings/DialogHost.h"
#include "settings/LiveDialogs.h"

namespace nodrix::test {

class ScriptedDialogHost : public settings::DialogHost {
public:
    std::function<int(settings::CCameraDlg&)> camera;
    std::function<int(settings::CImageDlg&, settings::LiveDialogs&)> image;
    std::function<int(settings::CAnalogDlg&, settings::LiveDialogs&)> analog;
    int runs = 0;

    ScriptedDialogHost() { settings::InstallDialogHost(this); }
    ~ScriptedDialogHost() override { settings::InstallDialogHost(nullptr); }

    int RunCameraDialog(platform::WindowHandle, settings::CCameraDlg& dialog) override {
        ++runs;
        dialog.Initialise(settings::DialogLanguage::English);
        return camera ? camera(dialog) : settings::kDialogCancel;
    }
    int RunImageDialog(platform::WindowHandle, settings::CImageDlg& dialog,
                       settings::LiveDialogs& live) override {
        ++runs;
        return image ? image(dialog, live) : settings::kDialogCancel;
    }
    int RunAnalogDialog(platform::WindowHandle, settings::CAnalogDlg& dialog,
                        settings::LiveDialogs& live) override {
        ++runs;
        dialog.Page().Initialise();
        return analog ? analog(dialog, live) : settings::kDialogCancel;
    }
};

}  // namespace nodrix::test
