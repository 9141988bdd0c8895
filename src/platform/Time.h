#pragma once
// The library's one time source. Every sleep, timed wait and tick reading
// goes through here, so that a test can run time faster and exercise
// time-out paths of seconds in milliseconds.

#include <cstdint>

namespace nodrix::platform {

// Milliseconds since an arbitrary start, wrapping at 2^32 (GetTickCount).
std::uint32_t TickCount();
// Milliseconds of the multimedia timer (timeGetTime).
std::uint32_t MultimediaTime();
// Microseconds of a monotonic clock in real time (not sped up), for time
// stamps that must never run backwards or wrap.
std::uint64_t MonotonicMicroseconds();
// Sleeps ms milliseconds of library time.
void SleepMs(std::uint32_t ms);

// Test hook: with factor N every sleep and timed wait lasts 1/N of its
// nominal length and TickCount/MultimediaTime advance N times faster.
// 1 (the default) is real time.
void SetTimeSpeedup(std::uint32_t factor);
std::uint32_t TimeSpeedup();

// A nominal wait of ms milliseconds converted to the real milliseconds to
// wait for under the current speed-up (never 0 for a nonzero ms).
std::uint32_t ScaledWaitMs(std::uint32_t ms);

}  // namespace nodrix::platform
