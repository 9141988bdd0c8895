#pragma once
// What the frame delivery benchmarks share: the emulated camera with its
// payload meter and settings of this process alone, the process's processor
// time, the reference memcpy of a frame, and the sensor paced to the USB 3.0
// link rate.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "NodrixSdk.h"
#include "emulator/GenerationMeter.h"
#include "platform/SharedMemory.h"
#include "platform/ThreadCpuClock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include "platform/posix/PrivateSettingsFile.h"
#include "platform/posix/ShmName.h"
#endif

namespace nodrix_bench {

constexpr double kLinkBytesPerSecond = 380e6;
constexpr double kPixelClockHz = 37037000.0;
constexpr int kPowerOnLineLength = 1344;
constexpr int kWidth = 1280;
constexpr int kHeight = 1024;
constexpr int kPacedCopies = 60;
// Frames in flight live in more buffers than the caches hold; so do the
// frames the reference copy is measured on.
constexpr int kRotatingFrames = 6;

inline const std::string& MeterName() {
#ifdef _WIN32
    static const std::string name = "NodrixBenchMeter" + std::to_string(GetCurrentProcessId());
#else
    static const std::string name = "NodrixBenchMeter" + std::to_string(getpid());
#endif
    return name;
}

// The emulated cameras (NODRIX_EMULATION as given), their meter and a
// settings file of this process alone, before the library looks at any of
// them. Call from a static initialiser.
inline bool UseEmulation(const char* emulation) {
#ifdef _WIN32
    // A private Wine prefix keeps the registry settings apart.
    return _putenv(("NODRIX_EMULATION=" + std::string(emulation)).c_str()) == 0 &&
           _putenv(("NODRIX_EMULATOR_METER=" + MeterName()).c_str()) == 0;
#else
    nodrix::testing_support::ProgramSettingsFile();
    return setenv("NODRIX_EMULATION", emulation, 1) == 0 &&
           setenv("NODRIX_EMULATOR_METER", MeterName().c_str(), 1) == 0 &&
           setenv("NODRIX_OBJECT_NAMESPACE", ("bench" + std::to_string(getpid())).c_str(), 1) == 0;
#endif
}

// The emulated camera's payload meter as this process reads it.
class EmulatorMeter {
public:
    EmulatorMeter() {
        bool existed = false;
        block_.OpenOrCreate(MeterName(), nodrix::emulator::kMeterBlockSize, &existed);
    }
    ~EmulatorMeter() {
#ifndef _WIN32
        // The library keeps its view of the block until the process ends and
        // would leave the names behind.
        shm_unlink(nodrix::platform::detail::ShmName(MeterName()).c_str());
        shm_unlink(nodrix::platform::detail::ShmName(MeterName(), ".users").c_str());
#endif
    }
    EmulatorMeter(const EmulatorMeter&) = delete;
    EmulatorMeter& operator=(const EmulatorMeter&) = delete;

    bool Open() const {
        return block_.Data() != nullptr;
    }
    double Seconds() const {
        return static_cast<double>(Read(nodrix::emulator::kMeterNanosecondsOffset)) * 1e-9;
    }
    std::uint64_t Bytes() const {
        return Read(nodrix::emulator::kMeterBytesOffset);
    }
    std::uint64_t Pieces() const {
        return Read(nodrix::emulator::kMeterPiecesOffset);
    }

private:
    std::uint64_t Read(std::size_t offset) const {
        return std::atomic_ref<std::uint64_t>(
                   *reinterpret_cast<std::uint64_t*>(block_.Data() + offset))
            .load(std::memory_order_relaxed);
    }

    nodrix::platform::SharedMemory block_;
};

inline EmulatorMeter& Meter() {
    static EmulatorMeter meter;
    return meter;
}

// Keeps the compiler from dropping a copy whose result is never read.
inline volatile std::uint8_t gSink = 0;
inline void Keep(const std::vector<std::uint8_t>& bytes) {
    gSink = gSink ^ bytes[bytes.size() / 2];
}

inline double ProcessCpuSeconds() {
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) * 1e-7;
#else
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
#endif
}

inline double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The clock of the frame metadata's timestampUs.
inline std::uint64_t MonotonicMicroseconds() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

