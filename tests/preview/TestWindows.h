#pragma once
// Application windows for the preview tests: natively a window number, on
// Windows a visible top-level window of the test's thread.

#include "platform/WindowMessages.h"

namespace nodrix::test {

platform::WindowHandle MakeParentWindow(int clientWidth, int clientHeight);
void DestroyParentWindow(platform::WindowHandle window);
// Lets the windows of the test's thread process what is queued for them.
void PumpWindowMessages();

}  // namespace nodrix::test
