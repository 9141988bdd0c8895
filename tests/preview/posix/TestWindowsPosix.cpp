#include "preview/TestWindows.h"

namespace nodrix::test {

platform::WindowHandle MakeParentWindow(int, int) { return 0x4242; }
void DestroyParentWindow(platform::WindowHandle) {}
void PumpWindowMessages() {}

}  // namespace nodrix::test
