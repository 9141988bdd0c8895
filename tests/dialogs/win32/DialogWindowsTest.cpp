// The real modal dialogs under Windows: a timer on the test's thread finds
// the open dialog, works its controls as a user would and presses OK or
// Cancel; the test then checks the connection, the camera and the store.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "api/DriverPortChoice.h"
#include "connection/CNodrix.h"
#include "core/CNodrixU3T2Base.h"
#include "core/EmulatedCameraFixture.h"
#include "platform/SettingsStore.h"
#include "settings/DialogIds.h"
#include "settings/DialogText.h"
#include "settings/SdkSettingsSandbox.h"
#include "settings/SettingsKeys.h"

namespace nodrix {
namespace {

// --- Driving a dialog ----------------------------------------------------------

std::function<void(HWND)> script;
bool scriptRan = false;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770" && IsWindowVisible(window) &&
        GetDlgItem(window, IDC_TAB) != nullptr) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Runs inside the dialog's modal loop, on the test's thread.
void CALLBACK RunScript(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) return;  // not shown yet: the timer comes again
    KillTimer(nullptr, timer);
    scriptRan = true;
    script(dialog);
    // A script that left the dialog open ends it, so that no test hangs.
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// Starts the dialog through run() with the script armed.
int Drive(const std::function<int()>& run, std::function<void(HWND)> steps) {
    script = std::move(steps);
    scriptRan = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, RunScript);
    const int result = run();
    KillTimer(nullptr, timer);  // when the dialog never showed
    EXPECT_TRUE(scriptRan) << "the dialog never showed";
    return result;
}

void Click(HWND window, int id) { SendMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0); }

void Type(HWND window, int id, const char* text) { SetDlgItemTextA(window, id, text); }

void Choose(HWND window, int id, int entry) {
    SendDlgItemMessageW(window, id, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

void Slide(HWND page, int trackbar, int position) {
    HWND bar = GetDlgItem(page, trackbar);
    SendMessageW(bar, TBM_SETPOS, TRUE, position);
    SendMessageW(page, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(bar));
}

std::string Text(HWND window, int id) {
    char text[256] = {};
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

std::wstring WideText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

// The pages inside a frame's tab control, in creation order.
std::vector<HWND> Pages(HWND frame) {
    std::vector<HWND> pages;
    HWND tab = GetDlgItem(frame, IDC_TAB);
    for (HWND child = GetWindow(tab, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        pages.insert(pages.begin(), child);
    }
    return pages;
}

void SelectTab(HWND frame, int index) {
    HWND tab = GetDlgItem(frame, IDC_TAB);
    SendMessageW(tab, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    NMHDR header = {tab, IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(frame, WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header));
}

std::int32_t Stored(const std::string& path, const char* name) {
    platform::SettingsKey key;
    std::uint32_t v = 0xFFFFFFFF;
    if (!key.Open(path, platform::KeyAccess::Read) || !key.ReadDword(name, &v)) return -12345;
    return static_cast<std::int32_t>(v);
}

class DialogWindows : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetSdkSettings();
        connection_ = std::make_unique<CNodrix>(api::ActiveDriverPort());
        connection_->Initialize(0);
        ASSERT_TRUE(connection_->HasCore());
        ASSERT_EQ(connection_->SetPreviewWindow(0, 0, 0, 0, 0), 1);
        while (connection_->Errors().PopError() != 0) {
        }
    }
    void TearDown() override {
        settings::OverrideDialogLanguageId(0);
        connection_.reset();
        test::ResetSdkSettings();
    }
    testing::InstalledEmulator emulator_{testing::CamerasOf({0x33B0})};
    std::unique_ptr<CNodrix> connection_;
};

// --- Camera dialog ---------------------------------------------------------------

TEST_F(DialogWindows, CameraDialogCustomWindowWithOk) {
    const int result = Drive([&] { return connection_->Dialogs().SetCameraDlg(0); }, [](HWND d) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_APPLY)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_CLOCK_LIST)));
        EXPECT_EQ(SendDlgItemMessageW(d, IDC_FORMAT_LIST, CB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(Text(d, IDC_FORMAT_LIST), "Monochrome 12bit *");
        EXPECT_EQ(Text(d, IDC_CLOCK_LIST), "High(37MHz)");
        EXPECT_EQ(SendDlgItemMessageW(d, IDC_SIZE_LIST, CB_GETCOUNT, 0, 0), 2);
        Choose(d, IDC_SIZE_LIST, 1);  // "Custom"
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_APPLY)));
        Type(d, IDC_H_EFFECTIVE, "320");
        Type(d, IDC_V_EFFECTIVE, "240");
        Type(d, IDC_H_START, "64");
        Type(d, IDC_V_START, "32");
        Type(d, IDC_WAIT_TIME, "30");
        Click(d, IDOK);
    });
    EXPECT_EQ(result, 1);
    const std::string size1 = settings::CameraPresetKey(0, 1);
    EXPECT_EQ(Stored(size1, "EH"), 320);
    EXPECT_EQ(Stored(size1, "EVS"), 32);
    EXPECT_EQ(Stored(settings::CameraKey(0), "Size"), 1);
    EXPECT_EQ(Stored(settings::CameraKey(0), "Clock"), 2);
    EXPECT_EQ(connection_->Width(), 320);
    EXPECT_EQ(connection_->Height(), 240);
    EXPECT_EQ(connection_->GetWaitTime(), 30);
}

