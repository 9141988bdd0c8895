// The camera dialog on screen: its controls mirror the CCameraDlg model.
#include <windows.h>

#include "settings/CCameraDlg.h"
#include "settings/DialogIds.h"
#include "settings/DialogResults.h"
#include "settings/win32/DialogViews.h"
#include "settings/win32/DialogWin32.h"

namespace nodrix::settings::win32 {

namespace {

constexpr int kFieldIds[CCameraDlg::kFieldCount] = {IDC_H_TOTAL,     IDC_V_TOTAL, IDC_H_EFFECTIVE,
                                                    IDC_V_EFFECTIVE, IDC_H_START, IDC_V_START};

class CameraDlgView {
public:
    explicit CameraDlgView(CCameraDlg& model) : model_(model) {
        current_ = this;
        brush_ = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    }
    ~CameraDlgView() {
        current_ = nullptr;
        DeleteObject(brush_);
    }
    CameraDlgView(const CameraDlgView&) = delete;
    CameraDlgView& operator=(const CameraDlgView&) = delete;

    int Run(HWND parent) {
        const INT_PTR result = DialogBoxParamW(DialogModule(), Resource(IDD_CAMERA_JA, IDD_CAMERA_EN),
                                               parent, Proc, 0);
        return result == kDialogOk || result == kDialogCancel ? static_cast<int>(result)
                                                              : kDialogNotShown;
    }

private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        CameraDlgView* view = current_;
        if (view == nullptr) return FALSE;
        switch (message) {
            case WM_INITDIALOG: view->window_ = window; view->Initialise(); return TRUE;
            case WM_COMMAND: view->Command(LOWORD(wParam), HIWORD(wParam)); return TRUE;
            case WM_DRAWITEM:
                if (wParam == IDC_TAB) {
                    DrawTab(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), view->brush_);
                    return TRUE;
                }
                return FALSE;
            default: return FALSE;
        }
    }

    void Initialise() {
        model_.Initialise(UiLanguage());
        AddTab(window_, 0, StreamFormatTab(UiLanguage()));
        FillList(window_, IDC_FORMAT_LIST, model_.FormatEntries(), model_.FormatSelection());
        FillList(window_, IDC_SUBSAMPLE_LIST, model_.SubSampleEntries(), 0);
        EnableControl(window_, IDC_SUBSAMPLE_LIST, false);
        const auto& clocks = model_.ClockEntries();
        FillList(window_, IDC_CLOCK_LIST, {clocks.begin(), clocks.end()}, model_.ClockSelection());
        EnableControl(window_, IDC_CLOCK_LIST, false);
        ShowSizes();
        ShowFields();
        SetControlText(window_, IDC_WAIT_TIME, model_.WaitTimeText());
        EnableControl(window_, IDC_APPLY, false);
        for (int i = 0; i < CCameraDlg::kFieldCount; ++i) {
            if (!model_.FieldEnabled(i)) EnableControl(window_, kFieldIds[i], false);
        }
        if (!model_.SizeListEnabled()) EnableControl(window_, IDC_SIZE_LIST, false);
        ready_ = true;
    }

    void ShowSizes() { FillList(window_, IDC_SIZE_LIST, model_.SizeEntries(), model_.SizeSelection()); }

    void ShowFields() {
        const bool wasReady = ready_;
        ready_ = false;
        for (int i = 0; i < CCameraDlg::kFieldCount; ++i) {
            SetControlText(window_, kFieldIds[i], model_.FieldTexts()[i]);
        }
        ready_ = wasReady;
    }

    void Command(int id, int code) {
        if (code == CBN_SELCHANGE) {
            if (id == IDC_SIZE_LIST) {
                model_.SelectSize(ListSelection(window_, id));
                ShowFields();
            } else if (id == IDC_FORMAT_LIST) {
                model_.SelectFormat(ListSelection(window_, id));
            }
            EnableControl(window_, IDC_APPLY, true);
            return;
        }
        if (code == EN_CHANGE) {
            if (!ready_) return;
            if (id == IDC_WAIT_TIME) {
                model_.EditWaitTime(ControlText(window_, id));
            } else {
                for (int i = 0; i < CCameraDlg::kFieldCount; ++i) {
                    if (kFieldIds[i] == id) model_.EditField(i, ControlText(window_, id));
                }
            }
            EnableControl(window_, IDC_APPLY, model_.ApplyEnabled());
            return;
        }
        if (code != BN_CLICKED) return;
        switch (id) {
            case IDC_APPLY: Commit(false); break;
            case IDOK: Commit(true); break;
            case IDCANCEL: EndDialog(window_, kDialogCancel); break;
            default: break;
        }
    }

    // Apply or OK; a full preset table refuses a new custom window and the
    // dialog stays open.
    void Commit(bool close) {
        if (!model_.Apply()) {
            MessageBeep(MB_ICONWARNING);
            return;
        }
        ShowSizes();
        EnableControl(window_, IDC_APPLY, false);
        if (close) EndDialog(window_, kDialogOk);
    }

    static CameraDlgView* current_;
    CCameraDlg& model_;
    HWND window_ = nullptr;
    HBRUSH brush_ = nullptr;
    bool ready_ = false;
};

CameraDlgView* CameraDlgView::current_ = nullptr;

}  // namespace

int RunCameraDlgView(HWND parent, CCameraDlg& model) {
    InitialiseCommonControls();
    CameraDlgView view(model);
    return view.Run(parent);
}

}  // namespace nodrix::settings::win32
