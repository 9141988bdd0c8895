#include "platform/SystemClock.h"

#include <windows.h>
#include <mmsystem.h>

namespace nodrix::platform::detail {

// GetTickCount advances in steps of 10-16 ms (coarser still under Wine), too
// coarse for waits of a few milliseconds; the performance counter gives the
// same wrapping millisecond count at full resolution.
std::uint32_t SystemTickMs() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        return QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? f.QuadPart : 0;
    }();
    LARGE_INTEGER now;
    if (frequency == 0 || !QueryPerformanceCounter(&now)) return GetTickCount();
    const unsigned long long seconds = static_cast<unsigned long long>(now.QuadPart / frequency);
    const unsigned long long rest = static_cast<unsigned long long>(now.QuadPart % frequency);
    return static_cast<std::uint32_t>(seconds * 1000 + rest * 1000 / frequency);
}

std::uint32_t SystemMultimediaMs() { return timeGetTime(); }

void SystemSleepMs(std::uint32_t ms) { Sleep(ms); }

}  // namespace nodrix::platform::detail
