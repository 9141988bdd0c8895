#include "platform/SystemClock.h"

#include <time.h>

#include <cerrno>

namespace nodrix::platform::detail {
namespace {

std::uint32_t MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                             static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

}  // namespace

std::uint32_t SystemTickMs() { return MonotonicMs(); }

std::uint32_t SystemMultimediaMs() { return MonotonicMs(); }

void SystemSleepMs(std::uint32_t ms) {
    timespec left{static_cast<time_t>(ms / 1000u), static_cast<long>(ms % 1000u) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

}  // namespace nodrix::platform::detail