// Processor seconds of one call of body, over enough calls to be measurable.
template <typename Body>
double CpuPerCall(Body body) {
    body();  // warm
    int calls = 0;
    const double start = ProcessCpuSeconds();
    double spent = 0;
    do {
        body();
        ++calls;
        spent = ProcessCpuSeconds() - start;
    } while (spent < 0.3 || calls < 10);
    return spent / calls;
}

// One streaming memcpy of a frame between buffers that do not stay in the
// caches, in processor seconds.
inline double MemcpySeconds(std::size_t bytes) {
    using Frames = std::vector<std::vector<std::uint8_t>>;
    Frames from(kRotatingFrames, std::vector<std::uint8_t>(bytes, 1));
    Frames to(kRotatingFrames, std::vector<std::uint8_t>(bytes, 2));
    int next = 0;
    return CpuPerCall([&] {
        std::memcpy(to[next].data(), from[next].data(), bytes);
        Keep(to[next]);
        next = (next + 1) % kRotatingFrames;
    });
}

// One copy per frame period, the thread idle in between: processor seconds
// of one copy, on the clock the emulated camera's meter uses (a process clock
// may advance only in scheduler ticks).
inline double PacedMemcpySeconds(std::size_t bytes) {
    std::vector<std::uint8_t> from(kRotatingFrames * bytes, 1);
    std::vector<std::uint8_t> to(kRotatingFrames * bytes, 2);
    const auto period =
        std::chrono::duration<double>(static_cast<double>(bytes) / kLinkBytesPerSecond);
    double spent = 0;
    for (int copy = 0; copy < kPacedCopies; ++copy) {
        const std::size_t at = (copy % kRotatingFrames) * bytes;
        std::this_thread::sleep_for(period);
        const std::uint64_t start = nodrix::platform::ThreadCpuNanoseconds();
        std::memcpy(to.data() + at, from.data() + at, bytes);
        spent += static_cast<double>(nodrix::platform::ThreadCpuNanoseconds() - start) * 1e-9;
        gSink = gSink ^ to[at + bytes / 2];
    }
    return spent / kPacedCopies;
}

// The least any reading thread and waiting consumer pay per frame, with
// nothing read and nothing handed over: a thread that sleeps one frame
// period, then wakes another thread waiting on a condition variable. In
// processor seconds per frame of both threads together; on a virtual
// machine each sleep and wake-up goes through the hypervisor.
inline double WakePairSeconds(double periodSeconds) {
    constexpr int kFrames = 100;
    std::mutex mutex;
    std::condition_variable changed;
    int posted = 0;
    bool ready = false;
    std::thread waiter([&] {
        std::unique_lock<std::mutex> lock(mutex);
        ready = true;
        changed.notify_one();
        for (int seen = 0; seen < kFrames; ++seen) {
            changed.wait(lock, [&] { return posted > seen; });
        }
    });
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return ready; });
    }
    const auto period = std::chrono::duration<double>(periodSeconds);
    const double start = ProcessCpuSeconds();
    for (int frame = 0; frame < kFrames; ++frame) {
        std::this_thread::sleep_for(period);
        {
            const std::lock_guard<std::mutex> lock(mutex);
            ++posted;
        }
        changed.notify_one();
    }
    waiter.join();
    return (ProcessCpuSeconds() - start) / kFrames;
}

// One reading of the clock the emulated camera's meter brackets each payload
// piece with, in processor seconds. Natively that is a system call of a few
// microseconds; about one reading per piece falls outside the stretch the
// meter counts, on the thread that reads the payload: the emulator's cost
// all the same, not the library's.
inline double MeterClockReadSeconds() {
    constexpr int kReads = 1000;
    return CpuPerCall([] {
               std::uint64_t sum = 0;
               for (int i = 0; i < kReads; ++i) sum += nodrix::platform::ThreadCpuNanoseconds();
               gSink = gSink ^ static_cast<std::uint8_t>(sum);
           }) /
           kReads;
}

// Processor time and context switches of each thread of the process, to
// tell the application's threads (which run the library's calls) from the
// library's own (acquisition and stream threads, where the emulated camera
// and driver run too). Natively only; empty elsewhere.
struct ThreadUse {
    double seconds = 0;
    std::uint64_t switches = 0;  // voluntary and involuntary
};

inline int CurrentThreadId() {
#ifdef _WIN32
    return static_cast<int>(GetCurrentThreadId());
#else
    return static_cast<int>(syscall(SYS_gettid));
#endif
}

