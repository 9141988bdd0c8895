// The analog dialog on screen: a frame with the analog page of a colour or
// a monochrome camera. Every change goes at once to the camera through the
// CAnalogPage model.
#include <windows.h>

#include <commctrl.h>

#include "settings/CAnalogDlg.h"
#include "settings/DialogIds.h"
#include "settings/DialogResults.h"
#include "settings/ExposureUnits.h"
#include "settings/LiveDialogs.h"
#include "settings/win32/DialogViews.h"
#include "settings/win32/DialogWin32.h"
#include "settings/win32/SinglePageView.h"
#include "settings/win32/TabbedDialogFrame.h"

namespace nodrix::settings::win32 {

namespace {

// What a live update carries (wParam of kLiveUpdateMessage).
enum LiveUpdate : WPARAM { kGainUpdate = 1, kExposureUpdate = 2 };

class AnalogPageView : public SinglePageView<AnalogPageView> {
public:
    explicit AnalogPageView(CAnalogPage& model) : model_(model) {}

    // Shows the block's values in every control.
    void Refresh() {
        Quietly([&] {
            for (int g = 0; g < CAnalogPage::kGroupCount; ++g) {
                if (model_.GroupShown(g)) SetUpGroup(window, model_.GroupOf(g), model_.Value(g));
            }
            const CameraParameters block = model_.Block();
            SetChecked(window, IDC_MIRROR_V, block.mirrorV != 0);
            SetChecked(window, IDC_MIRROR_H, block.mirrorH != 0);
            SetChecked(window, IDC_PELTIER, block.peltier != 0);
            SetChecked(window, IDC_SHORT_EXPOSURE, block.shortExposure != 0);
            SetChecked(window, IDC_IRIS_EXPOSURE, block.autoIris == 1);
            SetChecked(window, IDC_IRIS_GAIN, block.autoIris == 2);
            if (model_.GainModeShown()) {
                FillList(window, IDC_GAIN_MODE, {"High Gain", "Low Gain"}, model_.GainModeSelection());
            }
            ShowSeconds();
        });
        ShowMilliseconds();
    }

    // A value set by the automatic exposure, shown without being sent back.
    void ShowCorrected(int group, int value) {
        if (!model_.GroupShown(group)) return;
        Quietly([&] { ShowGroupValue(window, model_.GroupOf(group), value); });
        ShowMilliseconds();
    }

    // OK: the edits and the shown option controls go to the camera.
    void Apply() {
        for (int g = 0; g < CAnalogPage::kGroupCount; ++g) {
            if (model_.GroupShown(g)) model_.EditGroup(g, ControlText(window, model_.GroupOf(g).edit));
        }
        if (model_.PeltierShown()) model_.SetPeltier(IsChecked(window, IDC_PELTIER));
        if (model_.ShortExposureShown()) model_.SetShortExposure(IsChecked(window, IDC_SHORT_EXPOSURE));
        if (model_.GainModeShown()) {
            const int entry = ListSelection(window, IDC_GAIN_MODE);
            if (entry >= 0) model_.SelectGainMode(entry);
        }
    }

private:
    template <typename F>
    void Quietly(F&& update) {
        const bool was = quiet_;
        quiet_ = true;
        update();
        quiet_ = was;
    }

    void Initialise() {
        for (int g = 0; g < CAnalogPage::kGroupCount; ++g) {
            if (!model_.GroupShown(g) && model_.GroupOf(g).edit != 0) {
                ShowGroup(window, model_.GroupOf(g), false);
            }
        }
        if (model_.SecondsShown()) {
            std::vector<std::string> units;
            for (int unit : model_.Units()) units.push_back(UnitName(unit));
            FillList(window, IDC_SECONDS_UNIT, units, model_.UnitSelection());
            SetControlText(window, IDC_SECONDS_RANGE, model_.RangeText());
            ShowControl(window, IDC_EXPOSURE_LABEL, false);
            ShowControl(window, IDC_EXPOSURE_MS, false);
        } else {
            for (int id : {IDC_SECONDS_EDIT, IDC_SECONDS_UNIT, IDC_SECONDS_RANGE, IDC_SECONDS_LABEL}) {
                ShowControl(window, id, false);
            }
        }
        if (!model_.BlackLevelShown()) {
            for (int id : {IDC_BLACK_LABEL, IDC_BLACK_BAR, IDC_BLACK_EDIT, IDC_BLACK_SPIN}) {
                ShowControl(window, id, false);
            }
        }
        ShowControl(window, IDC_PELTIER, model_.PeltierShown());
        ShowControl(window, IDC_SHORT_EXPOSURE, model_.ShortExposureShown());
        ShowControl(window, IDC_GAIN_MODE, model_.GainModeShown());
        Refresh();
    }

    void ShowSeconds() {
        if (!model_.SecondsShown()) return;
        SendDlgItemMessageW(window, IDC_SECONDS_UNIT, CB_SETCURSEL,
                            static_cast<WPARAM>(model_.UnitSelection()), 0);
        SetControlText(window, IDC_SECONDS_EDIT, model_.SecondsText());
    }

