#include "platform/SystemClock.h"

#include <windows.h>
#include <mmsystem.h>

namespace nodrix::platform::detail {

std::uint32_t SystemTickMs() { return GetTickCount(); }

std::uint32_t SystemMultimediaMs() { return timeGetTime(); }

void SystemSleepMs(std::uint32_t ms) { Sleep(ms); }

}  // namespace nodrix::platform::detail