inline ThreadUse ThreadUseOf(int tid) {
    ThreadUse thread;
#ifndef _WIN32
    const std::string dir = "/proc/self/task/" + std::to_string(tid);
    // Nanoseconds on the processor, first field.
    // Nanoseconds on the processor, first field.
    if (FILE* f = std::fopen((dir + "/schedstat").c_str(), "r")) {
        unsigned long long ns = 0;
        if (std::fscanf(f, "%llu", &ns) == 1) thread.seconds = static_cast<double>(ns) * 1e-9;
        std::fclose(f);
    }
    if (FILE* f = std::fopen((dir + "/status").c_str(), "r")) {
        char line[256];
        unsigned long long n = 0;
        while (std::fgets(line, sizeof line, f) != nullptr) {
            if (std::sscanf(line, "voluntary_ctxt_switches: %llu", &n) == 1 ||
                std::sscanf(line, "nonvoluntary_ctxt_switches: %llu", &n) == 1) {
                thread.switches += n;
            }
        }
        std::fclose(f);
    }
#else
    (void)tid;
#endif
    return thread;
}

inline std::map<int, ThreadUse> ThreadsUse() {
    std::map<int, ThreadUse> use;
#ifndef _WIN32
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr) return use;
    while (const dirent* entry = readdir(tasks)) {
        const int tid = std::atoi(entry->d_name);
        if (tid > 0) use[tid] = ThreadUseOf(tid);
    }
    closedir(tasks);
#endif
    return use;
}

// What the threads of the process used between two readings: the
// application's (counted by the consuming threads themselves, which may end
// before the second reading) and the library's (every other thread).
struct ThreadSplit {
    ThreadUse application;
    ThreadUse library;
};

template <typename Named>
ThreadUse OtherThreadsUse(const std::map<int, ThreadUse>& before,
                          const std::map<int, ThreadUse>& after, Named named) {
    ThreadUse use;
    for (const auto& [tid, now] : after) {
        if (named(tid)) continue;
        const auto was = before.find(tid);
        const ThreadUse start = was == before.end() ? ThreadUse{} : was->second;
        use.seconds += now.seconds - start.seconds;
        use.switches += now.switches - start.switches;
    }
    return use;
}

// A little-endian sensor register of count bytes; 0 if it cannot be read.
inline int ReadSensorBytes(int handle, int address, int count) {
    int value = 0;
    for (int i = count - 1; i >= 0; --i) {
        int ok = 0;
        int byte = 0;
        for (int attempt = 0; attempt < 20 && !ok; ++attempt) {
            byte = Nodrix_ReadRegister(handle, address + i, &ok);
        }
        if (!ok) return 0;
        value = (value << 8) | (byte & 0xFF);
    }
    return value;
}

// The camera keeps its registers for the life of the process: the next
// measurement starts from the power-on line length, so that the exposure
// the acquisition sets up comes out the same.
inline void RestoreLineLength(int handle) {
    Nodrix_WriteRegister(handle, 9, kPowerOnLineLength & 0xFF);
    Nodrix_WriteRegister(handle, 10, kPowerOnLineLength >> 8);
}

// The frame period as the sensor runs it, in seconds; 0 if unreadable.
inline double SensorPeriod(int handle) {
    return static_cast<double>(ReadSensorBytes(handle, 5, 4)) * ReadSensorBytes(handle, 9, 2) /
           kPixelClockHz;
}

// The sensor restarts with its power-on timing when an acquisition starts:
// once it runs, this paces it so that the camera sends frames of frameBytes
// at the link rate. Returns the frame period as the sensor runs it now, in
// seconds, or 0 when its timing could not be read.
inline double PaceToLink(int handle, std::size_t frameBytes) {
    const int frameLength = ReadSensorBytes(handle, 5, 4);
    if (frameLength <= 0) return 0;
    const int lineLength = static_cast<int>(
        static_cast<double>(frameBytes) * kPixelClockHz / kLinkBytesPerSecond / frameLength + 0.5);
    Nodrix_WriteRegister(handle, 9, lineLength & 0xFF);
    Nodrix_WriteRegister(handle, 10, (lineLength >> 8) & 0xFF);
    return SensorPeriod(handle);
}

}  // namespace nodrix_bench
