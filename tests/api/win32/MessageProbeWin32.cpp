#include <windows.h>

#include "api/MessageProbe.h"

namespace nodrix::test {

namespace {
const char kClassName[] = "NodrixTestRecipient";

ATOM RegisterProbeClass() {
    static ATOM atom = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kClassName;
        return RegisterClassA(&wc);
    }();
    return atom;
}

// A hidden top-level window of the test's thread; messages posted to it are
// read back by pumping its queue.
class WindowProbe : public MessageProbe {
public:
    WindowProbe() {
        RegisterProbeClass();
        window_ = CreateWindowExA(0, kClassName, "recipient", WS_OVERLAPPED, 0, 0, 10, 10,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~WindowProbe() override {
        if (window_ != nullptr) DestroyWindow(window_);
    }

    NodrixHwnd Window() const override { return window_; }

    std::optional<ProbedMessage> Next(std::uint32_t timeoutMs) override {
        const DWORD start = GetTickCount();
        for (;;) {
            MSG msg;
            while (PeekMessageA(&msg, window_, 0, 0, PM_REMOVE)) {
                if (msg.message >= WM_APP) {
                    return ProbedMessage{msg.message, static_cast<std::uintptr_t>(msg.wParam),
                                         static_cast<std::intptr_t>(msg.lParam)};
                }
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (GetTickCount() - start >= timeoutMs) return std::nullopt;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }

    void Clear() override {
        while (Next(0)) {
        }
    }

private:
    HWND window_ = nullptr;
};
}  // namespace

std::unique_ptr<MessageProbe> MakeMessageProbe() { return std::make_unique<WindowProbe>(); }

}  // namespace nodrix::test
