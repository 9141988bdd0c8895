#include "platform/ThreadCpuClock.h"

#include <windows.h>

namespace nodrix::platform {

std::uint64_t ThreadCpuNanoseconds() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        return QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? f.QuadPart : 1;
    }();
    LARGE_INTEGER now;
    if (!QueryPerformanceCounter(&now)) return 0;
    const auto ticks = static_cast<unsigned long long>(now.QuadPart);
    const auto perSecond = static_cast<unsigned long long>(frequency);
    return ticks / perSecond * 1000000000u + ticks % perSecond * 1000000000u / perSecond;
}

}  // namespace nodrix::platform
