// The image dialog on screen: a frame with the filter page and, for grey
// output, the grey filter page. Every edit goes live into the image block
// through the CImageDlg model.
#include <windows.h>

#include <commctrl.h>

#include "settings/CImageDlg.h"
#include "settings/DialogIds.h"
#include "settings/DialogResults.h"
#include "settings/LiveDialogs.h"
#include "settings/win32/DialogViews.h"
#include "settings/win32/DialogWin32.h"
#include "settings/win32/SinglePageView.h"
#include "settings/win32/TabbedDialogFrame.h"

namespace nodrix::settings::win32 {

namespace {

constexpr int kBayerIds[4] = {IDC_BAYER_0, IDC_BAYER_1, IDC_BAYER_2, IDC_BAYER_3};
constexpr int kGreyModeIds[3] = {IDC_GRAY_MODE_BAYER, IDC_GRAY_MODE_CONVERT, IDC_GRAY_MODE_GRAY};

void CheckBayer(HWND page, int mode) {
    for (int i = 0; i < 4; ++i) SetChecked(page, kBayerIds[i], i == mode);
}

int CheckedIndex(HWND page, const int* ids, int count) {
    for (int i = 0; i < count; ++i) {
        if (IsChecked(page, ids[i])) return i;
    }
    return -1;
}

// The trackbar-group mechanics both pages share.
template <typename Page, typename View>
class GroupPageView : public SinglePageView<View> {
public:
    explicit GroupPageView(Page& model) : model_(model) {}
    using SinglePageView<View>::window;

    void ShowValues() {
        const bool was = model_.initialised;
        model_.initialised = false;
        for (int i = 0; i < Page::kGroupCount; ++i) {
            SetUpGroup(window, model_.Group(i), model_.Value(i));
        }
        model_.initialised = was;
    }
    // A trackbar moved: its position goes into the edit, whose change
    // stores it.
    void Scrolled(int trackbar) {
        const int group = model_.GroupOfControl(trackbar);
        if (group < 0) return;
        SetDlgItemInt(window, model_.Group(group).edit,
                      static_cast<UINT>(TrackbarPosition(window, trackbar)), TRUE);
    }
    // True when the id was one of the group edits.
    bool EditChanged(int id) {
        const int group = model_.GroupOfControl(id);
        if (group < 0 || model_.Group(group).edit != id) return false;
        if (!model_.initialised) return true;
        const int stored = model_.SetText(group, ControlText(window, id));
        SendDlgItemMessageW(window, model_.Group(group).trackbar, TBM_SETPOS, TRUE, stored);
        return true;
    }
    void ApplyEdits() {
        for (int i = 0; i < Page::kGroupCount; ++i) {
            model_.SetText(i, ControlText(window, model_.Group(i).edit));
        }
    }

protected:
    Page& model_;
};

class FilterPageView : public GroupPageView<CImageFilterPage, FilterPageView> {
public:
    explicit FilterPageView(CImageFilterPage& model) : GroupPageView(model) {}

    void Refresh() {
        ShowValues();
        CheckBayer(window, model_.BayerMode());
    }
    void Apply() {
        ApplyEdits();
        const int bayer = CheckedIndex(window, kBayerIds, 4);
        if (bayer >= 0) model_.SetBayerMode(bayer);
    }

private:
    void Initialise() {
        Refresh();
        for (int id : {IDC_ONCE, IDC_ALL_FRAMES, IDC_BAYER_0, IDC_BAYER_1, IDC_BAYER_2, IDC_BAYER_3}) {
            EnableControl(window, id, model_.WhiteBalanceEnabled());
        }
        model_.initialised = true;
    }
    void Command(int id, int code) {
        if (code == EN_CHANGE) {
            EditChanged(id);
            return;
        }
        if (code != BN_CLICKED || !model_.initialised) return;
        if (id == IDC_ONCE) {
            model_.WhiteBalanceOnce();
            SetChecked(window, IDC_ALL_FRAMES, false);
        } else if (id == IDC_ALL_FRAMES) {
            model_.WhiteBalanceAllFrames(IsChecked(window, IDC_ALL_FRAMES));
        } else {
            for (int i = 0; i < 4; ++i) {
                if (id == kBayerIds[i]) model_.SetBayerMode(i);
            }
        }
    }

