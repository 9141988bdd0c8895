// A callback window that the application destroys while the preview runs:
// the worker's messages go nowhere, and it keeps converting frames.
#include <windows.h>

#include <cstring>
#include <vector>

#include "acquisition/AcquisitionFixture.h"
#include "platform/Time.h"

namespace nodrix::test {
namespace {

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

TEST_F(AcquisitionTest, CallbackWindowDestroyedDuringPreview) {
    HWND window = CreateWindowExA(0, "STATIC", "callback", 0, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    const int kBytes = frameBytes_;
    std::vector<std::uint8_t> buffer(kBytes);
    ASSERT_EQ(Nodrix_CallBackPreview(handle_, window, buffer.data(), kBytes, 1), 1);
    for (int i = 0; i < 20; ++i) {
        Pump();
        platform::SleepMs(10);
    }
    DestroyWindow(window);
    Pump();

    // Frames keep coming: the ramp moves on from one image to the next.
    std::vector<std::uint8_t> first(kBytes);
    std::vector<std::uint8_t> later(kBytes);
    platform::SleepMs(200);
    ASSERT_EQ(Nodrix_GetImage(handle_, first.data(), kBytes, 1), 1);
    bool moved = false;
    for (int i = 0; i < 100 && !moved; ++i) {
        platform::SleepMs(20);
        ASSERT_EQ(Nodrix_GetImage(handle_, later.data(), kBytes, 1), 1);
        moved = std::memcmp(first.data(), later.data(), kBytes) != 0;
    }
    EXPECT_TRUE(moved);
    EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
    EXPECT_TRUE(MatchesRamp(later.data(), bits_, 0, 0, 1280, 1024, true));
}

}  // namespace
}  // namespace nodrix::test