    void ShowMilliseconds() {
        if (!model_.SecondsShown()) SetControlText(window, IDC_EXPOSURE_MS, model_.MillisecondsText());
    }

    void Scrolled(int trackbar) {
        const int group = model_.GroupOfControl(trackbar);
        if (group < 0) return;
        SetDlgItemInt(window, model_.GroupOf(group).edit,
                      static_cast<UINT>(TrackbarPosition(window, trackbar)), TRUE);
    }

    void Command(int id, int code) {
        if (quiet_ || !model_.initialised) return;
        if (code == EN_CHANGE) {
            if (id == IDC_SECONDS_EDIT) {
                model_.EditSeconds(ControlText(window, id));
                ShowCorrected(CAnalogPage::kExposure, model_.Value(CAnalogPage::kExposure));
                return;
            }
            const int group = model_.GroupOfControl(id);
            if (group < 0 || model_.GroupOf(group).edit != id) return;
            const int stored = model_.EditGroup(group, ControlText(window, id));
            SendDlgItemMessageW(window, model_.GroupOf(group).trackbar, TBM_SETPOS, TRUE, stored);
            if (group == CAnalogPage::kExposure) {
                Quietly([&] { ShowSeconds(); });
                ShowMilliseconds();
            }
            return;
        }
        if (code == CBN_SELCHANGE) {
            if (id == IDC_SECONDS_UNIT) {
                model_.SelectUnit(ListSelection(window, id));
                Quietly([&] { ShowSeconds(); });
            } else if (id == IDC_GAIN_MODE) {
                model_.SelectGainMode(ListSelection(window, id));
            }
            return;
        }
        if (code != BN_CLICKED) return;
        const bool checked = IsChecked(window, id);
        switch (id) {
            case IDC_MIRROR_V: model_.SetMirrorV(checked); break;
            case IDC_MIRROR_H: model_.SetMirrorH(checked); break;
            case IDC_PELTIER: model_.SetPeltier(checked); break;
            case IDC_SHORT_EXPOSURE: model_.SetShortExposure(checked); break;
            case IDC_IRIS_GAIN:
                if (checked) SetChecked(window, IDC_IRIS_EXPOSURE, false);
                model_.SetIrisGain(checked);
                break;
            case IDC_IRIS_EXPOSURE:
                if (checked) SetChecked(window, IDC_IRIS_GAIN, false);
                model_.SetIrisExposure(checked);
                break;
            default: break;
        }
    }

    friend class SinglePageView<AnalogPageView>;
    CAnalogPage& model_;
    bool quiet_ = false;
};

class AnalogDlgView : public DialogListener, public TabbedDialogFrame<AnalogDlgView> {
public:
    AnalogDlgView(CAnalogDlg& model, LiveDialogs& live) : model_(model), live_(live), page_(model.Page()) {}
    ~AnalogDlgView() override { live_.DetachAnalog(); }

    int Run(HWND parent) { return RunModal(parent, Resource(IDD_ANALOG_JA, IDD_ANALOG_EN)); }

    // From the worker thread: only a message is queued.
    void GainCorrected(int gain) override { PostMessageW(window_, kLiveUpdateMessage, kGainUpdate, gain); }
    void ExposureCorrected(int tenths) override {
        PostMessageW(window_, kLiveUpdateMessage, kExposureUpdate, tenths);
    }

private:
    friend class TabbedDialogFrame<AnalogDlgView>;

    void LiveUpdate(WPARAM what, LPARAM value) {
        page_.ShowCorrected(what == kGainUpdate ? CAnalogPage::kGlobalGain : CAnalogPage::kExposure,
                            static_cast<int>(value));
    }
    void Detach() { live_.DetachAnalog(); }

    void Initialise() {
        AddTab(window_, 0, AnalogGainTab(UiLanguage()));
        model_.Page().Initialise();
        const LPCWSTR page = model_.ColorPage() ? Resource(IDD_ANALOG_COLOR_JA, IDD_ANALOG_COLOR_EN)
                                                : Resource(IDD_ANALOG_MONO_JA, IDD_ANALOG_MONO_EN);
        page_.window = CreatePage(window_, page, AnalogPageView::Proc);
        if (page_.window != nullptr) ShowWindow(page_.window, SW_SHOW);
        live_.AttachAnalog(this);
    }

    void Command(int id) {
        switch (id) {
            case IDOK:
                if (page_.window != nullptr) page_.Apply();
                End(kDialogOk);
                break;
            case IDCANCEL: End(kDialogCancel); break;
            case IDC_DEFAULT:
                model_.Defaults();
                if (page_.window != nullptr) page_.Refresh();
                break;
            default: break;
        }
    }

    CAnalogDlg& model_;
    LiveDialogs& live_;
    AnalogPageView page_;
};

}  // namespace

int RunAnalogDlgView(HWND parent, CAnalogDlg& model, LiveDialogs& live) {
    InitialiseCommonControls();
    AnalogDlgView view(model, live);
    return view.Run(parent);
}

}  // namespace nodrix::settings::win32
