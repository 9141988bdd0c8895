#pragma once
// The processor time of the calling thread, for measuring what a stretch of
// pure computation costs on the thread that runs it.

#include <cstdint>

namespace nodrix::platform {

// Nanoseconds since an arbitrary start. Natively the thread's own processor
// clock. Windows counts a thread's time only in whole scheduler ticks (10 to
// 16 ms, and each reading is slow under Wine), far coarser than the stretches
// this is meant for; there it is the high-resolution monotonic clock, which
// matches processor time for computation that neither blocks nor is
// preempted.
std::uint64_t ThreadCpuNanoseconds();

}  // namespace nodrix::platform
