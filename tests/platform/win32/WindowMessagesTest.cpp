#include <gtest/gtest.h>
#include <windows.h>

#include "platform/WindowMessages.h"

namespace nodrix::platform {
namespace {

// A message-only window of this thread to post to.
class MessageWindow {
public:
    MessageWindow() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "NodrixPlatformTestWindow";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, windowClass.hInstance, nullptr);
    }
    ~MessageWindow() { Destroy(); }
    void Destroy() {
        if (window_) DestroyWindow(window_);
        window_ = nullptr;
    }
    HWND Handle() const { return window_; }

private:
    HWND window_ = nullptr;
};

TEST(WindowMessagesTest, PostedMessageArrivesAtTheWindow) {
    MessageWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    const auto handle = reinterpret_cast<WindowHandle>(window.Handle());
    EXPECT_TRUE(IsWindowAlive(handle));
    ASSERT_TRUE(PostWindowMessage(handle, 0x8003, 0, 7));
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, window.Handle(), 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, 0x8003u);
    EXPECT_EQ(message.wParam, 0u);
    EXPECT_EQ(message.lParam, 7);
}

TEST(WindowMessagesTest, DestroyedOrNullWindowIsRefused) {
    MessageWindow window;
    const auto handle = reinterpret_cast<WindowHandle>(window.Handle());
    window.Destroy();
    EXPECT_FALSE(IsWindowAlive(handle));
    EXPECT_FALSE(PostWindowMessage(handle, 0x8003, 0, 1));
    EXPECT_FALSE(PostWindowMessage(0, 0x8003, 0, 1));
}

}  // namespace
}  // namespace nodrix::platform
