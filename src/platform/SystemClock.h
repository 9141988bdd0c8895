#pragma once
// The operating system's raw clocks and sleep, below the speed-up of
// Time.h. Only the platform layer uses these.

#include <cstdint>

namespace nodrix::platform::detail {

// Real milliseconds, wrapping at 2^32.
std::uint32_t SystemTickMs();
std::uint32_t SystemMultimediaMs();
// Sleeps ms real milliseconds.
void SystemSleepMs(std::uint32_t ms);

}  // namespace nodrix::platform::detail
