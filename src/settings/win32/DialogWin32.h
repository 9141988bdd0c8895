#pragma once
// What the three Win32 dialog views share: the module holding the dialog
// resources, the language, UTF-8 texts in controls, trackbar groups and the
// owner-drawn tabs.

#include <windows.h>

#include <string>
#include <vector>

#include "settings/DialogText.h"
#include "settings/TrackbarGroup.h"

namespace nodrix::settings::win32 {

// A private message the views post to themselves when the conversion
// changed a value they show (wParam: what, lParam: the value).
inline constexpr UINT kLiveUpdateMessage = WM_APP + 0x51;

// The library's module ("NodrixSdk_T520_USB3.dll"); a program that links
// the library statically holds the resources itself.
HINSTANCE DialogModule();
DialogLanguage UiLanguage();
// The resource of the given language variant.
inline LPCWSTR Resource(int japanese, int english) {
    return MAKEINTRESOURCEW(UiLanguage() == DialogLanguage::Japanese ? japanese : english);
}
void InitialiseCommonControls();

std::wstring Wide(const std::string& utf8);
std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string& utf8);
void FillList(HWND dialog, int id, const std::vector<std::string>& entries, int selection);
int ListSelection(HWND dialog, int id);
void ShowControl(HWND dialog, int id, bool shown);
void EnableControl(HWND dialog, int id, bool enabled);
bool IsChecked(HWND dialog, int id);
void SetChecked(HWND dialog, int id, bool checked);

// Ranges, page size, position, buddy, edit text (signed) and enabling.
void SetUpGroup(HWND page, const TrackbarGroup& group, int value);
// Shows a value in the group's edit and trackbar.
void ShowGroupValue(HWND page, const TrackbarGroup& group, int value);
void ShowGroup(HWND page, const TrackbarGroup& group, bool shown);
// The trackbar id behind a WM_HSCROLL, 0 for none.
int ScrolledTrackbar(LPARAM lParam);
int TrackbarPosition(HWND page, int trackbar);

// The tab control (id 1001) of a frame: tabs with owner-drawn labels, and
// pages placed inside it.
void AddTab(HWND frame, int index, const std::string& label);
void DrawTab(const DRAWITEMSTRUCT& item, HBRUSH background);
HWND CreatePage(HWND frame, LPCWSTR resource, DLGPROC proc);

}  // namespace nodrix::settings::win32
