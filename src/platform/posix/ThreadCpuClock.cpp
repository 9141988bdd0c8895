#include "platform/ThreadCpuClock.h"

#include <time.h>

namespace nodrix::platform {

std::uint64_t ThreadCpuNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u +
           static_cast<std::uint64_t>(now.tv_nsec);
}

}  // namespace nodrix::platform
