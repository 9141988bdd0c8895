#include "platform/Time.h"

#include <atomic>
#include <chrono>
#include <mutex>

#include "platform/SystemClock.h"

namespace nodrix::platform {
namespace {

// The "no limit" time-out shared by Event::Wait and the driver waits.
constexpr std::uint32_t kNoLimit = 0xFFFFFFFFu;

// A scaled clock continues from where it stood when the factor changed:
// reading = base + (raw - rawBase) * factor, all modulo 2^32 like the
// system's own tick counters. Every thread of every connection reads the
// clocks, many times a frame, so a reading takes no lock: the rare change
// of the factor (under the mutex) makes the version odd while it writes,
// and a reading that saw a change under way or in between reads again.
struct ScaledClock {
    std::atomic<std::uint32_t> base{0};
    std::atomic<std::uint32_t> rawBase{0};
};

struct SpeedupState {
    std::mutex mutex;
    std::atomic<std::uint32_t> version{0};
    std::atomic<std::uint32_t> factor{1};
    ScaledClock tick;
    ScaledClock multimedia;
};

SpeedupState& State() {
    static SpeedupState state;
    return state;
}

std::uint32_t Read(const ScaledClock& clock, std::uint32_t raw, std::uint32_t factor) {
    // Acquire: the version read after these loads is not read before them.
    return clock.base.load(std::memory_order_acquire) +
           (raw - clock.rawBase.load(std::memory_order_acquire)) * factor;
}

std::uint32_t ReadScaled(ScaledClock SpeedupState::*clock, std::uint32_t (*raw)()) {
    // Even at factor 1 the clock carries the offset of an earlier speed-up,
    // so that it never runs backwards.
    const SpeedupState& state = State();
    for (;;) {
        const std::uint32_t before = state.version.load(std::memory_order_acquire);
        const std::uint32_t reading =
            Read(state.*clock, raw(), state.factor.load(std::memory_order_acquire));
        if ((before & 1) == 0 && state.version.load(std::memory_order_relaxed) == before) {
            return reading;
        }
    }
}

}  // namespace

std::uint32_t TickCount() {
    return ReadScaled(&SpeedupState::tick, detail::SystemTickMs);
}

std::uint32_t MultimediaTime() {
    return ReadScaled(&SpeedupState::multimedia, detail::SystemMultimediaMs);
}

std::uint64_t MonotonicMicroseconds() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

void SleepMs(std::uint32_t ms) {
    detail::SystemSleepMs(ScaledWaitMs(ms));
}

void SetTimeSpeedup(std::uint32_t factor) {
    if (factor == 0) factor = 1;
    SpeedupState& state = State();
    std::lock_guard<std::mutex> guard(state.mutex);
    const std::uint32_t old = state.factor.load(std::memory_order_relaxed);
    const std::uint32_t rawTick = detail::SystemTickMs();
    const std::uint32_t rawMultimedia = detail::SystemMultimediaMs();
    const std::uint32_t tickBase = Read(state.tick, rawTick, old);
    const std::uint32_t multimediaBase = Read(state.multimedia, rawMultimedia, old);
    const std::uint32_t version = state.version.load(std::memory_order_relaxed);
    state.version.store(version + 1, std::memory_order_relaxed);
    // Release: whoever reads a new value also finds the version odd or newer.
    state.tick.base.store(tickBase, std::memory_order_release);
    state.tick.rawBase.store(rawTick, std::memory_order_release);
    state.multimedia.base.store(multimediaBase, std::memory_order_release);
    state.multimedia.rawBase.store(rawMultimedia, std::memory_order_release);
    state.factor.store(factor, std::memory_order_release);
    state.version.store(version + 2, std::memory_order_release);
}

std::uint32_t TimeSpeedup() {
    return State().factor.load(std::memory_order_acquire);
}

std::uint32_t ScaledWaitMs(std::uint32_t ms) {
    if (ms == 0 || ms == kNoLimit) return ms;
    const std::uint32_t factor = TimeSpeedup();
    const std::uint32_t scaled = ms / factor;
    return scaled == 0 ? 1 : scaled;
}

}  // namespace nodrix::platform