    friend class SinglePageView<FilterPageView>;
};

class GrayPageView : public GroupPageView<CGrayFilterPage, GrayPageView> {
public:
    explicit GrayPageView(CGrayFilterPage& model) : GroupPageView(model) {}

    void Refresh() {
        ShowValues();
        for (int i = 0; i < 3; ++i) SetChecked(window, kGreyModeIds[i], i == model_.GreyMode());
        CheckBayer(window, model_.BayerMode());
    }
    void Apply() { ApplyEdits(); }

private:
    void Initialise() {
        Refresh();
        model_.initialised = true;
    }
    void Command(int id, int code) {
        if (code == EN_CHANGE) {
            EditChanged(id);
            return;
        }
        if (code != BN_CLICKED || !model_.initialised) return;
        if (id == IDC_ONCE) {
            model_.GreyGainOnce();
        } else if (id == IDC_ALL_FRAMES) {
            model_.GreyGainAllFrames();
        }
        for (int i = 0; i < 3; ++i) {
            if (id == kGreyModeIds[i]) model_.SetGreyMode(i);
        }
        for (int i = 0; i < 4; ++i) {
            if (id == kBayerIds[i]) model_.SetBayerMode(i);
        }
    }

    friend class SinglePageView<GrayPageView>;
};

class ImageDlgView : public DialogListener, public TabbedDialogFrame<ImageDlgView> {
public:
    ImageDlgView(CImageDlg& model, LiveDialogs& live)
        : model_(model), live_(live), filter_(model.FilterPage()), gray_(model.GrayPage()) {}
    ~ImageDlgView() override { live_.DetachImage(); }

    int Run(HWND parent) { return RunModal(parent, Resource(IDD_IMAGE_JA, IDD_IMAGE_EN)); }

    // From the worker thread: only a message is queued.
    void ImageParametersMeasured() override { PostMessageW(window_, kLiveUpdateMessage, 0, 0); }

private:
    friend class TabbedDialogFrame<ImageDlgView>;

    bool Notify(const NMHDR& header) {
        if (header.idFrom == IDC_TAB && header.code == TCN_SELCHANGE) ShowSelectedPage();
        return true;
    }
    void LiveUpdate(WPARAM, LPARAM) { Refresh(); }
    void Detach() { live_.DetachImage(); }

    void Initialise() {
        const DialogLanguage language = UiLanguage();
        AddTab(window_, 0, ImageFilterTab(language));
        filter_.window = CreatePage(window_, Resource(IDD_IMAGE_FILTER_JA, IDD_IMAGE_FILTER_EN),
                                    FilterPageView::Proc);
        if (filter_.window != nullptr) ShowWindow(filter_.window, SW_SHOW);
        if (model_.HasGrayPage()) {
            AddTab(window_, 1, GrayFilterTab(language));
            gray_.window = CreatePage(window_, Resource(IDD_GRAY_FILTER_JA, IDD_GRAY_FILTER_EN),
                                      GrayPageView::Proc);
        }
        live_.AttachImage(this);
    }

    void ShowSelectedPage() {
        const int selected = static_cast<int>(SendDlgItemMessageW(window_, IDC_TAB, TCM_GETCURSEL, 0, 0));
        if (filter_.window != nullptr) ShowWindow(filter_.window, selected == 0 ? SW_SHOW : SW_HIDE);
        if (gray_.window != nullptr) ShowWindow(gray_.window, selected == 1 ? SW_SHOW : SW_HIDE);
    }

    void Refresh() {
        if (filter_.window != nullptr) filter_.Refresh();
        if (gray_.window != nullptr) gray_.Refresh();
    }

    void Command(int id) {
        switch (id) {
            case IDOK:
                if (filter_.window != nullptr) filter_.Apply();
                if (gray_.window != nullptr) gray_.Apply();
                End(kDialogOk);
                break;
            case IDCANCEL: End(kDialogCancel); break;
            case IDC_DEFAULT:
                model_.Defaults();
                Refresh();
                break;
            default: break;
        }
    }

    CImageDlg& model_;
    LiveDialogs& live_;
    FilterPageView filter_;
    GrayPageView gray_;
};

}  // namespace

int RunImageDlgView(HWND parent, CImageDlg& model, LiveDialogs& live) {
    InitialiseCommonControls();
    ImageDlgView view(model, live);
    return view.Run(parent);
}

}  // namespace nodrix::settings::win32
