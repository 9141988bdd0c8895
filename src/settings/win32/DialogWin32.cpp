#include "settings/win32/DialogWin32.h"

#include <commctrl.h>

#include "settings/DialogIds.h"

namespace nodrix::settings::win32 {

namespace {
// Where a page sits inside its frame's tab control, in pixels.
constexpr int kPageX = 30;
constexpr int kPageY = 25;
}  // namespace

HINSTANCE DialogModule() {
    HMODULE module = GetModuleHandleA("NodrixSdk_T520_USB3.dll");
    if (module == nullptr) {
        GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&DialogModule), &module);
    }
    return module;
}

DialogLanguage UiLanguage() {
    const int forced = DialogLanguageIdOverride();
    return LanguageForSystem(forced != 0 ? forced : GetSystemDefaultLangID());
}

void InitialiseCommonControls() {
    INITCOMMONCONTROLSEX controls = {sizeof controls,
                                     ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
}

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                           nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(),
                            length);
    }
    return text;
}

std::string ControlText(HWND dialog, int id) {
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, id, text, 256);
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), length, nullptr, nullptr);
    utf8.resize(static_cast<std::size_t>(length - 1));
    return utf8;
}

void SetControlText(HWND dialog, int id, const std::string& utf8) {
    SetDlgItemTextW(dialog, id, Wide(utf8).c_str());
}

void FillList(HWND dialog, int id, const std::vector<std::string>& entries, int selection) {
    SendDlgItemMessageW(dialog, id, CB_RESETCONTENT, 0, 0);
    for (const std::string& entry : entries) {
        SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(Wide(entry).c_str()));
    }
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

int ListSelection(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

void ShowControl(HWND dialog, int id, bool shown) {
    HWND control = GetDlgItem(dialog, id);
    if (control != nullptr) ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
}

void EnableControl(HWND dialog, int id, bool enabled) {
    HWND control = GetDlgItem(dialog, id);
    if (control != nullptr) EnableWindow(control, enabled);
}

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void SetChecked(HWND dialog, int id, bool checked) {
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void SetUpGroup(HWND page, const TrackbarGroup& g, int value) {
    SendDlgItemMessageW(page, g.trackbar, TBM_SETRANGEMIN, FALSE, g.minimum);
    SendDlgItemMessageW(page, g.trackbar, TBM_SETRANGEMAX, FALSE, g.maximum);
    SendDlgItemMessageW(page, g.trackbar, TBM_SETPAGESIZE, 0, g.pageSize);
    SendDlgItemMessageW(page, g.trackbar, TBM_SETPOS, TRUE, value);
    SendDlgItemMessageW(page, g.upDown, UDM_SETRANGE32, static_cast<WPARAM>(g.minimum), g.maximum);
    SendDlgItemMessageW(page, g.upDown, UDM_SETBUDDY,
                        reinterpret_cast<WPARAM>(GetDlgItem(page, g.edit)), 0);
    SendDlgItemMessageW(page, g.upDown, UDM_SETPOS32, 0, value);
    SetDlgItemInt(page, g.edit, static_cast<UINT>(value), TRUE);
    for (int id : {g.trackbar, g.edit, g.upDown}) EnableControl(page, id, g.enabled);
}

void ShowGroupValue(HWND page, const TrackbarGroup& g, int value) {
    SetDlgItemInt(page, g.edit, static_cast<UINT>(value), TRUE);
    SendDlgItemMessageW(page, g.trackbar, TBM_SETPOS, TRUE, value);
}

void ShowGroup(HWND page, const TrackbarGroup& g, bool shown) {
    for (int id : {g.trackbar, g.edit, g.upDown}) ShowControl(page, id, shown);
}

int ScrolledTrackbar(LPARAM lParam) {
    HWND control = reinterpret_cast<HWND>(lParam);
    return control != nullptr ? GetDlgCtrlID(control) : 0;
}

int TrackbarPosition(HWND page, int trackbar) {
    return static_cast<int>(SendDlgItemMessageW(page, trackbar, TBM_GETPOS, 0, 0));
}

void AddTab(HWND frame, int index, const std::string& label) {
    std::wstring text = Wide(label);
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendDlgItemMessageW(frame, IDC_TAB, TCM_INSERTITEMW, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(&item));
}

void DrawTab(const DRAWITEMSTRUCT& item, HBRUSH background) {
    wchar_t text[128] = {};
    TCITEMW tab = {};
    tab.mask = TCIF_TEXT;
    tab.pszText = text;
    tab.cchTextMax = 128;
    SendMessageW(item.hwndItem, TCM_GETITEMW, item.itemID, reinterpret_cast<LPARAM>(&tab));
    RECT rect = item.rcItem;
    FillRect(item.hDC, &rect, background);
    SetBkMode(item.hDC, TRANSPARENT);
    DrawTextW(item.hDC, text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

HWND CreatePage(HWND frame, LPCWSTR resource, DLGPROC proc) {
    HWND tab = GetDlgItem(frame, IDC_TAB);
    HWND page = CreateDialogParamW(DialogModule(), resource, tab, proc, 0);
    if (page != nullptr) SetWindowPos(page, HWND_TOP, kPageX, kPageY, 0, 0, SWP_NOSIZE);
    return page;
}

}  // namespace nodrix::settings::win32