TEST_F(DialogWindows, CameraDialogApplyThenCancel) {
    const int waitBefore = connection_->GetWaitTime();
    Drive([&] { return connection_->Dialogs().SetCameraDlg(0); }, [](HWND d) {
        Type(d, IDC_WAIT_TIME, "77");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_APPLY)));
        Click(d, IDC_APPLY);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_APPLY)));
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(Stored(settings::CameraKey(0), "WaitTime"), 77);
    EXPECT_EQ(connection_->GetWaitTime(), waitBefore);
}

TEST_F(DialogWindows, JapaneseCameraDialogHasJapaneseTexts) {
    settings::OverrideDialogLanguageId(1041);
    Drive([&] { return connection_->Dialogs().SetCameraDlg(0); }, [](HWND d) {
        EXPECT_EQ(WideText(d), L"カメラのプロパティ");
        wchar_t entry[64] = {};
        SendDlgItemMessageW(d, IDC_SIZE_LIST, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(entry));
        EXPECT_EQ(std::wstring(entry), L"カスタム");
        Click(d, IDCANCEL);
    });
}

// The stream goes on after the real dialog's OK: the camera stopped while it
// was open, a thread waiting throughout saw no stop, and the frames came on
// in order in the same buffers.
TEST_F(DialogWindows, CameraDialogPausesARunningStream) {
    NodrixExStreamInfo info = {};
    info.size = sizeof info;
    ASSERT_EQ(connection_->Acquiring().Stream().StreamGetInfo(&info), 1);
    std::vector<std::vector<std::uint8_t>> memory(4);
    std::vector<int> ids(memory.size());
    for (std::size_t i = 0; i < memory.size(); ++i) {
        memory[i].resize(static_cast<std::size_t>(info.payloadBytes));
        ASSERT_EQ(connection_->Acquiring().Stream().StreamAnnounceBuffer(memory[i].data(), memory[i].size(), nullptr, &ids[i]), 1);
        ASSERT_EQ(connection_->Acquiring().Stream().StreamQueueBuffer(ids[i]), 1);
    }
    ASSERT_EQ(connection_->Acquiring().Stream().StreamStart(0), 1);
    std::atomic<bool> dialogDone{false};
    auto waiter = std::async(std::launch::async, [&] {
        std::vector<std::uint32_t> numbers;
        for (int after = 0;;) {
            NodrixExStreamBuffer b = {};
            b.size = sizeof b;
            const int result = connection_->Acquiring().Stream().StreamWaitBuffer(NODRIXEX_WAIT_INFINITE, &b);
            if (result != NODRIXEX_WAIT_BUFFER) return std::make_pair(result, numbers);
            numbers.push_back(b.metadata.frameNumber);
            connection_->Acquiring().Stream().StreamQueueBuffer(b.id);
            if (dialogDone && ++after == 8) return std::make_pair(result, numbers);
        }
    });
    const int result = Drive([&] { return connection_->Dialogs().SetCameraDlg(0); }, [&](HWND d) {
        EXPECT_FALSE(connection_->Core()->Acquiring());
        NodrixExStreamInfo during = {};
        during.size = sizeof during;
        EXPECT_EQ(connection_->Acquiring().Stream().StreamGetInfo(&during), 1);
        EXPECT_EQ(during.running, 1);
        Type(d, IDC_WAIT_TIME, "30");
        Click(d, IDOK);
    });
    EXPECT_EQ(result, 1);
    dialogDone = true;
    ASSERT_EQ(waiter.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    const auto [waited, numbers] = waiter.get();
    EXPECT_EQ(waited, NODRIXEX_WAIT_BUFFER);
    for (std::size_t i = 1; i < numbers.size(); ++i) EXPECT_GT(numbers[i], numbers[i - 1]) << i;
    EXPECT_TRUE(connection_->Core()->Acquiring());
    ASSERT_EQ(connection_->Acquiring().Stream().StreamStop(), 1);
    for (const int id : ids) EXPECT_EQ(connection_->Acquiring().Stream().StreamRevokeBuffer(id, nullptr, nullptr), 1);
}

// --- Image dialog ----------------------------------------------------------------

TEST_F(DialogWindows, ImageDialogLiveEditsDefaultsAndCancel) {
    const ImageParameters before = connection_->ImageBlock();
    Drive([&] { return connection_->Dialogs().SetImageDlg(0); }, [&](HWND d) {
        const std::vector<HWND> pages = Pages(d);
        ASSERT_EQ(pages.size(), 2u);  // grey output: filter and grey pages
        HWND filter = pages[0];
        EXPECT_TRUE(IsWindowVisible(filter));
        EXPECT_FALSE(IsWindowVisible(pages[1]));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(filter, IDC_HUE_BAR)));
        Slide(filter, IDC_BRIGHTNESS_BAR, 100);
        EXPECT_EQ(Text(filter, IDC_BRIGHTNESS_EDIT), "100");
        EXPECT_EQ(connection_->ImageBlock().brightness, 100);
        Type(filter, IDC_CONTRAST_EDIT, "-20");
        EXPECT_EQ(connection_->ImageBlock().contrast, -20);
        EXPECT_EQ(SendDlgItemMessageW(filter, IDC_CONTRAST_BAR, TBM_GETPOS, 0, 0), -20);
        SelectTab(d, 1);
        EXPECT_TRUE(IsWindowVisible(pages[1]));
        EXPECT_FALSE(IsWindowVisible(filter));
        Type(pages[1], 2101, "500");  // red grey gain: held at 400
        EXPECT_EQ(connection_->ImageBlock().greyGain[0], 400);
        Click(d, IDC_DEFAULT);
        EXPECT_EQ(connection_->ImageBlock().brightness, 0);
        EXPECT_EQ(Text(filter, IDC_GAMMA_EDIT), "100");
        EXPECT_EQ(Text(pages[1], 2113), "128");
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(connection_->ImageBlock().brightness, before.brightness);
    EXPECT_EQ(connection_->ImageBlock().contrast, before.contrast);
    EXPECT_EQ(connection_->ImageBlock().greyGain[0], before.greyGain[0]);
}

TEST_F(DialogWindows, ImageDialogOkKeepsEdits) {
    Drive([&] { return connection_->Dialogs().SetImageDlg(0); }, [&](HWND d) {
        HWND filter = Pages(d)[0];
        Type(filter, IDC_SHARPNESS_EDIT, "9");
        Click(filter, IDC_BAYER_1);
        Click(d, IDOK);
    });
    EXPECT_EQ(connection_->ImageBlock().sharpness, 9);
}

// --- Analog dialog ---------------------------------------------------------------

TEST_F(DialogWindows, AnalogDialogChangesTheCameraUntilCancel) {
    CNodrixU3T2Base& core = *connection_->Core();
    const int gainBefore = core.GetGain();
    const int target = gainBefore == core.GetGainMax() ? core.GetGainMin() : core.GetGainMax();
    Drive([&] { return connection_->Dialogs().SetAnalogDlg(0); }, [&](HWND d) {
        const std::vector<HWND> pages = Pages(d);
        ASSERT_EQ(pages.size(), 1u);
        HWND page = pages[0];
        EXPECT_NE(GetDlgItem(page, IDC_BLACK_BAR), nullptr);  // the monochrome page
        const bool seconds = core.HasExposureSeconds() != 0;
        EXPECT_EQ(IsWindowVisible(GetDlgItem(page, IDC_SECONDS_EDIT)) != 0, seconds);
        EXPECT_EQ(IsWindowVisible(GetDlgItem(page, IDC_EXPOSURE_BAR)) != 0, !seconds);
        Type(page, IDC_GAIN_EDIT, std::to_string(target).c_str());
        EXPECT_EQ(core.GetGain(), target);
        EXPECT_EQ(SendDlgItemMessageW(page, IDC_GAIN_BAR, TBM_GETPOS, 0, 0), target);
        Click(page, IDC_IRIS_GAIN);
        Click(page, IDC_IRIS_EXPOSURE);
        EXPECT_FALSE(IsDlgButtonChecked(page, IDC_IRIS_GAIN));
        EXPECT_EQ(connection_->CameraBlock().autoIris, 1);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(core.GetGain(), gainBefore);
    EXPECT_EQ(connection_->CameraBlock().autoIris, 0);
}

TEST_F(DialogWindows, AnalogDialogSecondsFieldWithOk) {
    CNodrixU3T2Base& core = *connection_->Core();
    if (!core.HasExposureSeconds()) GTEST_SKIP() << "camera without exposure in seconds";
    Drive([&] { return connection_->Dialogs().SetAnalogDlg(0); }, [&](HWND d) {
        HWND page = Pages(d)[0];
        const int count = static_cast<int>(SendDlgItemMessageW(page, IDC_SECONDS_UNIT, CB_GETCOUNT, 0, 0));
        int ms = -1;
        for (int i = 0; i < count; ++i) {
            char unit[16] = {};
            SendDlgItemMessageA(page, IDC_SECONDS_UNIT, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(unit));
            if (std::string(unit) == "ms") ms = i;
        }
        ASSERT_GE(ms, 0);
        Choose(page, IDC_SECONDS_UNIT, ms);
        Type(page, IDC_SECONDS_EDIT, "12.5");
        EXPECT_NEAR(core.GetExposureSeconds(), 0.0125, 0.0005);
        Click(d, IDOK);
    });
    EXPECT_NEAR(connection_->CameraBlock().exposureSeconds, 0.0125, 1e-9);
    EXPECT_NEAR(core.GetExposureSeconds(), 0.0125, 0.0005);
}

// --- Resources -------------------------------------------------------------------

BOOL CALLBACK CollectId(HWND control, LPARAM ids) {
    const int id = GetDlgCtrlID(control);
    if (id != 0 && id != -1 && id != 0xFFFF) reinterpret_cast<std::multiset<int>*>(ids)->insert(id);
    return TRUE;
}

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

std::multiset<int> ControlIds(HMODULE module, int resource, HWND parent) {
    std::multiset<int> ids;
    HWND dialog = CreateDialogParamW(module, MAKEINTRESOURCEW(resource), parent, QuietProc, 0);
    EXPECT_NE(dialog, nullptr) << "resource " << resource;
    if (dialog == nullptr) return ids;
    EnumChildWindows(dialog, CollectId, reinterpret_cast<LPARAM>(&ids));
    DestroyWindow(dialog);
    return ids;
}

TEST(DialogResources, TheLibraryHoldsBothLanguagesWithTheSameControls) {
    InitCommonControls();
    HMODULE library = LoadLibraryA("NodrixSdk_T520_USB3.dll");
    ASSERT_NE(library, nullptr);
    HWND host = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    const int pairs[][2] = {{IDD_CAMERA_JA, IDD_CAMERA_EN},        {IDD_IMAGE_JA, IDD_IMAGE_EN},
                            {IDD_IMAGE_FILTER_JA, IDD_IMAGE_FILTER_EN}, {IDD_ANALOG_JA, IDD_ANALOG_EN},
                            {IDD_ANALOG_COLOR_JA, IDD_ANALOG_COLOR_EN}, {IDD_GRAY_FILTER_JA, IDD_GRAY_FILTER_EN},
                            {IDD_ANALOG_MONO_JA, IDD_ANALOG_MONO_EN},   {IDD_CHANNEL_GAINS_JA, IDD_CHANNEL_GAINS_EN}};
    for (const auto& pair : pairs) {
        const std::multiset<int> japanese = ControlIds(library, pair[0], host);
        const std::multiset<int> english = ControlIds(library, pair[1], host);
        EXPECT_FALSE(english.empty()) << pair[1];
        EXPECT_EQ(japanese, english) << pair[0] << " / " << pair[1];
    }
    const std::multiset<int> camera = ControlIds(library, IDD_CAMERA_EN, host);
    for (int id : {IDC_TAB, IDC_FORMAT_LIST, IDC_SIZE_LIST, IDC_SUBSAMPLE_LIST, IDC_CLOCK_LIST, IDC_H_TOTAL,
                   IDC_V_START, IDC_WAIT_TIME, IDOK, IDCANCEL, IDC_APPLY}) {
        EXPECT_EQ(camera.count(id), 1u) << id;
    }
    DestroyWindow(host);
    FreeLibrary(library);
}

}  // namespace
}  // namespace nodrix
